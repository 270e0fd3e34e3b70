// The Live Data window over the real serial stack against qva-device-sim
// on a pseudo-terminal: the labels follow the meter, Pause stops the reads,
// Record and "Record As..." record with the REC mark showing, a link that
// dies stops everything but the window, and the Online menu opens the
// window on the chosen port.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "../app/fakemainformcommands.h"
#include "app/programcommands.h"
#include "app/mainform.h"
#include "comms/formlivedata.h"
#include "comms/livelogsettings.h"
#include "comms/qvaserialcomms.h"
#include "support/devicesimulator.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"
#include "ui/traceview.h"

namespace {

constexpr int kWaitLimitMs = 10000;
const QByteArray kHeader =
    "time_s,state,state_name,sensor_type,ip_mA,word0,word1,word2,word3,word4,word5,word6,word7,word8,word9,"
    "word10,word11,word12,word13\n";

QString Text(const QWidget& form, const char* name) {
  if (auto* label = form.findChild<QLabel*>(QLatin1String(name))) return label->text();
  if (auto* button = form.findChild<QPushButton*>(QLatin1String(name))) return button->text();
  ADD_FAILURE() << "no control " << name;
  return QString();
}

QPushButton* Button(const QWidget& form, const char* name) {
  return form.findChild<QPushButton*>(QLatin1String(name));
}

std::size_t TracePoints(const QWidget& form) {
  return form.findChild<TTraceView*>(QStringLiteral("TraceLive"))->Data().Points().size();
}

// Waits for more readings than there are now.
bool WaitForReadings(const QWidget& form, std::size_t more) {
  const std::size_t target = TracePoints(form) + more;
  return QTest::qWaitFor([&] { return TracePoints(form) >= target; }, kWaitLimitMs);
}

// Every row of a recording: the meter in RUN with an Ip of 1.234 mA.
void ExpectRunRows(const QByteArray& csv, std::size_t atLeast) {
  ASSERT_TRUE(csv.startsWith(kHeader)) << csv.left(200).toStdString();
  const QList<QByteArray> rows = csv.mid(kHeader.size()).split('\n');
  ASSERT_GE(static_cast<std::size_t>(rows.size()), atLeast + 1);
  EXPECT_TRUE(rows.back().isEmpty());  // every row is whole
  EXPECT_TRUE(rows.front().startsWith("0.000,"));
  for (qsizetype i = 0; i + 1 < rows.size(); ++i) {
    const QList<QByteArray> columns = rows[i].split(',');
    ASSERT_EQ(columns.size(), 19) << rows[i].toStdString();
    EXPECT_EQ(columns.mid(1, 5), (QList<QByteArray>{"0", "RUN", "3", "1.234", "1234"}));
  }
}

// A datalog of the same readings: preamble, header, units, then rows.
void ExpectRunMslRows(const QByteArray& msl, std::size_t atLeast) {
  const QList<QByteArray> lines = msl.split('\n');
  ASSERT_GE(static_cast<std::size_t>(lines.size()), atLeast + 4) << msl.left(300).toStdString();
  EXPECT_TRUE(lines[0].startsWith("\"Ulmora Quvarant Setup "));
  EXPECT_TRUE(lines[1].startsWith("Time\tState\tSensor\tIp\tWord0\t"));
  EXPECT_TRUE(lines[2].startsWith("s\t\t\tmA\t"));
  EXPECT_TRUE(lines.back().isEmpty());  // every row is whole
  EXPECT_TRUE(lines[3].startsWith("0.000\t"));
  for (qsizetype i = 3; i + 1 < lines.size(); ++i) {
    const QList<QByteArray> columns = lines[i].split('\t');
    ASSERT_EQ(columns.size(), 18) << lines[i].toStdString();
    EXPECT_EQ(columns.mid(1, 4), (QList<QByteArray>{"0", "3", "1.234", "1234"}));
  }
}

}  // namespace

