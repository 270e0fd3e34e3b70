#include "app/programcommands.h"

#include "app/formbackups.h"
#include "app/formcomparewith.h"
#include "app/qvaconfigfilelocationform.h"
#include "app/setupdocument.h"
#include "comms/formlivedata.h"
#include "comms/formserialport.h"
#include "comms/formtransfer.h"
#include "comms/qvaserialcomms.h"
#include "comms/sendchecks.h"
#include "comms/simulatedmeter.h"
#include "config/newconfigform.h"
#include "editors/analogoutputsetup.h"
#include "editors/cansetup.h"
#include "editors/configcomparison.h"
#include "editors/digitalinputssetup.h"
#include "editors/displaysetup.h"
#include "editors/exportsheetform.h"
#include "editors/sensorsetup.h"
#include "viewer/formviewconfig.h"

std::optional<QString> ProgramCommands::NewConfigDialog(QWidget* owner) {
  return TFormNewConfig::Execute(prompter_, owner);
}

void ProgramCommands::EditSetup(SetupEditor editor, QVA_CONFIG_DATA& config, QWidget* owner,
                                const QString& commPort) {
  switch (editor) {
    case SetupEditor::SensorSetup:
      TFormSensorSetup::Execute(prompter_, config, owner, commPort);
      return;
    case SetupEditor::DisplaySetup:
      TFormDisplaySetup::Execute(prompter_, config, owner);
      return;
    case SetupEditor::DigitalInputsSetup:
      TFormDigitalInputsSetup::Execute(prompter_, config, owner);
      return;
    case SetupEditor::CANMessagesSetup:
      TFormCANSetup::Execute(prompter_, config, owner);
      return;
    case SetupEditor::AnalogOutputSetup:
      TFormAnalogOutputSetup::Execute(prompter_, config, owner);
      return;
  }
}

void ProgramCommands::ViewConfig(QVA_CONFIG_DATA& config, QWidget* owner) {
  TFormViewConfig::Execute(prompter_, config, owner);
}

void ProgramCommands::ExportSetupSheet(const SetupDocument& document, QWidget* owner) {
  if (const QVA_CONFIG_DATA* config = document.Config())
    ::ExportSetupSheet(prompter_, owner, *config, {document.FileName(), document.Modified()});
}

GetOutcome ProgramCommands::GetConfiguration(const QString& commPort, QWidget* owner) {
  // The port is ours only while the command runs.
  QVASerialComms comms(commPort);
  return RunGetConfigurationWindow(owner, comms, prompter_);
}

void ProgramCommands::SendConfiguration(QVA_CONFIG_DATA& config, const QString& commPort, QWidget* owner) {
  QVASerialComms comms(commPort);
  RunSendConfigurationWindow(owner, comms, config, prompter_, ReadSendChecks(), CompareConfigs);
}

void ProgramCommands::Backups(SetupDocument& document, QWidget* owner) {
  RunBackupsWindow(document, owner);
}

void ProgramCommands::CompareWith(SetupDocument& document, QWidget* owner) {
  RunCompareWithCommand(document, prompter_, owner);
}

void ProgramCommands::LiveData(const QString& commPort, QWidget* owner) {
  RunLiveDataWindow(owner, commPort, prompter_);
}

void ProgramCommands::FileLocationsDialog(QWidget* owner) {
  TFormQVAConfigFileLocation::Execute(prompter_, owner);
}

void ProgramCommands::CommunicationsPortDialog(QString& commPort, QWidget* owner) {
  RunCommunicationsPortCommand(owner, commPort);
}

void ProgramCommands::PortStartUp(QString& commPort, QWidget* owner) {
  RunCommunicationsPortStartup(owner, commPort);
}

bool ProgramCommands::IsSimulatedMeter(const QString& commPort) {
  return IsSimulatedMeterPort(commPort);
}
