#include "editors/sensorsetup.h"

#include <algorithm>

#include <QLayout>
#include <QStackedWidget>

#include "editors/gaintable.h"
#include "editors/o2concentrationform.h"
#include "editors/sensorrules.h"
#include "platform/errorhandler.h"
#include "platform/prompter.h"
#include "platform/sleeper.h"
#include "tables/curveview.h"
#include "tables/tablefilecommands.h"
#include "ui/validatorsgui.h"
#include "ui_sensorsetup.h"

namespace {

// The titles of the file dialogs behind Load and Save As.
const QString kOpenCalibrationTitle = QStringLiteral("Open Sensor Calibration File");
const QString kSaveCalibrationTitle = QStringLiteral("Save Sensor Calibration File");

}  // namespace

TFormSensorSetup::TFormSensorSetup(Prompter& prompter, QVA_CONFIG_DATA& config, QWidget* owner,
                                   const QString& portName, CalibrationAccess access)
    : TSetupDialogOf(prompter, config, WriteBack::WorkCopy, owner),
      ui_(std::make_unique<Ui::TFormSensorSetup>()),
      portName_(portName),
      access_(std::move(access)) {
  ui_->setupUi(this);
  if (access_.sleeper == nullptr) access_.sleeper = &DefaultSleeper();
  ui_->EditOxygenPercent->setText(FormatValue16(O2PercentType, kAirO2Percent, false));
  ui_->LabelCalResistorUnits->setText(UnitCaption(PlainNumberType, true));
  ui_->LabelHeaterVoltageUnits->setText(UnitCaption(HeaterVoltsType, true));
  FillValuePage();
  FillCurrentCalibration();

  FieldBindings& fields = Bindings();
  fields.CodeCombo(ui_->ComboBoxSensorType, QVA_FIELD(sensor_type), SensorTypeItems());
  fields.CodeCombo(ui_->ComboBoxCalMethod, QVA_FIELD(sensor_cal_method), CalMethodItems());
  fields.Step([this](QVA_CONFIG_DATA& candidate) { return StoreCalValue(candidate); });
  fields
      .Table(ui_->FrameUserCalTable, QVA_TABLE(user_cal_table), IpType, IpType,
             {QStringLiteral("Ip ") + UnitCaption(IpType, true), QStringLiteral("Ipn ") + UnitCaption(IpType, true)})
      .When([this] { return TableMethodChosen(); });
  fields
      .Scaled16(ui_->EditHeaterVoltage, QVA_FIELD(ntk_heater_voltage), HeaterVoltsType, kMinHeaterVoltage,
                kMaxHeaterVoltage, QStringLiteral("ntk heater voltage"), true)
      .ZeroShowsAs(kDefaultHeaterVoltage)
      .EmptyStoresZero();
  fields.Rule(
      [](const QVA_CONFIG_DATA& candidate) {
        return candidate.sensor_type == kSensorNone ? kSensorTypeRequiredMessage : QString();
      },
      ui_->ComboBoxSensorType);
  fields.Rule(
      [](const QVA_CONFIG_DATA& candidate) {
        return candidate.sensor_cal_method != kCalEnterTable
                   ? QString()
                   : CalibrationPointsMessage(candidate.user_cal_table.num_rows);
      },
      ui_->FrameUserCalTable->Grid());
  fields.Check(ui_->CheckPreventSensorTimeout, QVA_FIELD(prevent_sensor_timeout));
  fields.React(ui_->ComboBoxCalMethod, [this] { ComboBoxCalMethodChange(); });
  fields.React(ui_->RadioUserCalResistor, [this] { RadioUserCalibrationClick(); });
  ui_->LayoutCalTable->addWidget(new TCurveView(ui_->FrameUserCalTable, this), 1, 1);

  connect(ui_->ButtonLoad, &QPushButton::clicked, this, Guarded(GetPrompter(), [this] { ButtonLoadClick(); }));
  connect(ui_->ButtonSaveAs, &QPushButton::clicked, this, Guarded(GetPrompter(), [this] { ButtonSaveAsClick(); }));
  connect(ui_->ButtonCalibrate, &QPushButton::clicked, this,
          Guarded(GetPrompter(), [this] { ButtonCalibrateClick(); }));
  FinishSetup(kSensorSetupCaption);
  FitWidestPage();
}

TFormSensorSetup::~TFormSensorSetup() = default;

int TFormSensorSetup::SelectedSensorType() const {
  return GetComboItemCode(ui_->ComboBoxSensorType);
}

bool TFormSensorSetup::TableMethodChosen() const {
  return GetComboItemCode(ui_->ComboBoxCalMethod) == kCalEnterTable;
}

void TFormSensorSetup::FillValuePage() {
  const QVA_CONFIG_DATA& work = Edited();
  const bool resistor = work.user_cal_resistor != 0;
  ui_->RadioUserCalResistor->setChecked(resistor);
  ui_->RadioUserGainFactor->setChecked(!resistor);
  ui_->EditUserCalResistor->setText(resistor ? FormatValue32(PlainNumberType, work.user_cal_resistor, true)
                                             : QString());
  ui_->EditUserGainFactor->setText(resistor ? QString()
                                            : FormatValue32(PlainNumberType, StoredGain(work), true));
  RadioUserCalibrationClick();
}

