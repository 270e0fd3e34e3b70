#pragma once

#include <QJsonObject>
#include <QString>

#include "config/qvaconfig.h"

// The simulator's files: the configuration it starts with, the EEPROM kept
// between runs, and the JSON summary for tests.

namespace qvasim {

struct StartImageSources {
  QString configFile;  // setup file, sealed afresh
  QString eepromFile;  // setup file from an earlier run, kept as stored
  bool badCrc = false;
};

// The device image the meter starts with: the EEPROM file when it exists,
// else the setup file sealed with a correct cfg_crc16, else a blank sealed
// record; with badCrc its cfg_crc16 is made wrong. Raises the file errors of
// the setup-file reader.
ConfigBytes LoadStartImage(const StartImageSources& sources);

// Writes a device image to the EEPROM file as a setup file (host image,
// cfg_crc16 as stored), atomically. Returns an error text, empty on success.
QString StoreEepromImage(const QString& path, const ConfigBytes& deviceImage);

// Writes the summary atomically. Returns an error text, empty on success.
QString WriteStateFile(const QString& path, const QJsonObject& summary);

}  // namespace qvasim
