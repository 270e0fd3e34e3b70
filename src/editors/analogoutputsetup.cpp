#include "editors/analogoutputsetup.h"

#include "editors/analogoutput.h"
#include "editors/outputtablesetup.h"
#include "platform/errorhandler.h"
#include "tables/curveview.h"
#include "tables/gridutils.h"
#include "tables/tablefilecommands.h"
#include "ui/validatorsgui.h"
#include "ui_analogoutputsetup.h"

namespace {

const QString kOpenTitle = QStringLiteral("Open Analog Output Setup File");
const QString kSaveTitle = QStringLiteral("Save Analog Output Setup File");
constexpr int kInputColumnWidth = 121;
constexpr int kOutputColumnWidth = 100;

}  // namespace

TFormAnalogOutputSetup::TFormAnalogOutputSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner)
    : TSetupDialogOf(prompter, config, WriteBack::WorkCopy, owner),
      ui_(std::make_unique<Ui::TFormAnalogOutputSetup>()) {
  ui_->setupUi(this);
  TFrameTable2DEdit* frame = ui_->FrameCalTable;
  ui_->LabelDefaultOutputUnits->setText(DefaultOutputUnitsText());

  FieldBindings& fields = Bindings();
  fields.Scaled16(ui_->EditDefaultOutput, QVA_FIELD(analog_out_table.default_output), OutputVoltsType,
                  kMinDefaultOutput, kMaxDefaultOutput, QStringLiteral("default output"), true);
  // The function is shown before the points, which are shown in its input
  // type; it cannot fail, so the table is still checked right after the
  // default output.
  fields
      .CodeCombo(ui_->ComboBoxOutputFunction,
                 FieldAccess{[](const QVA_CONFIG_DATA& c) -> int64_t {
                               return StoredAnalogFunctionCode(c.analog_out_table);
                             },
                             [](QVA_CONFIG_DATA& c, int64_t code) {
                               StoreAnalogFunctionCode(c.analog_out_table, static_cast<int>(code));
                             }})
      .ItemsFrom(&AnalogFunctionItems)
      .RefillAfter(ui_->ButtonOutputTables, [this](int& code) {
        // Names may have changed, and the input column follows the decimal
        // places of the table shown last there.
        const AnalogFunctionChoice choice = SplitAnalogFunctionCode(code);
        int table = choice.table;
        if (!TFormOutputTableSetup::Execute(GetPrompter(), Edited(), this, table)) return false;
        code = AnalogFunctionCode(choice.function, table);
        return true;
      });
  fields
      .Table(frame, QVA_TABLE(analog_out_table), PlainNumberType, OutputVoltsType, {QString(), AnalogOutputTitle()})
      .ColumnTypeFrom(0, [this](const QVA_CONFIG_DATA& c) {
        return AnalogInputType(c, GetComboItemCode(ui_->ComboBoxOutputFunction));
      });
  fields.React(ui_->ComboBoxOutputFunction, [this] { ComboBoxOutputFunctionClick(); });
  frame->Grid()->setColumnWidth(0, kInputColumnWidth);
  frame->Grid()->setColumnWidth(1, kOutputColumnWidth);
  ScaleGridToScreen(frame->Grid());
  ui_->LayoutTable->addWidget(new TCurveView(frame, this));

  connect(ui_->ButtonLoad, &QPushButton::clicked, this, Guarded(GetPrompter(), [this] { ButtonLoadClick(); }));
  connect(ui_->ButtonSaveAs, &QPushButton::clicked, this, Guarded(GetPrompter(), [this] { ButtonSaveAsClick(); }));
  FinishSetup(kAnalogOutputCaption);
}

TFormAnalogOutputSetup::~TFormAnalogOutputSetup() = default;

void TFormAnalogOutputSetup::ComboBoxOutputFunctionClick() {
  const int code = GetComboItemCode(ui_->ComboBoxOutputFunction);
  ui_->ButtonOutputTables->setEnabled(OutputTablesApply(code));
  const ValueType inputType = AnalogInputType(Edited(), code);
  ui_->FrameCalTable->ChangeColumnFormat(0, inputType);
  ui_->FrameCalTable->SetColumnTitle(0, AnalogInputTitle(inputType));
}

void TFormAnalogOutputSetup::ButtonLoadClick() {
  // The table chosen on screen is the one a file's Table function uses.
  QVA_ANALOG_OUT_TABLE work = Edited().analog_out_table;
  StoreAnalogFunctionCode(work, GetComboItemCode(ui_->ComboBoxOutputFunction));
  switch (LoadTableFromFile(GetPrompter(), windowTitle(), work, kOpenTitle)) {
    case TableLoadResult::LoadedBinary:
      Edited().analog_out_table = work;
      Bindings().LoadFromFile(Edited());
      break;
    case TableLoadResult::LoadedPoints:
      ui_->FrameCalTable->LoadPoints(work.values, work.num_rows);
      break;
    case TableLoadResult::Cancelled:
    case TableLoadResult::NoValues:
      break;
  }
}

void TFormAnalogOutputSetup::ButtonSaveAsClick() {
  if (!Bindings().Store(Edited())) return;
  SaveTableToFile(GetPrompter(), Edited().analog_out_table, kSaveTitle);
}
