#pragma once

#include <utility>
#include <vector>

#include <QFileInfo>
#include <QString>

#include "app/setupdocument.h"
#include "config/qvaconfig.h"
#include "config/qvasetupfiler.h"
#include "platform/filepaths.h"
#include "platform/registeredfilepath.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"

// Records what the document tells the main window.
struct RecordingObserver : DocumentObserver {
  void CurrentFileSet(const QString& previous, const QString& current) override {
    fileSets.emplace_back(previous, current);
  }
  void MenuStateChanged() override { ++menuUpdates; }
  std::vector<std::pair<QString, QString>> fileSets;
  int menuUpdates = 0;
};

// A record that differs from a blank one, so that a test can tell them apart.
inline QVA_CONFIG_DATA SampleConfig(uint16_t version = kCurrentConfigVersion, uint8_t sensorType = 2) {
  QVA_CONFIG_DATA config = MakeBlankConfig();
  config.version = version;
  config.sensor_type = sensorType;
  config.can_bit_rate = 3;
  config.rpm_pulses_per_rev = 4;
  config.output_table[0].decimal_places = 3;
  config.display_config.output_to_display = 1;
  config.display_config.table1_decimal_places = 2;
  return config;
}

inline QString WriteSetup(const QString& relative, const QVA_CONFIG_DATA& config) {
  const QString path = TestEnvironment::PathIn(relative);
  WriteSetupFile(path, config);
  return path;
}

inline QByteArray Bytes(const QVA_CONFIG_DATA& config) {
  const ConfigBytes bytes = ConfigToBytes(config);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}
