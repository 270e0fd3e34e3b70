// The O2 calibration window offscreen: what it shows of the measurement,
// its trace, Store, Cancel and Esc, against a meter on the fake line.

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "editors/o2concentrationform.h"
#include "support/widgettestsupport.h"
#include "o2testmeter.h"
#include "ui/traceview.h"

namespace {

class O2ConcentrationFormTest : public ::testing::Test {
 protected:
  O2ConcentrationFormTest() {
    meter.Attach(link);
    window = std::make_unique<TFormO2Concentration>(calibration, nullptr, sleeper);
  }
  QLabel* Line(int n) { return Find<QLabel>(window.get(), n == 1 ? "LabelStatusLine1" : "LabelStatusLine2"); }
  QPushButton* Store() { return Find<QPushButton>(window.get(), "ButtonOk"); }
  const TraceData& Trace() { return Find<TTraceView>(window.get(), "TraceIp")->Data(); }
  // Runs the window at full speed; check runs after every event-loop turn
  // until it returns true.
  int RunUntil(std::function<bool()> check) {
    window->findChild<QTimer*>(QStringLiteral("Timer1"))->setInterval(0);
    auto* poll = new QTimer(window.get());
    QObject::connect(poll, &QTimer::timeout, window.get(), [check, poll] {
      if (check()) poll->stop();
    });
    poll->start(0);
    return window->exec();
  }

  FakeLink link;
  O2TestMeter meter;
  ScriptedPrompter prompter;
  RecordingSleeper sleeper;
  O2Calibration calibration{*link.comms, prompter};
  std::unique_ptr<TFormO2Concentration> window;
};

TEST_F(O2ConcentrationFormTest, OpensReadingTheStatusWithStoreDisabled) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("O2 Concentration Calibration "));
  EXPECT_TRUE(window->isModal());
  EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Store()->text(), QStringLiteral("Store"));
  EXPECT_FALSE(Store()->isEnabled());
  EXPECT_EQ(Line(1)->text(), QStringLiteral("Reading QVA status."));
  EXPECT_TRUE(Line(2)->isHidden());
  EXPECT_EQ(Line(1)->palette().color(QPalette::WindowText), window->palette().color(QPalette::Button));
  EXPECT_EQ(window->findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 250);
}

TEST_F(O2ConcentrationFormTest, SettlesInRedTracesTheReadingsAndStoresInGreen) {
  meter.ip = 3200;
  QColor settling;
  QColor stable;
  std::size_t tracedWhenStable = 0;
  const int result = RunUntil([&] {
    const QColor colour = Line(1)->palette().color(QPalette::WindowText);
    if (!Store()->isEnabled()) {
      if (meter.liveReads > 0) settling = colour;
      return false;
    }
    stable = colour;
    tracedWhenStable = Trace().Points().size();
    Store()->click();
    return true;
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(settling, QColor(255, 0, 0));
  EXPECT_EQ(stable, QColor(0, 128, 0));
  EXPECT_EQ(calibration.StoredIp(), 3200);
  EXPECT_EQ(calibration.DeviceSensorType(), 2);
  // One point a RUN reading, against the filtered Ip it was compared with.
  EXPECT_GE(tracedWhenStable, 61u);
  ASSERT_GE(Trace().Points().size(), 2u);
  const TracePoint& last = Trace().Points().back();
  EXPECT_GE(last.timeMs, Trace().Points().front().timeMs);
  EXPECT_EQ(last.value, 3200);
  EXPECT_EQ(last.reference, 3200);
  EXPECT_EQ(Trace().BandHalfWidth(3200), 64);
  EXPECT_TRUE(sleeper.waits.empty());
}

TEST_F(O2ConcentrationFormTest, EscapeCancelsAndLeavesTheEndingReadableForTwoSeconds) {
  meter.state = 3;
  const int result = RunUntil([&] {
    if (meter.statusReads < 3) return false;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &escape);
    return true;
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(Line(1)->text(), QStringLiteral("Calibration cancelled."));
  EXPECT_EQ(Line(2)->text(), QStringLiteral("Calibration not completed."));
  EXPECT_EQ(Line(1)->palette().color(QPalette::WindowText), window->palette().color(QPalette::WindowText));
  EXPECT_EQ(sleeper.waits, (std::vector<int>{2000}));
  const int reads = meter.statusReads;
  QApplication::processEvents();
  EXPECT_EQ(meter.statusReads, reads);  // the timer stays off
}

}  // namespace
