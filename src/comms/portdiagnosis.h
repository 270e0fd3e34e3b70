#pragma once

#include <QString>
#include <QStringList>

#include "comms/portprobe.h"

// Why a port will not work, from what the system lets a user see. The
// facts are gathered apart from the diagnosis, so that each cause can be
// tried from given facts.

struct PortFacts {
  QString device;
  bool exists = true;
  bool vanished = false;    // listed a moment ago, gone now
  bool accessible = true;   // the user may read and write it
  QString ownerGroup;       // the device node's group when that group may read and write it, else empty
  QStringList userGroups;   // the user's groups as the group database has them now
  QStringList sessionGroups;  // the groups this program runs with (fixed at log-in)
  bool brlttyRunning = false;
  bool modemManagerRunning = false;
};

// The facts about device; listedEarlier says it was among the machine's
// ports when the search began.
PortFacts GatherPortFacts(const QString& device, bool listedEarlier);

// One sentence naming the cause and the fix of what result shows, given
// the facts; empty when there is nothing to explain (a meter, or a device
// that is simply no meter). With probed false the port was only listed, not
// probed, and the facts alone are judged.
QString DiagnosePort(const ProbeResult& result, const PortFacts& facts, bool probed = true);

// The group to name in "permission denied (add the user to the ... group)".
QString PermissionGroup(const PortFacts& facts);
