#include "app/editorhooks.h"

#include <QWidget>

#include "editors/analogoutput.h"
#include "editors/analogoutputsetup.h"
#include "editors/digitalinputs.h"
#include "editors/digitalinputssetup.h"
#include "editors/display.h"
#include "editors/displaysetup.h"
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
      return kDisplaySetupCaption;
    case SetupEditor::DigitalInputsSetup:
      return kDigitalInputsCaption;
    case SetupEditor::CANMessagesSetup:
      return QStringLiteral("CAN Message Setup");
    case SetupEditor::AnalogOutputSetup:
      return kAnalogOutputCaption;
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
      case SetupEditor::DisplaySetup:
        TFormDisplaySetup::Execute(prompter, config, owner);
        return;
      case SetupEditor::AnalogOutputSetup:
        TFormAnalogOutputSetup::Execute(prompter, config, owner);
        return;
      case SetupEditor::CANMessagesSetup:
        ReportNotAvailable(prompter, SetupEditorCaption(editor), owner);
        return;
    }
  };
  hooks.viewConfig = [&prompter](QVA_CONFIG_DATA& config, QWidget* owner) {
    TFormViewConfig::Execute(prompter, config, owner);
  };
}
