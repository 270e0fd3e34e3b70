#include "editors/sensorsetup.h"

#include <algorithm>

#include "comms/devicecommands.h"
#include "comms/qvaserialcomms.h"
#include "editors/gaintable.h"
#include "editors/o2calibration.h"
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
  if (!access_.openLink)
    access_.openLink = [](const QString& port) { return std::make_unique<QVASerialComms>(port); };
  if (access_.sleeper == nullptr) access_.sleeper = &DefaultSleeper();
  GivePrompterToFrames<TFrameTable2DEdit>();

  TFrameTable2DEdit* table = ui_->FrameUserCalTable;
  table->SetupTable(kMaxTablePoints, IpType, IpType);
  table->SetColumnTitle(0, QStringLiteral("Ip ") + UnitCaption(IpType, true));
  table->SetColumnTitle(1, QStringLiteral("Ipn ") + UnitCaption(IpType, true));
  table->ShowPoints(Edited().user_cal_table.values,
                    std::min<int>(Edited().user_cal_table.num_rows, kMaxTablePoints));
  ui_->LayoutCalTable->addWidget(new TCurveView(table, this), 1, 1);
  ui_->EditOxygenPercent->setText(FormatValue16(O2PercentType, kAirO2Percent, false));
  ui_->LabelCalResistorUnits->setText(UnitCaption(PlainNumberType, true));
  ui_->LabelHeaterVoltageUnits->setText(UnitCaption(HeaterVoltsType, true));
  FillValuePage();
  FillCurrentCalibration();

  FieldBindings& fields = Bindings();
  fields.CodeCombo(ui_->ComboBoxSensorType, QVA_FIELD(sensor_type), SensorTypeItems());
  fields.CodeCombo(ui_->ComboBoxCalMethod, QVA_FIELD(sensor_cal_method), CalMethodItems());
  fields.Step([this](QVA_CONFIG_DATA& candidate) { return StoreCalValue(candidate); });
  fields.Step([this](QVA_CONFIG_DATA& candidate) {
    return candidate.sensor_cal_method != kCalEnterTable || ui_->FrameUserCalTable->ValidateTable();
  });
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
  fields.Step([this](QVA_CONFIG_DATA& candidate) { return StoreCalTable(candidate); });
  fields.Check(ui_->CheckPreventSensorTimeout, QVA_FIELD(prevent_sensor_timeout));
  fields.React(ui_->ComboBoxCalMethod, [this] { ComboBoxCalMethodChange(); });
  fields.React(ui_->RadioUserCalResistor, [this] { RadioUserCalibrationClick(); });

  connect(table, &TFrameTable2DEdit::FrameExit, this, &TFormSensorSetup::FrameUserCalTableExit);
  connect(ui_->ButtonLoad, &QPushButton::clicked, this, &TFormSensorSetup::ButtonLoadClick);
  connect(ui_->ButtonSaveAs, &QPushButton::clicked, this, &TFormSensorSetup::ButtonSaveAsClick);
  connect(ui_->ButtonCalibrate, &QPushButton::clicked, this, &TFormSensorSetup::ButtonCalibrateClick);
  FinishSetup(kSensorSetupCaption);
}

TFormSensorSetup::~TFormSensorSetup() = default;

int TFormSensorSetup::SelectedSensorType() const {
  return GetComboItemCode(ui_->ComboBoxSensorType);
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

void TFormSensorSetup::FrameUserCalTableExit(QWidget* newFocus) {
  if (newFocus != ui_->ButtonCancel) ui_->FrameUserCalTable->CommitOnExit();
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

bool TFormSensorSetup::StoreCalTable(QVA_CONFIG_DATA& candidate) {
  if (candidate.sensor_cal_method != kCalEnterTable) return true;
  QVA_USER_CAL_TABLE read = candidate.user_cal_table;
  if (!ui_->FrameUserCalTable->ReadPoints(read.values, read.num_rows)) return false;
  const QString message = CalibrationPointsMessage(read.num_rows);
  if (!message.isEmpty()) {
    ShowInformation(GetPrompter(), message, windowTitle());
    ShowAndFocusControl(ui_->FrameUserCalTable->Grid());
    return false;
  }
  candidate.user_cal_table = read;
  return true;
}

void TFormSensorSetup::ButtonLoadClick() {
  RunCommand(GetPrompter(), [this] {
    QVA_USER_CAL_TABLE work = Edited().user_cal_table;
    const TableLoadResult result = LoadTableFromFile(GetPrompter(), windowTitle(), work, kOpenCalibrationTitle);
    if (result == TableLoadResult::LoadedBinary) Edited().user_cal_table = work;
    if (result == TableLoadResult::LoadedBinary || result == TableLoadResult::LoadedPoints)
      ui_->FrameUserCalTable->LoadPoints(work.values, std::min<int>(work.num_rows, kMaxTablePoints));
  });
}

void TFormSensorSetup::ButtonSaveAsClick() {
  // The same checks and table read as OK, on a copy: saving changes nothing
  // in the dialog's record.
  QVA_CONFIG_DATA candidate = Edited();
  if (!Bindings().Store(candidate)) return;
  RunCommand(GetPrompter(), [&] { SaveTableToFile(GetPrompter(), candidate.user_cal_table, kSaveCalibrationTitle); });
}

void TFormSensorSetup::ButtonCalibrateClick() {
  ui_->LabelCalibrationResult->clear();
  if (!ValidateScaledEdit(GetPrompter(), ui_->EditOxygenPercent, 0, kMaxO2Percent,
                          QStringLiteral("O2 concentration"), this, O2PercentType, true, false))
    return;
  const int o2Percent = ParseValue16(O2PercentType, ui_->EditOxygenPercent->text());
  RunCommand(GetPrompter(), [&] { Calibrate(o2Percent); });
}

void TFormSensorSetup::Calibrate(int o2Percent) {
  // The port is ours only while the calibration runs.
  const std::unique_ptr<QVASerialComms> link = access_.openLink(portName_);
  const DeviceStatusBlock status = ReadStatusBlock(*link);
  if (status.SensorType() != SelectedSensorType()) {
    ShowInformation(GetPrompter(), kSensorTypeMismatchMessage, windowTitle());
    return;
  }
  int16_t storedIp = 0;
  uint8_t deviceSensorType = 0;
  {
    TFormO2Concentration window(*link, GetPrompter(), this, *access_.sleeper);
    if (window.exec() != QDialog::Accepted) return;
    storedIp = window.StoredIp();
    deviceSensorType = window.DeviceSensorType();
  }
  const O2CalibrationResult result =
      EvaluateO2Calibration(o2Percent, storedIp, deviceSensorType, SelectedSensorType());
  if (!result.refusal.isEmpty()) {
    ShowInformation(GetPrompter(), result.refusal, windowTitle());
    return;
  }
  ui_->LabelCalibrationResult->setText(result.resultText);
  Edited().user_cal_resistor = 0;
  Edited().user_gain_factor = static_cast<int16_t>(result.gain);
  MessageRequest done;
  done.text = kCalibrationCompletedMessage;
  done.caption = windowTitle();
  GetPrompter().Message(done);
}