void TFormSensorSetup::FillCurrentCalibration() {
  ui_->LabelCurrentCalibration->setText(CurrentCalibrationText(Edited()));
}

void TFormSensorSetup::FitWidestPage() {
  QStackedWidget* pages = ui_->Notebook1;
  QWidget* shown = pages->currentWidget();
  QSize largest;
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    layout()->invalidate();
    layout()->activate();
    largest = largest.expandedTo(size());
  }
  pages->setCurrentWidget(shown);
  // From here on the size stays: a calibration result wraps within it.
  layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
  setFixedSize(largest);
}

void TFormSensorSetup::ComboBoxCalMethodChange() {
  const int method = GetComboItemCode(ui_->ComboBoxCalMethod);
  const QString page = ui_->ComboBoxCalMethod->currentIndex() < 0 ? kPageDefault : CalMethodPage(method);
  ui_->Notebook1->setCurrentWidget(ui_->Notebook1->findChild<QWidget*>(page));
  if (method == kCalEnterValue) FillValuePage();
  if (method == kCalFromO2) FillCurrentCalibration();
}

void TFormSensorSetup::RadioUserCalibrationClick() {
  const bool resistor = ui_->RadioUserCalResistor->isChecked();
  ui_->EditUserCalResistor->setEnabled(resistor);
  ui_->EditUserGainFactor->setEnabled(!resistor);
}

bool TFormSensorSetup::StoreCalValue(QVA_CONFIG_DATA& candidate) {
  if (candidate.sensor_cal_method != kCalEnterValue) return true;
  const int sensorType = candidate.sensor_type;
  if (ui_->RadioUserCalResistor->isChecked()) {
    const CalValueRange range = ResistorRange(sensorType);
    if (!ValidateScaledEdit32(GetPrompter(), ui_->EditUserCalResistor, range.low, range.high,
                              QStringLiteral("equivalent resistor calibration"), this, PlainNumberType, true,
                              true))
      return false;
    const uint32_t resistor = ParseValue32(PlainNumberType, ui_->EditUserCalResistor->text());
    // Without a sensor type the range is wide open, but the sensor type rule
    // refuses the whole store before this candidate is kept.
    candidate.user_cal_resistor = static_cast<uint16_t>(resistor);
    const GainTable* table = GainTableFor(sensorType);
    candidate.user_gain_factor = table != nullptr ? ResistorToGain(resistor, *table) : 0;
    return true;
  }
  const CalValueRange range = GainRange(sensorType);
  if (!ValidateScaledEdit32(GetPrompter(), ui_->EditUserGainFactor, range.low, range.high,
                            QStringLiteral("gain factor calibration"), this, PlainNumberType, true, true))
    return false;
  candidate.user_gain_factor =
      static_cast<int16_t>(ParseValue32(PlainNumberType, ui_->EditUserGainFactor->text()));
  candidate.user_cal_resistor = 0;
  return true;
}

void TFormSensorSetup::ButtonLoadClick() {
  QVA_USER_CAL_TABLE work = Edited().user_cal_table;
  const TableLoadResult result = LoadTableFromFile(GetPrompter(), windowTitle(), work, kOpenCalibrationTitle);
  if (result == TableLoadResult::LoadedBinary) Edited().user_cal_table = work;
  if (result == TableLoadResult::LoadedBinary || result == TableLoadResult::LoadedPoints)
    ui_->FrameUserCalTable->LoadPoints(work.values, std::min<int>(work.num_rows, kMaxTablePoints));
}

void TFormSensorSetup::ButtonSaveAsClick() {
  // The same checks and table read as OK, on a copy: saving changes nothing
  // in the dialog's record.
  QVA_CONFIG_DATA candidate = Edited();
  if (!Bindings().Store(candidate)) return;
  SaveTableToFile(GetPrompter(), candidate.user_cal_table, kSaveCalibrationTitle);
}

// Shows the calibration in this dialog: the measurement window over it,
// the result in its label.
class TFormSensorSetup::CalibrationDisplay : public O2CalibrationDisplay {
 public:
  explicit CalibrationDisplay(TFormSensorSetup& dialog) : dialog_(dialog) {}
  bool Measure(O2Calibration& calibration) override {
    TFormO2Concentration window(calibration, &dialog_, *dialog_.access_.sleeper);
    return window.exec() == QDialog::Accepted;
  }
  void ShowResult(const QString& text) override { dialog_.ui_->LabelCalibrationResult->setText(text); }

 private:
  TFormSensorSetup& dialog_;
};

void TFormSensorSetup::ButtonCalibrateClick() {
  ui_->LabelCalibrationResult->clear();
  if (!ValidateScaledEdit(GetPrompter(), ui_->EditOxygenPercent, 0, kMaxO2Percent,
                          QStringLiteral("O2 concentration"), this, O2PercentType, true, false))
    return;
  const O2CalibrationRequest request{portName_, ParseValue16(O2PercentType, ui_->EditOxygenPercent->text()),
                                     SelectedSensorType()};
  CalibrationDisplay display(*this);
  RunO2CalibrationProcedure(request, access_, display, GetPrompter(), windowTitle(), Edited());
}
