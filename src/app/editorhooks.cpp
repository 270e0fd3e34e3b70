#include "app/editorhooks.h"

#include <QWidget>

#include "editors/canmessages.h"
#include "editors/cansetup.h"
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
        TFormDisplaySetup::Execute(prompter, config, owner);
        return;
      case SetupEditor::AnalogOutputSetup:
        TFormAnalogOutputSetup::Execute(prompter, config, owner);
        return;
    }
  };
  hooks.viewConfig = [&prompter](QVA_CONFIG_DATA& config, QWidget* owner) {
    TFormViewConfig::Execute(prompter, config, owner);
  };
}
