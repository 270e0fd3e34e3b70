// Sensor Setup offscreen: its controls found by name, filled as a user
// would, OK pressed and the record's bytes checked; the O2 calibration run
// from its Calibrate button against a meter on the fake line.

#include <cstring>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include "comms/qvaserialcomms.h"
#include "editors/o2concentrationform.h"
#include "editors/sensorsetup.h"
#include "support/widgettestsupport.h"
#include "o2testmeter.h"
#include "support/testenvironment.h"
#include "tables/table2deditframe.h"

namespace {

const QString kCaption = QStringLiteral("Sensor Setup");

QVA_CONFIG_DATA Record(int sensorType, int method) {
  QVA_CONFIG_DATA record = MakeBlankConfig();
  record.sensor_type = static_cast<uint8_t>(sensorType);
  record.sensor_cal_method = static_cast<uint8_t>(method);
  record.ntk_heater_voltage = 120;
  record.user_gain_factor = 1200;
  record.reserved1[0] = 0x33;  // bytes around the sensor fields stay as they are
  return record;
}

bool SameBytes(const QVA_CONFIG_DATA& a, const QVA_CONFIG_DATA& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class SensorSetupTest : public ::testing::Test {
 protected:
  void Open(const QVA_CONFIG_DATA& stored) {
    record = stored;
    CalibrationAccess access;
    access.openLink = [this](const QString& port) {
      ++linksOpened;
      return std::make_unique<QVASerialComms>(port, std::make_unique<FakeSerialPort>(line), sleeper);
    };
    access.sleeper = &sleeper;
    dialog = std::make_unique<TFormSensorSetup>(prompter, record, nullptr, QStringLiteral("COM3"), access);
    dialog->show();
    dialog->activateWindow();
  }
  template <typename T>
  T* Control(const char* name) {
    return Find<T>(dialog.get(), name);
  }
  QLineEdit* Edit(const char* name) { return Control<QLineEdit>(name); }
  void Press(const char* button) { Control<QPushButton>(button)->click(); }
  bool Closed() const { return !dialog->isVisible(); }
  // OK is expected to refuse with message; the record stays as stored.
  void ExpectRefused(const QString& message, const QVA_CONFIG_DATA& stored) {
    prompter.ExpectMessage(message);
    Press("ButtonOk");
    EXPECT_TRUE(prompter.AllAnswered());
    EXPECT_EQ(prompter.Messages().back().caption, kCaption);
    EXPECT_EQ(prompter.Messages().back().icon, MessageIcon::Information);
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(SameBytes(record, stored));
  }
  void TypeCell(int row, int column, const QString& text) {
    auto* frame = Control<TFrameTable2DEdit>("FrameUserCalTable");
    QAbstractItemModel* model = frame->Grid()->model();
    model->setData(model->index(row, column), text);
  }

  HelpRecordingPrompter prompter;
  RecordingSleeper sleeper;
  std::shared_ptr<FakeSerialPort::State> line = std::make_shared<FakeSerialPort::State>();
  int linksOpened = 0;
  QVA_CONFIG_DATA record{};
  std::unique_ptr<TFormSensorSetup> dialog;
};

TEST_F(SensorSetupTest, ShowsItsListsPagesAndTableTitles) {
  Open(Record(2, 3));
  EXPECT_EQ(dialog->windowTitle(), kCaption);
  EXPECT_EQ(ItemTexts(Control<QComboBox>("ComboBoxSensorType")),
            (QStringList{"Select Sensor Type", "NTK", "Bosch LSU4", "Bosch LSU4.2"}));
  EXPECT_EQ(Control<QComboBox>("ComboBoxSensorType")->currentText(), QStringLiteral("Bosch LSU4"));
  EXPECT_EQ(Control<QComboBox>("ComboBoxCalMethod")->currentText(),
            QStringLiteral("Enter calibration table"));
  auto* notebook = Control<QStackedWidget>("Notebook1");
  EXPECT_EQ(notebook->currentWidget()->objectName(), QStringLiteral("CalTable"));
  auto* frame = Control<TFrameTable2DEdit>("FrameUserCalTable");
  EXPECT_EQ(frame->ColumnTitle(0), QStringLiteral("Ip ( mA )"));
  EXPECT_EQ(frame->ColumnTitle(1), QStringLiteral("Ipn ( mA )"));
  EXPECT_EQ(Edit("EditOxygenPercent")->text(), QStringLiteral("20.94"));
  EXPECT_EQ(Control<QLabel>("LabelHeaterVoltageUnits")->text(), QStringLiteral("( V )"));
  const std::pair<const char*, const char*> pages[] = {{"Use measured calibration value", "Default"},
                                                       {"Enter calibration value", "CalResistor"},
                                                       {"Calculate from O2 concentration", "O2Percent"}};
  for (const auto& [method, page] : pages) {
    Choose(Control<QComboBox>("ComboBoxCalMethod"), method);
    EXPECT_EQ(notebook->currentWidget()->objectName(), QString::fromLatin1(page));
  }
  EXPECT_EQ(Control<QLabel>("LabelCurrentCalibration")->text(),
            "Existing calibration values\n   Gain factor calibration : 1200 \n"
            "   Equivalent resistor calibration : 1009 ");
}

TEST_F(SensorSetupTest, HeaterVoltageShowsTenPointFiveForZeroAndKeepsItsRange) {
  struct Case {
    int stored;
    const char* typed;  // null: left as opened
    int storedAfterOk;  // -1: refused
  };
  const Case cases[] = {
      {0, nullptr, 105}, {0, "", 0},        {120, "5.0", 50},    {120, "25.5 V", 255},
      {120, "4.9", -1},  {120, "25.6", -1}, {120, "12.34", 123},
  };
  for (const Case& c : cases) {
    QVA_CONFIG_DATA stored = Record(1, 0);
    stored.ntk_heater_voltage = static_cast<uint8_t>(c.stored);
    Open(stored);
    if (c.stored == 0) {
      EXPECT_EQ(Edit("EditHeaterVoltage")->text(), QStringLiteral("10.5 V"));
    }
    if (c.typed != nullptr) Edit("EditHeaterVoltage")->setText(QString::fromLatin1(c.typed));
    if (c.storedAfterOk < 0) {
      ExpectRefused(QStringLiteral("'%1' is not a valid entry for ntk heater voltage.\n"
                                   "Please enter a value between 5.0 V and 25.5 V.")
                        .arg(QString::fromLatin1(c.typed)),
                    stored);
      EXPECT_EQ(dialog->focusWidget(), Edit("EditHeaterVoltage"));
      continue;
    }
    Press("ButtonOk");
    ASSERT_TRUE(Closed()) << c.typed;
    EXPECT_EQ(record.ntk_heater_voltage, c.storedAfterOk) << c.typed;
  }
}

TEST_F(SensorSetupTest, EquivalentResistorStoresItsInterpolatedGain) {
  const std::tuple<int, const char*, int> cases[] = {
      {1, "1500", 878},  {1, "2600", 882},  {2, "1500", 1364},
      {3, "1500", 1433}, {2, "3000", 1590}, {3, "3000", 1676},
  };
  for (const auto& [sensor, typed, gain] : cases) {
    Open(Record(sensor, 1));
    Control<QRadioButton>("RadioUserCalResistor")->click();
    EXPECT_TRUE(Edit("EditUserCalResistor")->isEnabled());
    EXPECT_FALSE(Edit("EditUserGainFactor")->isEnabled());
    Edit("EditUserCalResistor")->setText(QString::fromLatin1(typed));
    Press("ButtonOk");
    ASSERT_TRUE(Closed()) << typed;
    EXPECT_EQ(+record.user_cal_resistor, QString::fromLatin1(typed).toInt());
    EXPECT_EQ(+record.user_gain_factor, gain) << sensor << " " << typed;
  }
}

TEST_F(SensorSetupTest, ResistorAndGainRangesFollowTheSelectedSensor) {
  const std::tuple<const char*, const char*, QString> cases[] = {
      {"RadioUserCalResistor", "2601",
       "'2601' is not a valid entry for equivalent resistor calibration.\nPlease enter a value between 0  and 2600 ."},
      {"RadioUserGainFactor", "456",
       "'456' is not a valid entry for gain factor calibration.\nPlease enter a value between 457  and 882 ."},
  };
  for (const auto& [radio, typed, message] : cases) {
    const QVA_CONFIG_DATA stored = Record(2, 0);
    Open(stored);
    // The range is that of the sensor chosen now, not the stored one.
    Choose(Control<QComboBox>("ComboBoxSensorType"), "NTK");
    Choose(Control<QComboBox>("ComboBoxCalMethod"), "Enter calibration value");
    Control<QRadioButton>(radio)->click();
    QLineEdit* edit = Edit(QString::fromLatin1(radio) == "RadioUserCalResistor" ? "EditUserCalResistor"
                                                                                : "EditUserGainFactor");
    edit->setText(QString::fromLatin1(typed));
    ExpectRefused(message, stored);
    EXPECT_EQ(dialog->focusWidget(), edit);
  }
}

TEST_F(SensorSetupTest, GainFactorStoresNoResistorAndReopensOnTheGainRadio) {
  Open(Record(1, 1));
  Control<QRadioButton>("RadioUserGainFactor")->click();
  Edit("EditUserGainFactor")->setText("457");
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(+record.user_gain_factor, 457);

  QVA_CONFIG_DATA stored = Record(2, 1);
  stored.user_cal_resistor = 1500;
  Open(stored);
  EXPECT_TRUE(Control<QRadioButton>("RadioUserCalResistor")->isChecked());
  EXPECT_EQ(Edit("EditUserCalResistor")->text(), QStringLiteral("1500 "));
  EXPECT_TRUE(Edit("EditUserGainFactor")->text().isEmpty());
  Control<QRadioButton>("RadioUserGainFactor")->click();
  Edit("EditUserGainFactor")->setText("1000");
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(+record.user_gain_factor, 1000);
  EXPECT_EQ(+record.user_cal_resistor, 0);

  const QVA_CONFIG_DATA reopened = record;
  Open(reopened);
  EXPECT_TRUE(Control<QRadioButton>("RadioUserGainFactor")->isChecked());
  EXPECT_EQ(Edit("EditUserGainFactor")->text(), QStringLiteral("1000 "));
  EXPECT_FALSE(Edit("EditUserCalResistor")->isEnabled());
}

TEST_F(SensorSetupTest, AZeroResistorOpensOnTheGainRadioWhateverTheMethod) {
  Open(Record(2, 0));
  EXPECT_TRUE(Control<QRadioButton>("RadioUserGainFactor")->isChecked());
  EXPECT_TRUE(Edit("EditUserGainFactor")->isEnabled());
  EXPECT_FALSE(Edit("EditUserCalResistor")->isEnabled());
}

TEST_F(SensorSetupTest, NoSensorTypeIsRefused) {
  const QVA_CONFIG_DATA stored = Record(0, 0);
  Open(stored);
  Control<QCheckBox>("CheckPreventSensorTimeout")->setChecked(true);
  Control<QCheckBox>("CheckPreventSensorTimeout")->setFocus();
  ExpectRefused(QStringLiteral("A sensor type must be selected"), stored);
  EXPECT_EQ(dialog->focusWidget(), Control<QComboBox>("ComboBoxSensorType"));
}

TEST_F(SensorSetupTest, TheCalibrationTableNeedsTwoPoints) {
  const QVA_CONFIG_DATA stored = Record(2, 3);
  Open(stored);
  TypeCell(0, 0, "1.5");
  TypeCell(0, 1, "1.2");
  ExpectRefused(QStringLiteral("Only one calibration point has been entered.\n"
                               "You should enter at least two points in the calibration table to proceed."),
                stored);
  TypeCell(1, 0, "0.5");
  TypeCell(1, 1, "0.4");
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  ASSERT_EQ(record.user_cal_table.num_rows, 2);
  EXPECT_EQ(+record.user_cal_table.values[0].x, 500);  // sorted by Ip
  EXPECT_EQ(+record.user_cal_table.values[1].y, 1200);
}

TEST_F(SensorSetupTest, SaveAsChecksTheTableAndLoadShowsTheSavedPoints) {
  const QString binary = TestEnvironment::PathIn(QStringLiteral("cal.QU1"));
  const QString text = TestEnvironment::PathIn(QStringLiteral("cal.csv"));
  const QVA_CONFIG_DATA stored = Record(2, 3);
  Open(stored);
  TypeCell(0, 0, "2");
  TypeCell(0, 1, "1.9");
  // One point: refused before any file is asked for.
  prompter.ExpectMessage(
      QStringLiteral("Only one calibration point has been entered.\n"
                     "You should enter at least two points in the calibration table to proceed."));
  Press("ButtonSaveAs");
  TypeCell(1, 0, "1");
  TypeCell(1, 1, "0.95");
  prompter.ExpectSaveFile(binary).ExpectSaveFile(text);
  Press("ButtonSaveAs");
  Press("ButtonSaveAs");
  EXPECT_TRUE(prompter.AllAnswered());
  EXPECT_EQ(prompter.FileDialogs().at(0).title, QStringLiteral("Save Sensor Calibration File"));
  Press("ButtonCancel");
  EXPECT_TRUE(SameBytes(record, stored));  // saving changes nothing

  for (const QString& path : {binary, text}) {
    Open(stored);
    prompter.ExpectOpenFile(path);
    Press("ButtonLoad");
    EXPECT_EQ(prompter.FileDialogs().back().title, QStringLiteral("Open Sensor Calibration File"));
    Press("ButtonOk");
    ASSERT_TRUE(Closed()) << path.toStdString();
    ASSERT_EQ(record.user_cal_table.num_rows, 2) << path.toStdString();
    EXPECT_EQ(+record.user_cal_table.values[0].x, 1000);
    EXPECT_EQ(+record.user_cal_table.values[0].y, 950);
    EXPECT_EQ(+record.user_cal_table.values[1].x, 2000);
    EXPECT_EQ(+record.user_cal_table.values[1].y, 1900);
  }
}

// The dialog is sized once for its largest calibration page: neither its
// size nor its buttons move when the method changes, whatever the sensor
// type makes the existing-calibration text.
TEST_F(SensorSetupTest, KeepsItsSizeAndButtonsInPlaceForEveryMethod) {
  for (int sensorType : {0, 1, 2}) {
    for (int method : {0, 1, 2, 3}) {
      Open(Record(sensorType, method));
      QApplication::processEvents();
      const QSize size = dialog->size();
      const QPoint ok = Control<QPushButton>("ButtonOk")->mapTo(dialog.get(), QPoint());
      for (const char* chosen : {"Use measured calibration value", "Enter calibration value",
                                 "Calculate from O2 concentration", "Enter calibration table"}) {
        Choose(Control<QComboBox>("ComboBoxCalMethod"), chosen);
        QApplication::processEvents();
        EXPECT_EQ(dialog->size(), size) << sensorType << " " << method << " " << chosen;
        EXPECT_EQ(Control<QPushButton>("ButtonOk")->mapTo(dialog.get(), QPoint()), ok) << chosen;
      }
    }
  }
}

// ---- Calibrate -----------------------------------------------------------

class SensorCalibrationTest : public SensorSetupTest {
 protected:
  void SetUp() override {
    line->responder = [this](const QByteArray& request) { return meter.Answer(request); };
    meter.state = 0;
    meter.sensorType = 2;
  }
  // Runs the measurement window at full speed once it opens; presses Store
  // as soon as it is enabled, or Cancel after cancelAfterTicks.
  void DriveWindow(int cancelAfterReads = -1) {
    QTimer::singleShot(0, [this, cancelAfterReads] {
      auto* window = qobject_cast<TFormO2Concentration*>(QApplication::activeModalWidget());
      if (window == nullptr) {
        ADD_FAILURE() << "no calibration window";
        return;
      }
      EXPECT_EQ(window->windowTitle(), QStringLiteral("O2 Concentration Calibration "));
      window->findChild<QTimer*>(QStringLiteral("Timer1"))->setInterval(0);
      auto* poll = new QTimer(window);
      QObject::connect(poll, &QTimer::timeout, window, [this, window, cancelAfterReads] {
        const char* button =
            cancelAfterReads >= 0 && meter.liveReads >= cancelAfterReads ? "ButtonCancel" : "ButtonOk";
        auto* press = window->findChild<QPushButton*>(QString::fromLatin1(button));
        if (press->isEnabled()) press->click();
      });
      poll->start(0);
    });
  }
  O2TestMeter meter;
};

TEST_F(SensorCalibrationTest, AStableReadingStoresItsGainInTheWorkingCopy) {
  QVA_CONFIG_DATA stored = Record(2, 2);
  stored.user_cal_resistor = 2000;
  Open(stored);
  meter.ip = 3200;
  DriveWindow();
  prompter.ExpectMessage(
      QStringLiteral("Calibration completed successfully.\n"
                     "You should send the configuration to the QVA for the new calibration to "
                     "take effect."));
  Press("ButtonCalibrate");
  EXPECT_TRUE(prompter.AllAnswered());
  EXPECT_EQ(prompter.Messages().back().icon, MessageIcon::None);
  EXPECT_EQ(prompter.Messages().back().caption, kCaption);
  EXPECT_EQ(
      Control<QLabel>("LabelCalibrationResult")->text(),
      "New calibration values\n   Measured Ip : 3.200 mA\n   Calculated gain factor calibration : 1562 \n"
      "   Calculated equivalent resistor calibration : 2710 ");
  EXPECT_TRUE(SameBytes(record, stored));  // nothing reaches the caller before OK
  EXPECT_TRUE(line->closed);
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(+record.user_gain_factor, 1562);
  EXPECT_EQ(+record.user_cal_resistor, 0);
  EXPECT_EQ(record.sensor_cal_method, 2);
}

TEST_F(SensorCalibrationTest, TheResultWrapsWithinTheDialogsSize) {
  Open(Record(2, 2));
  QApplication::processEvents();
  const QSize size = dialog->size();
  // 200 uA: a gain of 25000, beyond the table, so the resistor line is
  // long; a larger font makes it longer than the widest page.
  meter.ip = 200;
  QLabel* result = Control<QLabel>("LabelCalibrationResult");
  QFont font = result->font();
  font.setPointSizeF(font.pointSizeF() * 1.6);
  result->setFont(font);
  DriveWindow();
  prompter.ExpectMessage(
      QStringLiteral("Calibration completed successfully.\n"
                     "You should send the configuration to the QVA for the new calibration to take effect."));
  Press("ButtonCalibrate");
  QApplication::processEvents();
  EXPECT_TRUE(result->text().endsWith(
      QStringLiteral("Calculated equivalent resistor calibration : Equivalent resistor cannot be calculated")));
  EXPECT_EQ(dialog->size(), size);
  // Every word of it can be read: its text fits within the label, and the
  // label within its page.
  const QWidget* page = Control<QWidget>("O2Percent");
  const QRect text = result->fontMetrics().boundingRect(QRect(0, 0, result->width(), 10000),
                                                        result->wordWrap() ? Qt::TextWordWrap : 0, result->text());
  EXPECT_LE(text.height(), result->height());
  EXPECT_TRUE(page->rect().contains(QRect(result->mapTo(page, QPoint()), text.size())));
}

TEST_F(SensorCalibrationTest, ADifferentSensorInTheMeterStopsBeforeTheWindow) {
  Open(Record(1, 2));
  meter.sensorType = 2;
  prompter.ExpectMessage(QStringLiteral(
      "The sensor type in the QVA is different to the sensor type selected. This calibration cannot be performed "
      "until the current configuration is sent to the QVA."));
  Press("ButtonCalibrate");
  EXPECT_TRUE(prompter.AllAnswered());
  EXPECT_EQ(meter.statusReads, 1);
  EXPECT_EQ(meter.liveReads, 0);
  EXPECT_EQ(linksOpened, 1);
  EXPECT_TRUE(line->closed);
}

TEST_F(SensorCalibrationTest, ACancelledOrRefusedCalibrationLeavesTheWorkingCopy) {
  // Cancelled in the window: the ending shows for 2000 ms, nothing more.
  const QVA_CONFIG_DATA stored = Record(2, 2);
  Open(stored);
  meter.ip = 3200;
  DriveWindow(5);
  Press("ButtonCalibrate");
  EXPECT_EQ(sleeper.waits, (std::vector<int>{2000}));
  EXPECT_TRUE(Control<QLabel>("LabelCalibrationResult")->text().isEmpty());
  // 50 uA gives a gain of 100000, which 16 bits cannot hold.
  meter.ip = 50;
  DriveWindow();
  prompter.ExpectMessage(QStringLiteral(
      "The calculated gain factor (100000) is out of range.\nThe calibration could not be completed."));
  Press("ButtonCalibrate");
  EXPECT_TRUE(prompter.AllAnswered());
  Press("ButtonOk");
  ASSERT_TRUE(Closed());
  EXPECT_TRUE(SameBytes(record, stored));
}

TEST_F(SensorCalibrationTest, AnO2ConcentrationOutsideItsRangeIsRefusedBeforeThePortOpens) {
  Open(Record(2, 2));
  Edit("EditOxygenPercent")->setText("100.01");
  prompter.ExpectMessage(QStringLiteral(
      "'100.01' is not a valid entry for O2 concentration.\nPlease enter a value between 0.00 % and 100.00 %."));
  Press("ButtonCalibrate");
  EXPECT_EQ(linksOpened, 0);
}

TEST_F(SensorCalibrationTest, ALinkFailureBeforeTheWindowIsShownInTheErrorBox) {
  Open(Record(2, 2));
  meter.failing = true;
  prompter.ExpectError(
      QStringLiteral("There was an error communicating with the device.\n"
                     "You should check that the device is properly connected and powered on.\n\n"
                     "If the problem persists, you should contact your Ulmora dealer for advice.\n"
                     "Error Type: NAK received, error = Examine Memory Fail"));
  Press("ButtonCalibrate");
  EXPECT_TRUE(prompter.AllAnswered());
}

}  // namespace
