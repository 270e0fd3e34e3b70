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
#include "support/samplerecords.h"
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

inline QByteArray Bytes(const QVA_CONFIG_DATA& config) {
  const ConfigBytes bytes = ConfigToBytes(config);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}
