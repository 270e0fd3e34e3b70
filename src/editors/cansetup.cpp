#include "editors/cansetup.h"

#include <algorithm>

#include <QValidator>

#include "editors/canmessages.h"
#include "editors/outputtables.h"
#include "editors/outputtablesetup.h"
#include "ui/validatorsgui.h"
#include "ui_cansetup.h"

namespace {

// Hexadecimal is shown in capitals: typed letters turn upper case as they
// are typed. Any text passes here, so that OK can say what is wrong with it.
class UpperCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*pos*/) const override {
    input = input.toUpper();
    return Acceptable;
  }
};

}  // namespace

TFormCANSetup::TFormCANSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner)
    : TSetupDialogOf(prompter, config, WriteBack::WorkCopy, owner), ui_(std::make_unique<Ui::TFormCANSetup>()) {
  ui_->setupUi(this);
  for (QLineEdit* edit : std::initializer_list<QLineEdit*>{ui_->EditAddress, ui_->EditCompoundID})
    edit->setValidator(new UpperCaseValidator(edit));

  TStdTabControl* tabs = ui_->TabControlMessages;
  for (const QString& caption : CanTabCaptions()) tabs->addTab(caption);
  tabs->setCurrentIndex(0);
  // Every tab stays in sight: the panel widens to the strip when the font asks for more.
  tabs->setUsesScrollButtons(false);
  QWidget* panel = ui_->PanelMessages;
  panel->setFixedWidth(std::max(panel->minimumWidth(), tabs->sizeHint().width()));
  tabs->setGeometry(0, 0, panel->width(), tabs->sizeHint().height());
  ui_->PanelMessagePage->setGeometry(0, tabs->height() - 1, panel->width(), panel->height() - tabs->height() + 1);
  tabs->raise();
  tabs->SetOnChanging([this](int /*newIndex*/) { return TabControlMessagesChanging(); });
  connect(tabs, &QTabBar::currentChanged, this, &TFormCANSetup::TabControlMessagesChange);

  for (const CodeItem& item : CanMessageRateItems()) ui_->ComboBoxMessageRate->addItem(item.text, item.code);
  connect(ui_->ComboBoxMessageRate, &QComboBox::currentIndexChanged, this, &TFormCANSetup::ComboBoxMessageRateChange);
  connect(ui_->EditAddress, &QLineEdit::textChanged, this, &TFormCANSetup::ShowBusView);
  connect(ui_->RadioButtonIDFormatExtended, &QAbstractButton::toggled, this, &TFormCANSetup::ShowBusView);

  // The bus always runs at 1 Mbps: the list only shows it.
  Edited().can_bit_rate = kCanBitRate1Mbps;
  ui_->ComboBoxBitRate->setEnabled(false);

  FieldBindings& fields = Bindings();
  fields.Step([this](QVA_CONFIG_DATA& candidate) { return StoreTab(candidate); });
  fields.CodeCombo(ui_->ComboBoxBitRate, QVA_FIELD(can_bit_rate), CanBitRateItems());
  // The names may change in Output Tables; the table shown last there is
  // selected here.
  fields.CodeCombo(ui_->ComboBoxOutputToTransmit, QVA_FIELD(can_output_to_send))
      .ItemsFrom(&OutputTableItems)
      .RefillAfter(ui_->ButtonOutputTables, TFormOutputTableSetup::Opener(GetPrompter(), Edited(), this));
  FinishSetup(kCANSetupCaption);
  ShowTab();
}

TFormCANSetup::~TFormCANSetup() = default;

bool TFormCANSetup::TabControlMessagesChanging() {
  return StoreTab(Edited());
}

void TFormCANSetup::TabControlMessagesChange(int tab) {
  currentTab_ = tab;
  ShowTab();
}

void TFormCANSetup::ShowTab() {
  const CanTabLayout layout = CanTabLayoutFor(currentTab_);
  for (QWidget* control : std::initializer_list<QWidget*>{ui_->LabelIDFormatTitle, ui_->RadioButtonIDFormatStandard,
                                                          ui_->RadioButtonIDFormatExtended, ui_->LabelCompoundID,
                                                          ui_->EditCompoundID})
    control->setVisible(layout.formatAndCompoundShown);
  ui_->LabelBaseAddress->setText(layout.addressLabel);
  ui_->LabelBaseAddress->move(ui_->LabelBaseAddress->x(), layout.addressLabelTop);
  ui_->EditAddress->move(ui_->EditAddress->x(), layout.addressEditTop);
  ui_->LabelMessageRate->move(ui_->LabelMessageRate->x(), layout.rateLabelTop);
  ui_->ComboBoxMessageRate->move(ui_->ComboBoxMessageRate->x(), layout.rateComboTop);

  const CanTabView view = ShowCanTab(Edited(), currentTab_);
  (view.format == CanIdFormat::Extended ? ui_->RadioButtonIDFormatExtended : ui_->RadioButtonIDFormatStandard)
      ->setChecked(true);
  ui_->EditAddress->setText(view.addressText);
  ui_->EditCompoundID->setText(view.compoundText);
  SelectComboItemByCodeOrFirst(ui_->ComboBoxMessageRate, view.rate);
  ComboBoxMessageRateChange();
}

bool TFormCANSetup::StoreTab(QVA_CONFIG_DATA& record) {
  CanTabEntry entry;
  entry.rate = GetComboItemCode(ui_->ComboBoxMessageRate);
  if (currentTab_ != kCollectMasterTab) {
    if (!ValidateHexEdit(GetPrompter(), ui_->EditCompoundID, 0, kMaxCompoundId, kCompoundIdFieldName, this,
                         kCompoundIdDigits))
      return false;
    ParseHexText(ui_->EditCompoundID->text(), entry.compoundId);
    entry.format = CheckedFormat();
  }
  // Collect Master's address is checked even while Off, when it is not stored.
  const CanIdFormat format = CanAddressFormat(currentTab_, entry.format);
  if (!ValidateHexEdit(GetPrompter(), ui_->EditAddress, 0, MaxCanId(format), kBaseAddressFieldName, this,
                       CanIdDigits(format)))
    return false;
  ParseHexText(ui_->EditAddress->text(), entry.address);
  StoreCanTab(record, currentTab_, entry);
  return true;
}

void TFormCANSetup::ComboBoxMessageRateChange() {
  ui_->EditAddress->setEnabled(CanAddressEnabled(currentTab_, GetComboItemCode(ui_->ComboBoxMessageRate)));
  ShowBusView();
}

CanIdFormat TFormCANSetup::CheckedFormat() const {
  return ui_->RadioButtonIDFormatExtended->isChecked() ? CanIdFormat::Extended : CanIdFormat::Standard;
}

void TFormCANSetup::ShowBusView() {
  const CanBusView view =
      ShowOnBus(currentTab_, CheckedFormat(), ui_->EditAddress->text(), GetComboItemCode(ui_->ComboBoxMessageRate));
  ui_->EditBusIdentifier->setText(view.identifier);
  ui_->EditBusRegisters->setText(view.registers);
}
