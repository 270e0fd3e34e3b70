#include "editors/outputtablesetup.h"

#include <QValidator>

#include "editors/outputtables.h"
#include "platform/errorhandler.h"
#include "tables/curveview.h"
#include "tables/tablefilecommands.h"
#include "ui/validatorsgui.h"
#include "ui_outputtablesetup.h"

namespace {

const QString kOpenTitle = QStringLiteral("Open Output Table Setup File");
const QString kSaveTitle = QStringLiteral("Save Output Table Setup File");

// The name is stored one byte per character: a character that does not
// fit a byte is refused as it is typed or pasted.
class TableNameValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*pos*/) const override {
    return IsStorableNameText(input) ? Acceptable : Invalid;
  }
};

}  // namespace

TFormOutputTableSetup::TFormOutputTableSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner,
                                             int& tableIndex)
    : TSetupDialogOf(prompter, config, WriteBack::WorkCopy, owner),
      ui_(std::make_unique<Ui::TFormOutputTableSetup>()), tableIndex_(tableIndex),
      current_(ChooseTableIndex(tableIndex)) {
  ui_->setupUi(this);
  for (int t = 0; t < kOutputTableCount; ++t) ui_->TabControl1->addTab(OutputTableTabText(t));
  ui_->TabControl1->setCurrentIndex(current_);
  ui_->EditTableName->setMaxLength(kOutputNameLength);
  ui_->EditTableName->setValidator(new TableNameValidator(ui_->EditTableName));

  // Every field is the table on screen's: decimal places first, then the
  // points, then the name.
  FieldBindings& fields = Bindings();
  fields.UpDown(ui_->EditDecimalPlaces, ui_->UpDownDecimalPlaces,
                FieldAccess{[this](const QVA_CONFIG_DATA& c) -> int64_t {
                              return ShownDecimalPlaces(c.output_table[current_].decimal_places);
                            },
                            [this](QVA_CONFIG_DATA& c, int64_t v) {
                              c.output_table[current_].decimal_places = static_cast<uint8_t>(v);
                            }},
                QStringLiteral("decimal places"));
  fields
      .Table(ui_->FrameOutputTable,
             TableAccess{[this](const QVA_CONFIG_DATA& c) { return PointsOf(c.output_table[current_]); },
                         [this](QVA_CONFIG_DATA& c, const TablePoints& p) { StorePoints(p, c.output_table[current_]); }},
             IpType, OutputColumnType(0), {OutputTableInputTitle(), kOutputTableOutputTitle})
      .ColumnTypeFrom(1, [this](const QVA_CONFIG_DATA& c) {
        return OutputColumnType(c.output_table[current_].decimal_places);
      });
  fields.Text(ui_->EditTableName,
              TextAccess{[this](const QVA_CONFIG_DATA& c) { return OutputTableName(c.output_table[current_]); },
                         [this](QVA_CONFIG_DATA& c, const QString& name) {
                           SetOutputTableName(c.output_table[current_], name);
                         }});
  ui_->LayoutTable->addWidget(new TCurveView(ui_->FrameOutputTable, this));

  ui_->TabControl1->SetOnChanging([this](int) { return StorePage(); });
  connect(ui_->TabControl1, &QTabBar::currentChanged, this, &TFormOutputTableSetup::TabControl1Change);
  connect(ui_->EditDecimalPlaces, &QLineEdit::textChanged, this, &TFormOutputTableSetup::EditDecimalPlacesChange);
  connect(ui_->ButtonLoad, &QPushButton::clicked, this, Guarded(GetPrompter(), [this] { ButtonLoadClick(); }));
  connect(ui_->ButtonSaveAs, &QPushButton::clicked, this, Guarded(GetPrompter(), [this] { ButtonSaveAsClick(); }));
  // The caller learns which table was on screen when OK passed.
  connect(this, &QDialog::accepted, this, [this] { tableIndex_ = current_; });
  FinishSetup(kOutputTableCaption);
}

TFormOutputTableSetup::~TFormOutputTableSetup() = default;

QVA_OUTPUT_CAL_TABLE& TFormOutputTableSetup::CurrentTable() {
  return Edited().output_table[current_];
}

void TFormOutputTableSetup::ShowPage() {
  Bindings().Load(Edited());
}

bool TFormOutputTableSetup::StorePage() {
  return Bindings().Store(Edited());
}

void TFormOutputTableSetup::TabControl1Change(int index) {
  if (index < 0 || index >= kOutputTableCount) return;
  current_ = index;
  ShowPage();
}

void TFormOutputTableSetup::EditDecimalPlacesChange(const QString& text) {
  if (const auto decimals = TypedDecimalPlaces(text))
    ui_->FrameOutputTable->ChangeColumnFormat(1, OutputColumnType(*decimals));
}

void TFormOutputTableSetup::ButtonLoadClick() {
  QVA_OUTPUT_CAL_TABLE work = CurrentTable();
  switch (LoadTableFromFile(GetPrompter(), windowTitle(), work, kOpenTitle)) {
    case TableLoadResult::LoadedBinary:
      CurrentTable() = work;
      Bindings().LoadFromFile(Edited());
      break;
    case TableLoadResult::LoadedPoints:
      // Name and decimal places stay; the points reach the table when the
      // page is next stored.
      ui_->FrameOutputTable->LoadPoints(work.values, work.num_rows);
      break;
    case TableLoadResult::Cancelled:
    case TableLoadResult::NoValues:
      break;
  }
}

void TFormOutputTableSetup::ButtonSaveAsClick() {
  if (!StorePage()) return;
  SaveTableToFile(GetPrompter(), CurrentTable(), kSaveTitle);
}
