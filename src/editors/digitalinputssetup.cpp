#include "editors/digitalinputssetup.h"

#include "editors/digitalinputs.h"
#include "ui/validators.h"
#include "ui/validatorsgui.h"
#include "ui_digitalinputssetup.h"

TFormDigitalInputsSetup::TFormDigitalInputsSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner)
    : TSetupDialogOf(prompter, config, WriteBack::Direct, owner),
      ui_(std::make_unique<Ui::TFormDigitalInputsSetup>()) {
  ui_->setupUi(this);
  FieldBindings& fields = Bindings();
  fields
      .UpDown(ui_->EditPulsesPerRev, ui_->UpDownPulsesPerRev, QVA_FIELD(rpm_pulses_per_rev),
              QStringLiteral("RPM pulses per rev"))
      .ZeroShowsAs(kDefaultPulsesPerRev)
      .When([this] { return ui_->EditPulsesPerRev->isEnabled(); });
  fields.CodeCombo(ui_->ComboBoxActivateMode, QVA_FIELD(activate_mode), ActivationModeItems());
  fields.CodeCombo(ui_->ComboBoxInput1Mode, QVA_FIELD(dig_input_mode[0]), Input1ModeItems());
  fields.CodeCombo(ui_->ComboBoxInput2Mode, QVA_FIELD(dig_input_mode[1]), Input2ModeItems());
  fields.Rule(&DigitalInputsRuleMessage);
  fields.React(ui_->ComboBoxInput1Mode, [this] { ComboBoxInput1ModeChange(); });
  FinishSetup(kDigitalInputsCaption);
}

TFormDigitalInputsSetup::~TFormDigitalInputsSetup() = default;

void TFormDigitalInputsSetup::ComboBoxInput1ModeChange() {
  const bool pulses = PulsesPerRevApplies(GetComboItemCode(ui_->ComboBoxInput1Mode));
  ui_->LabelPulsesPerRev->setEnabled(pulses);
  ui_->EditPulsesPerRev->setEnabled(pulses);
  ui_->UpDownPulsesPerRev->setEnabled(pulses);
}