TEST(LiveDataE2E, ShowsTheMeterRecordsPausesAndSurvivesALinkThatDies) {
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--sensor-type"), QStringLiteral("3"),
                       QStringLiteral("--states"), QStringLiteral("WARM_UP:1.5,RUN"), QStringLiteral("--ip"),
                       QStringLiteral("1234")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  ScriptedPrompter prompter;
  TFormLiveData form(std::make_unique<QVASerialComms>(sim.PortPath()), prompter, nullptr);
  form.show();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Live Data"));

  ASSERT_TRUE(QTest::qWaitFor([&] { return Text(form, "LabelState") == QStringLiteral("WARM_UP"); }, kWaitLimitMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Text(form, "LabelState") == QStringLiteral("RUN"); }, kWaitLimitMs));
  EXPECT_EQ(Text(form, "LabelSensorType"), QStringLiteral("Bosch LSU4.2"));
  EXPECT_EQ(Text(form, "LabelIp"), QStringLiteral("1.234 mA"));
  EXPECT_EQ(Text(form, "LabelStatus"), QStringLiteral("Reading every 250 ms."));
  EXPECT_EQ(form.findChild<TTraceView*>(QStringLiteral("TraceLive"))->Data().Points().back().value, 1234.0);

  // Record As: the file's name chooses the format, here the CSV.
  const QString first = TestEnvironment::PathIn(QStringLiteral("out/first.csv"));
  prompter.ExpectSaveFile(first);
  Button(form, "ButtonRecordAs")->click();
  ASSERT_TRUE(prompter.AllAnswered());
  EXPECT_EQ(prompter.FileDialogs().back().title, QStringLiteral("Record Live Data"));
  EXPECT_TRUE(prompter.FileDialogs().back().overwritePrompt);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^QVA \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.msl$"))
                  .match(prompter.FileDialogs().back().fileName)
                  .hasMatch())
      << prompter.FileDialogs().back().fileName.toStdString();
  EXPECT_EQ(Text(form, "ButtonRecord"), QStringLiteral("Stop Recording"));
  EXPECT_FALSE(Button(form, "ButtonRecordAs")->isEnabled());
  ASSERT_TRUE(WaitForReadings(form, 3));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\u25CF REC first\\.csv  [0-9]+ rows?  0:00:0[0-9]$"))
                  .match(Text(form, "LabelRec"))
                  .hasMatch())
      << Text(form, "LabelRec").toStdString();
  EXPECT_EQ(Text(form, "LabelStatus"), QStringLiteral("Reading every 250 ms."));
  Button(form, "ButtonRecord")->click();
  EXPECT_EQ(Text(form, "ButtonRecord"), QStringLiteral("Record"));
  EXPECT_EQ(Text(form, "LabelRec"), QString());
  ExpectRunRows(ReadAll(first), 3);

  // Record is one click: a new datalog named for the time in the folder
  // Record As used last. Pause stops the reads until Resume.
  Button(form, "ButtonRecord")->click();
  const QFileInfoList logs =
      QDir(QFileInfo(first).absolutePath()).entryInfoList({QStringLiteral("QVA *.msl")}, QDir::Files);
  ASSERT_EQ(logs.size(), 1);
  const QString second = logs.front().absoluteFilePath();
  ASSERT_TRUE(WaitForReadings(form, 2));
  Button(form, "ButtonPause")->click();
  EXPECT_EQ(Text(form, "ButtonPause"), QStringLiteral("Resume"));
  EXPECT_EQ(Text(form, "LabelStatus"), QStringLiteral("Paused."));
  EXPECT_TRUE(Text(form, "LabelRec").startsWith(QStringLiteral("\u25CF REC ") + logs.front().fileName()));
  const std::size_t paused = TracePoints(form);
  QTest::qWait(600);
  EXPECT_EQ(TracePoints(form), paused);

  // The meter goes away while paused: the first read after Resume fails.
  sim.Stop();
  prompter.ExpectError(
      QStringLiteral("There was an error communicating with the device.\nYou should check that the device is "
                     "properly connected and powered on.\n\nIf the problem persists, you should contact your "
                     "Ulmora dealer for advice.\nLinux reported the following error : Input/output error when "
                     "attempting to write to %1.\n")
          .arg(sim.PortPath()));
  Button(form, "ButtonPause")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return prompter.AllAnswered(); }, kWaitLimitMs));
  EXPECT_FALSE(form.LinkOpen());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Text(form, "LabelStatus"), QStringLiteral("The link failed: live data stopped."));
  EXPECT_EQ(Text(form, "ButtonRecord"), QStringLiteral("Record"));
  EXPECT_EQ(Text(form, "LabelRec"), QString());
  EXPECT_FALSE(Button(form, "ButtonPause")->isEnabled());
  EXPECT_FALSE(Button(form, "ButtonRecord")->isEnabled());
  EXPECT_EQ(TracePoints(form), paused);
  // The recording keeps what was read before the failure.
  ExpectRunMslRows(ReadAll(second), 2);

  Button(form, "ButtonClose")->click();
  EXPECT_FALSE(form.isVisible());
}

// A full disk, for this process only and for as long as it lives: files
// may not grow past maxBytes (SIGXFSZ ignored, so the write comes up short).
class FullDisk {
 public:
  explicit FullDisk(rlim_t maxBytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{maxBytes, saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int) = SIG_DFL;
};

TEST(LiveDataE2E, AFullDiskEndsTheRecordingWithTheFilesMessageAndTheReadingsGoOn) {
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--sensor-type"), QStringLiteral("3"),
                       QStringLiteral("--ip"), QStringLiteral("1234")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  ScriptedPrompter prompter;
  TFormLiveData form(std::make_unique<QVASerialComms>(sim.PortPath()), prompter, nullptr);
  form.show();
  ASSERT_TRUE(WaitForReadings(form, 1));

  const QString csv = TestEnvironment::PathIn(QStringLiteral("out/full.csv"));
  prompter.ExpectSaveFile(csv);
  prompter.ExpectError(csv + QStringLiteral(":\nFile write error"));
  {
    // Room for the header and half a row more than one.
    const FullDisk full(static_cast<rlim_t>(kHeader.size() + 75));
    Button(form, "ButtonRecordAs")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompter.AllAnswered(); }, kWaitLimitMs));
  }
  EXPECT_EQ(Text(form, "ButtonRecord"), QStringLiteral("Record"));
  EXPECT_EQ(Text(form, "LabelStatus"), QStringLiteral("Reading every 250 ms."));
  EXPECT_TRUE(ReadAll(csv).startsWith(kHeader + "0.000,0,RUN,3,1.234,1234,"));
  EXPECT_TRUE(WaitForReadings(form, 2));
  EXPECT_TRUE(form.LinkOpen());
  Button(form, "ButtonClose")->click();
}

