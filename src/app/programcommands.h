#pragma once

#include "app/mainformcommands.h"

class Prompter;

// The program's commands: the real dialogs, editors, viewer and transfers.
// Each transfer opens its own link on the main window's port name for the
// length of the command. The prompter must outlive this object.
class ProgramCommands final : public MainFormCommands {
 public:
  explicit ProgramCommands(Prompter& prompter) : prompter_(prompter) {}

  std::optional<QString> NewConfigDialog(QWidget* owner) override;
  void EditSetup(SetupEditor editor, QVA_CONFIG_DATA& config, QWidget* owner, const QString& commPort) override;
  void ViewConfig(QVA_CONFIG_DATA& config, QWidget* owner) override;
  void ExportSetupSheet(const SetupDocument& document, QWidget* owner) override;
  GetOutcome GetConfiguration(const QString& commPort, QWidget* owner) override;
  void SendConfiguration(QVA_CONFIG_DATA& config, const QString& commPort, QWidget* owner) override;
  void LiveData(const QString& commPort, QWidget* owner) override;
  void Backups(SetupDocument& document, QWidget* owner) override;
  void CompareWith(SetupDocument& document, QWidget* owner) override;
  void FileLocationsDialog(QWidget* owner) override;
  void CommunicationsPortDialog(QString& commPort, QWidget* owner) override;
  void PortStartUp(QString& commPort, QWidget* owner) override;
  bool IsSimulatedMeter(const QString& commPort) override;

 private:
  Prompter& prompter_;
};
