#include "editors/analogoutputsetup.h"

#include <algorithm>

#include <QSignalBlocker>

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
  GivePrompterToFrames<TFrameTable2DEdit>();
  TFrameTable2DEdit* frame = ui_->FrameCalTable;
  frame->SetupTable(kMaxTablePoints, PlainNumberType, OutputVoltsType);
  frame->SetColumnTitle(1, AnalogOutputTitle());
  frame->Grid()->setColumnWidth(0, kInputColumnWidth);
  frame->Grid()->setColumnWidth(1, kOutputColumnWidth);
  ScaleGridToScreen(frame->Grid());
  ui_->LayoutTable->addWidget(new TCurveView(frame, this));
  ui_->LabelDefaultOutputUnits->setText(DefaultOutputUnitsText());

  FieldBindings& fields = Bindings();
  fields.Scaled16(ui_->EditDefaultOutput, QVA_FIELD(analog_out_table.default_output), OutputVoltsType,
                  kMinDefaultOutput, kMaxDefaultOutput, QStringLiteral("default output"), true);
  fields.Step([this](QVA_CONFIG_DATA& candidate) {
    QVA_ANALOG_OUT_TABLE& analog = candidate.analog_out_table;
    return ui_->FrameCalTable->ReadPoints(analog.values, analog.num_rows);
  });
  fields.CodeCombo(ui_->ComboBoxOutputFunction,
                   FieldAccess{[](const QVA_CONFIG_DATA& c) -> int64_t {
                                 return StoredAnalogFunctionCode(c.analog_out_table);
                               },
                               [](QVA_CONFIG_DATA& c, int64_t code) {
                                 StoreAnalogFunctionCode(c.analog_out_table, static_cast<int>(code));
                               }})
      .ItemsFrom(&AnalogFunctionItems);
  fields.React(ui_->ComboBoxOutputFunction, [this] { ComboBoxOutputFunctionClick(); });

  connect(frame, &TFrameTable2DEdit::FrameExit, this, [this](QWidget* newFocus) {
    if (newFocus != ui_->ButtonCancel) ui_->FrameCalTable->CommitOnExit();
  });
  connect(ui_->ButtonOutputTables, &QPushButton::clicked, this,
          Guarded(GetPrompter(), [this] { ButtonOutputTablesClick(); }));
  connect(ui_->ButtonLoad, &QPushButton::clicked, this, &TFormAnalogOutputSetup::ButtonLoadClick);
  connect(ui_->ButtonSaveAs, &QPushButton::clicked, this, &TFormAnalogOutputSetup::ButtonSaveAsClick);
  FinishSetup(kAnalogOutputCaption);
  ShowTable();
}

TFormAnalogOutputSetup::~TFormAnalogOutputSetup() = default;

void TFormAnalogOutputSetup::ShowTable(bool loaded) {
  // The function first: the points are then shown in its input type.
  Bindings().Load(Edited());
  const QVA_ANALOG_OUT_TABLE& analog = Edited().analog_out_table;
  if (loaded) {
    ui_->FrameCalTable->LoadPoints(analog.values, std::min<int>(analog.num_rows, kMaxTablePoints));
  } else {
    ui_->FrameCalTable->ShowPoints(analog.values, std::min<int>(analog.num_rows, kMaxTablePoints));
  }
}

void TFormAnalogOutputSetup::ComboBoxOutputFunctionClick() {
  const int code = GetComboItemCode(ui_->ComboBoxOutputFunction);
  ui_->ButtonOutputTables->setEnabled(OutputTablesApply(code));
  const ValueType inputType = AnalogInputType(Edited(), code);
  ui_->FrameCalTable->ChangeColumnFormat(0, inputType);
  ui_->FrameCalTable->SetColumnTitle(0, AnalogInputTitle(inputType));
}

void TFormAnalogOutputSetup::FillFunctionList(int code) {
  QComboBox* list = ui_->ComboBoxOutputFunction;
  const QSignalBlocker quiet(list);
  list->clear();
  for (const CodeItem& item : AnalogFunctionItems(Edited())) list->addItem(item.text, item.code);
  SelectComboItemByCodeOrFirst(list, code);
}

void TFormAnalogOutputSetup::ButtonOutputTablesClick() {
  const AnalogFunctionChoice choice = SplitAnalogFunctionCode(GetComboItemCode(ui_->ComboBoxOutputFunction));
  int table = choice.table;
  if (!TFormOutputTableSetup::Execute(GetPrompter(), this, Edited(), table)) return;
  // Names may have changed, and the input column follows the decimal places
  // of the table shown last there.
  FillFunctionList(AnalogFunctionCode(choice.function, table));
  ComboBoxOutputFunctionClick();
}

void TFormAnalogOutputSetup::ButtonLoadClick() {
  RunCommand(GetPrompter(), [this] {
    // The table chosen on screen is the one a file's Table function uses.
    QVA_ANALOG_OUT_TABLE work = Edited().analog_out_table;
    StoreAnalogFunctionCode(work, GetComboItemCode(ui_->ComboBoxOutputFunction));
    switch (LoadTableFromFile(GetPrompter(), windowTitle(), work, kOpenTitle)) {
      case TableLoadResult::LoadedBinary:
        Edited().analog_out_table = work;
        ShowTable(true);
        break;
      case TableLoadResult::LoadedPoints:
        ui_->FrameCalTable->LoadPoints(work.values, work.num_rows);
        break;
      case TableLoadResult::Cancelled:
      case TableLoadResult::NoValues:
        break;
    }
  });
}

void TFormAnalogOutputSetup::ButtonSaveAsClick() {
  if (!Bindings().Store(Edited())) return;
  RunCommand(GetPrompter(), [this] { SaveTableToFile(GetPrompter(), Edited().analog_out_table, kSaveTitle); });
}
