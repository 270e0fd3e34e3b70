#include "editors/displaysetup.h"

#include "editors/display.h"
#include "editors/outputtables.h"
#include "editors/outputtablesetup.h"
#include "ui_displaysetup.h"

TFormDisplaySetup::TFormDisplaySetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner)
    : TSetupDialogOf(prompter, config, WriteBack::WorkCopy, owner),
      ui_(std::make_unique<Ui::TFormDisplaySetup>()) {
  ui_->setupUi(this);
  ui_->UpDownUpdateRate->setRange(kMinUpdateRate, kMaxUpdateRate);
  ui_->UpDownBacklightIntensity->setRange(0, kMaxBacklightIntensity);
  ui_->LabelFilterTimeUnits->setText(FilterTimeUnitsText());
  FieldBindings& fields = Bindings();
  fields.UpDown(ui_->EditDecimalPlaces, ui_->UpDownDecimalPlaces, QVA_FIELD(display_config.table1_decimal_places),
                QStringLiteral("table 1 decimal places"));
  fields.UpDown(ui_->EditDecimalPlaces2, ui_->UpDownDecimalPlaces2,
                QVA_FIELD(display_config.table2_decimal_places), QStringLiteral("table 2 decimal places"));
  fields.Scaled16(ui_->EditFilterTime, QVA_FIELD(display_config.filter_time), FilterTimeType, kMinFilterTime,
                  kMaxFilterTime, QStringLiteral("filter time"), true);
  fields.UpDown(ui_->EditUpdateRate, ui_->UpDownUpdateRate, QVA_FIELD(display_config.update_rate),
                QStringLiteral("update rate"))
      .ZeroShowsAs(kMinUpdateRate);
  fields.UpDown(ui_->EditBacklightIntensity, ui_->UpDownBacklightIntensity,
                QVA_FIELD(display_config.backlight_intensity), QStringLiteral("backlight intensity"));
  // The names may change in Output Tables; the list follows the table
  // shown last there.
  fields.CodeCombo(ui_->ComboBoxOutputToDisplay, QVA_FIELD(display_config.output_to_display))
      .ItemsFrom(&OutputTableItems)
      .RefillAfter(ui_->ButtonOutputTables, TFormOutputTableSetup::Opener(GetPrompter(), Edited(), this));
  FinishSetup(kDisplaySetupCaption);
}

TFormDisplaySetup::~TFormDisplaySetup() = default;
