// The facts behind a port's diagnosis, read from the system: the device
// node, the group database, this program's groups and the running
// services that are known to take serial devices from their users.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "comms/portdiagnosis.h"

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>
#endif

namespace {

#ifdef Q_OS_UNIX
// The re-entrant look-ups: the search asks from its own thread.
QString GroupName(gid_t gid) {
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(4096);
  while (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  return found ? QString::fromLocal8Bit(found->gr_name) : QString();
}

QStringList NamesOf(const std::vector<gid_t>& gids) {
  QStringList names;
  for (const gid_t gid : gids) {
    const QString name = GroupName(gid);
    if (!name.isEmpty() && !names.contains(name)) names << name;
  }
  return names;
}

// The user's groups as the database lists them now, joined since log-in
// or not.
QStringList DatabaseGroups() {
  passwd entry{};
  passwd* user = nullptr;
  std::vector<char> buffer(4096);
  while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &user) == ERANGE &&
         buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  if (!user) return {};
  const QByteArray name(user->pw_name);
  const gid_t primary = user->pw_gid;
  int count = 32;
  std::vector<gid_t> gids(static_cast<std::size_t>(count));
  while (::getgrouplist(name.constData(), primary, gids.data(), &count) < 0) {
    if (count <= static_cast<int>(gids.size())) return {};
    gids.resize(static_cast<std::size_t>(count));
  }
  gids.resize(static_cast<std::size_t>(count));
  return NamesOf(gids);
}

QStringList SessionGroups() {
  const int count = ::getgroups(0, nullptr);
  std::vector<gid_t> gids(static_cast<std::size_t>(std::max(count, 0)));
  if (count > 0 && ::getgroups(count, gids.data()) < 0) gids.clear();
  gids.push_back(::getegid());
  return NamesOf(gids);
}

// Whether a process of this name runs; /proc shows every process's name,
// whoever owns it.
bool ProcessRunning(const QString& name) {
  const QDir proc(QStringLiteral("/proc"));
  for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    if (entry.isEmpty() || !entry.at(0).isDigit()) continue;
    QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
    if (!comm.open(QIODevice::ReadOnly)) continue;
    if (QString::fromLocal8Bit(comm.read(64)).trimmed() == name) return true;
  }
  return false;
}
#endif

}  // namespace

PortFacts GatherPortFacts(const QString& device, bool listedEarlier) {
  PortFacts facts;
  facts.device = device;
#ifdef Q_OS_UNIX
  const QByteArray path = QFile::encodeName(device);
  struct stat info {};
  facts.exists = ::stat(path.constData(), &info) == 0;
  facts.vanished = listedEarlier && !facts.exists;
  if (facts.exists) {
    facts.accessible = ::access(path.constData(), R_OK | W_OK) == 0;
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) facts.ownerGroup = GroupName(info.st_gid);
  }
  facts.userGroups = DatabaseGroups();
  facts.sessionGroups = SessionGroups();
  facts.brlttyRunning = ProcessRunning(QStringLiteral("brltty"));
  facts.modemManagerRunning = ProcessRunning(QStringLiteral("ModemManager"));
#else
  (void)listedEarlier;
#endif
  return facts;
}
