#include "editors/displaysetup.h"

#include "platform/errorhandler.h"
#include "editors/display.h"
#include "editors/outputtables.h"
#include "editors/outputtablesetup.h"
#include "ui/validatorsgui.h"
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
  fields.CodeCombo(ui_->ComboBoxOutputToDisplay, QVA_FIELD(display_config.output_to_display))
      .ItemsFrom(&OutputTableItems);
  connect(ui_->ButtonOutputTables, &QPushButton::clicked, this,
          Guarded(GetPrompter(), [this] { ButtonOutputTablesClick(); }));
  FinishSetup(kDisplaySetupCaption);
}

TFormDisplaySetup::~TFormDisplaySetup() = default;

void TFormDisplaySetup::ButtonOutputTablesClick() {
  int index = GetComboItemCode(ui_->ComboBoxOutputToDisplay);
  if (!TFormOutputTableSetup::Execute(GetPrompter(), this, Edited(), index)) return;
  // The names may have changed; the list follows the table shown last.
  QComboBox* list = ui_->ComboBoxOutputToDisplay;
  list->clear();
  for (const CodeItem& item : OutputTableItems(Edited())) list->addItem(item.text, item.code);
  SelectComboItemByCodeOrFirst(list, index);
}
