// An O2 calibration from Sensor Setup's Calibrate button over the real
// serial stack against qva-device-sim on a pseudo-terminal: the meter warms
// up, runs, the reading settles, Store is pressed, and the gain lands in
// the dialog's working copy.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "config/qvaconfig.h"
#include "editors/o2concentrationform.h"
#include "editors/sensorsetup.h"
#include "support/devicesimulator.h"
#include "support/scriptedprompter.h"
#include "ui/traceview.h"

namespace {

TEST(CalibrationE2E, CalibrateStoresTheMeasuredGainInTheWorkingCopy) {
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--sensor-type"), QStringLiteral("2"),
                       QStringLiteral("--states"), QStringLiteral("WARM_UP:0.3,RUN"), QStringLiteral("--ip"),
                       QStringLiteral("3200")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();

  QVA_CONFIG_DATA record = MakeBlankConfig();
  record.sensor_type = 2;
  record.sensor_cal_method = 2;
  record.user_cal_resistor = 1500;
  ScriptedPrompter prompter;
  TFormSensorSetup dialog(prompter, record, nullptr, sim.PortPath());
  dialog.show();

  // The window runs at a tick every 10 ms instead of 250 ms, so that the
  // 15 s of stable readings take a fraction of a second; Store is pressed
  // as soon as it is enabled.
  std::vector<QString> firstLines;
  std::size_t traced = 0;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<TFormO2Concentration*>(QApplication::activeModalWidget());
    if (window == nullptr) {
      ADD_FAILURE() << "no calibration window";
      return;
    }
    window->findChild<QTimer*>(QStringLiteral("Timer1"))->setInterval(10);
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [&, window] {
      const QString line1 = window->findChild<QLabel*>(QStringLiteral("LabelStatusLine1"))->text();
      if (firstLines.empty() || firstLines.back() != line1) firstLines.push_back(line1);
      auto* store = window->findChild<QPushButton*>(QStringLiteral("ButtonOk"));
      if (!store->isEnabled()) return;
      traced = window->findChild<TTraceView*>(QStringLiteral("TraceIp"))->Data().Points().size();
      store->click();
    });
    poll->start(5);
  });
  prompter.ExpectMessage(
      QStringLiteral("Calibration completed successfully.\n"
                     "You should send the configuration to the QVA for the new calibration to take effect."));
  dialog.findChild<QPushButton*>(QStringLiteral("ButtonCalibrate"))->click();
  ASSERT_TRUE(prompter.AllAnswered()) << (firstLines.empty() ? "" : firstLines.back().toStdString());

  ASSERT_GE(firstLines.size(), 3u);
  EXPECT_EQ(firstLines[0], QStringLiteral("Reading QVA status."));
  EXPECT_TRUE(firstLines[1].startsWith(QStringLiteral("Waiting for QVA to enter RUN state")))
      << firstLines[1].toStdString();
  EXPECT_TRUE(std::find(firstLines.begin(), firstLines.end(),
                        QStringLiteral("Waiting for QVA reading to stabilise")) != firstLines.end());
  EXPECT_EQ(firstLines.back(), QStringLiteral("QVA Reading stable. Press Store to save the reading."));
  EXPECT_GE(traced, 61u);
  EXPECT_EQ(
      dialog.findChild<QLabel*>(QStringLiteral("LabelCalibrationResult"))->text(),
      "New calibration values\n   Measured Ip : 3.200 mA\n   Calculated gain factor calibration : 1562 \n"
      "   Calculated equivalent resistor calibration : 2710 ");

  dialog.findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(+record.user_gain_factor, 1562);
  EXPECT_EQ(+record.user_cal_resistor, 0);
  EXPECT_GT(sim.Stop().value(QStringLiteral("requests")).toInt(), 120);
}

}  // namespace