TEST(LiveDataE2E, OnlineMenuOpensTheWindowOnTheChosenPort) {
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--ip"), QStringLiteral("-250")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  ScriptedPrompter prompter;
  // The program's Live Data command; no port question at start.
  ProgramCommands program(prompter);
  FakeMainFormCommands commands;
  commands.liveData = [&](const QString& port, QWidget* owner) { program.LiveData(port, owner); };
  TFormQVASetupMain main(prompter, commands);
  main.SetCommPort(sim.PortPath());
  QString shownIp;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<TFormLiveData*>(QApplication::activeModalWidget());
    if (window == nullptr) {
      ADD_FAILURE() << "no Live Data window";
      return;
    }
    if (!QTest::qWaitFor([&] { return !Text(*window, "LabelIp").isEmpty(); }, kWaitLimitMs))
      ADD_FAILURE() << "no reading";
    shownIp = Text(*window, "LabelIp");
    Button(*window, "ButtonClose")->click();
  });
  main.findChild<QAction*>(QStringLiteral("MenuItemLiveData"))->trigger();
  EXPECT_EQ(shownIp, QStringLiteral("-0.250 mA"));
  // The port was given back when the window closed: it opens again.
  EXPECT_NO_THROW(QVASerialComms again(sim.PortPath()));
}

TEST(LiveDataE2E, SmoothedIpIsShownTracedAndRecordedBesideTheRawIp) {
  DeviceSimulator sim({QStringLiteral("--no-pacing"), QStringLiteral("--sensor-type"), QStringLiteral("3"),
                       QStringLiteral("--ip"), QStringLiteral("1234")});
  ASSERT_TRUE(sim.Start()) << sim.Error().toStdString();
  ScriptedPrompter prompter;
  const QString logs = TestEnvironment::PathIn(QStringLiteral("logs/x")).chopped(2);
  SetLiveLogFolder(logs);
  {
    TFormLiveData form(std::make_unique<QVASerialComms>(sim.PortPath()), prompter, nullptr);
    form.show();
    auto* smoothed = form.findChild<QCheckBox*>(QStringLiteral("CheckBoxSmoothed"));
    auto* window = form.findChild<QSpinBox*>(QStringLiteral("SpinBoxSmoothing"));
    auto* trace = form.findChild<QComboBox*>(QStringLiteral("ComboBoxTrace"));
    EXPECT_FALSE(smoothed->isChecked());
    EXPECT_FALSE(trace->isEnabled());
    smoothed->setChecked(true);
    window->setValue(3);
    trace->setCurrentIndex(1);
    ASSERT_TRUE(WaitForReadings(form, 2));
    EXPECT_EQ(Text(form, "LabelIpSmoothed"), QStringLiteral("1.234 mA"));
    EXPECT_EQ(form.findChild<TTraceView*>(QStringLiteral("TraceLive"))->Data().Points().back().value, 1234.0);

    Button(form, "ButtonRecord")->click();
    // The columns of a log are fixed while it is recorded.
    EXPECT_FALSE(smoothed->isEnabled());
    EXPECT_FALSE(window->isEnabled());
    ASSERT_TRUE(WaitForReadings(form, 2));
    Button(form, "ButtonClose")->click();  // closing ends the recording
  }
  const QStringList files = QDir(logs).entryList(QDir::Files);
  ASSERT_EQ(files.size(), 1);
  const QList<QByteArray> lines = ReadAll(logs + QLatin1Char('/') + files.front()).split('\n');
  ASSERT_GE(lines.size(), 5);
  EXPECT_TRUE(lines[1].startsWith("Time\tState\tSensor\tIp\tIp avg 3 s\tWord0\t"));
  EXPECT_TRUE(lines[3].startsWith("0.000\t0\t3\t1.234\t1.234\t1234\t"));

  // The next window smooths as the user chose last.
  TFormLiveData again(std::make_unique<QVASerialComms>(sim.PortPath()), prompter, nullptr);
  EXPECT_TRUE(again.findChild<QCheckBox*>(QStringLiteral("CheckBoxSmoothed"))->isChecked());
  EXPECT_EQ(again.findChild<QSpinBox*>(QStringLiteral("SpinBoxSmoothing"))->value(), 3);
}
