#include "app/editorhooks.h"

#include <QWidget>

#include "editors/canmessages.h"
#include "editors/cansetup.h"
#include "editors/digitalinputs.h"
#include "editors/digitalinputssetup.h"
#include "editors/sensorrules.h"
#include "editors/sensorsetup.h"
#include "platform/prompter.h"
#include "viewer/formviewconfig.h"

namespace {

// Told, in the main window's caption, when a menu item's window is missing.
void ReportNotAvailable(Prompter& prompter, const QString& windowCaption, const QWidget* owner) {
  ShowInformation(prompter, windowCaption + QStringLiteral(" is not available in this version."),
                  owner != nullptr ? owner->window()->windowTitle() : QString());
}

QString SetupEditorCaption(SetupEditor editor) {
  switch (editor) {
    case SetupEditor::SensorSetup:
      return kSensorSetupCaption;
    case SetupEditor::DisplaySetup:
      return QStringLiteral("Display Setup");
    case SetupEditor::DigitalInputsSetup:
      return kDigitalInputsCaption;
    case SetupEditor::CANMessagesSetup:
      return kCANSetupCaption;
    case SetupEditor::AnalogOutputSetup:
      return QStringLiteral("Analog Output Setup");
  }
  return QString();
}

}  // namespace

void InstallEditorHooks(MainFormHooks& hooks, Prompter& prompter) {
  hooks.setupEditor = [&prompter](SetupEditor editor, QVA_CONFIG_DATA& config, QWidget* owner,
                                  const QString& commPort) {
    switch (editor) {
      case SetupEditor::SensorSetup:
        TFormSensorSetup::Execute(prompter, config, owner, commPort);
        return;
      case SetupEditor::DigitalInputsSetup:
        TFormDigitalInputsSetup::Execute(prompter, config, owner);
        return;
      case SetupEditor::CANMessagesSetup:
        TFormCANSetup::Execute(prompter, config, owner);
        return;
      case SetupEditor::DisplaySetup:
      case SetupEditor::AnalogOutputSetup:
        ReportNotAvailable(prompter, SetupEditorCaption(editor), owner);
        return;
    }
  };
  hooks.viewConfig = [&prompter](QVA_CONFIG_DATA& config, QWidget* owner) {
    TFormViewConfig::Execute(prompter, config, owner);
  };
}
