#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "app/mainformcommands.h"
#include "app/setupdocument.h"

// The main window's commands for tests: each does what its member function
// says, and by default what a window closed with Cancel would do (New makes
// a blank configuration). A test replaces only the commands it looks at.
struct FakeMainFormCommands final : MainFormCommands {
  std::function<std::optional<QString>(QWidget*)> newConfigDialog = [](QWidget*) {
    return std::optional<QString>(QString());
  };
  std::function<void(SetupEditor, QVA_CONFIG_DATA&, QWidget*, const QString&)> setupEditor =
      [](SetupEditor, QVA_CONFIG_DATA&, QWidget*, const QString&) {};
  std::function<void(QVA_CONFIG_DATA&, QWidget*)> viewConfig = [](QVA_CONFIG_DATA&, QWidget*) {};
  std::function<void(const SetupDocument&, QWidget*)> exportSetupSheet = [](const SetupDocument&, QWidget*) {};
  std::function<GetOutcome(const QString&, QWidget*)> getConfiguration = [](const QString&, QWidget*) {
    return GetOutcome{};
  };
  std::function<void(QVA_CONFIG_DATA&, const QString&, QWidget*)> sendConfiguration =
      [](QVA_CONFIG_DATA&, const QString&, QWidget*) {};
  std::function<void(const QString&, QWidget*)> liveData = [](const QString&, QWidget*) {};
  std::function<void(SetupDocument&, QWidget*)> backups = [](SetupDocument&, QWidget*) {};
  std::function<void(SetupDocument&, QWidget*)> compareWith = [](SetupDocument&, QWidget*) {};
  std::function<void(QWidget*)> fileLocationsDialog = [](QWidget*) {};
  std::function<void(QString&, QWidget*)> communicationsPortDialog = [](QString&, QWidget*) {};
  std::function<void(QString&, QWidget*)> portStartUp = [](QString&, QWidget*) {};
  std::function<bool(const QString&)> isSimulatedMeter = [](const QString&) { return false; };

  std::optional<QString> NewConfigDialog(QWidget* owner) override { return newConfigDialog(owner); }
  void EditSetup(SetupEditor editor, QVA_CONFIG_DATA& config, QWidget* owner, const QString& commPort) override {
    setupEditor(editor, config, owner, commPort);
  }
  void ViewConfig(QVA_CONFIG_DATA& config, QWidget* owner) override { viewConfig(config, owner); }
  void ExportSetupSheet(const SetupDocument& document, QWidget* owner) override {
    exportSetupSheet(document, owner);
  }
  GetOutcome GetConfiguration(const QString& commPort, QWidget* owner) override {
    return getConfiguration(commPort, owner);
  }
  void SendConfiguration(QVA_CONFIG_DATA& config, const QString& commPort, QWidget* owner) override {
    sendConfiguration(config, commPort, owner);
  }
  void LiveData(const QString& commPort, QWidget* owner) override { liveData(commPort, owner); }
  void Backups(SetupDocument& document, QWidget* owner) override { backups(document, owner); }
  void CompareWith(SetupDocument& document, QWidget* owner) override { compareWith(document, owner); }
  void FileLocationsDialog(QWidget* owner) override { fileLocationsDialog(owner); }
  void CommunicationsPortDialog(QString& commPort, QWidget* owner) override {
    communicationsPortDialog(commPort, owner);
  }
  void PortStartUp(QString& commPort, QWidget* owner) override { portStartUp(commPort, owner); }
  bool IsSimulatedMeter(const QString& commPort) override { return isSimulatedMeter(commPort); }
};
