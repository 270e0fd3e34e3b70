// The checks a workshop puts around a send, run as a script or a person at
// a terminal would: the review before anything is written, the verify
// after, and diff against the meter. The meter is qva-device-sim on a
// pseudo-terminal.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include <QDir>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "platform/registeredfilepath.h"
#include "clitestsupport.h"
#include "config/qvasetupfiler.h"
#include "simprocess.h"
#include "support/testenvironment.h"

namespace {

// A terminal for the program's standard input with the answer already
// typed: the master side of a new pseudo-terminal holds the typed line.
class TypedTerminal {
 public:
  explicit TypedTerminal(const QByteArray& typed) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    slavePath_ = QByteArray(ptsname(master_));
    if (!typed.isEmpty() && write(master_, typed.constData(), static_cast<size_t>(typed.size())) != typed.size())
      slavePath_.clear();
  }
  ~TypedTerminal() {
    if (master_ >= 0) close(master_);
  }
  bool Ready() const { return !slavePath_.isEmpty(); }
  // Runs in the child: the terminal becomes its standard input.
  std::function<void()> AsStdin() const {
    const QByteArray path = slavePath_;
    return [path] {
      const int fd = open(path.constData(), O_RDWR | O_NOCTTY);
      if (fd >= 0) dup2(fd, STDIN_FILENO);
    };
  }

 private:
  int master_ = -1;
  QByteArray slavePath_;
};

QStringList Lines(const QByteArray& bytes) {
  QStringList lines = QString::fromLocal8Bit(bytes).split(QLatin1Char('\n'));
  lines.removeAll(QString());
  return lines;
}

QByteArray StoredHex(QJsonObject state) {
  return state.value(QStringLiteral("stored_config")).toString().toLatin1();
}

QByteArray SealedHex(const QVA_CONFIG_DATA& host) {
  const QVA_CONFIG_DATA image = SealForDevice(host);
  return QByteArray(reinterpret_cast<const char*>(&image), kConfigSize).toHex();
}

int DeviceBackupCount() {
  return static_cast<int>(QDir(GetFolder(FileType::FromDeviceBackups)).entryList(QDir::Files).size());
}

struct Meter {
  QVA_CONFIG_DATA old = SampleConfig({.seed = 1});
  QVA_CONFIG_DATA next = [this] {
    QVA_CONFIG_DATA config = old;
    config.display_config.filter_time = static_cast<uint8_t>(old.display_config.filter_time + 7);
    return config;
  }();
  QString filterLine() const {
    return QStringLiteral("display_config.filter_time: %1 -> %2")
        .arg(old.display_config.filter_time)
        .arg(next.display_config.filter_time);
  }
};

}  // namespace

TEST(CliSendReview, ShowsWhatWouldChangeAndSendsOnlyWhenAccepted) {
  struct Case {
    const char* name;
    QByteArray typed;  // on a terminal; empty: --yes instead
    int exitCode;
  };
  const Case cases[] = {
      {"declined at the terminal", "n\n", 8},
      {"nothing typed but Enter", "\n", 8},
      {"accepted at the terminal", "y\n", 0},
      {"accepted by --yes", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Meter meter;
    SimProcess sim({QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), meter.old)});
    ASSERT_TRUE(sim.Started());
    const int backupsBefore = DeviceBackupCount();
    QStringList arguments{QStringLiteral("send"), QStringLiteral("--port"), sim.Port(), QStringLiteral("--review"),
                          WriteSetup(QStringLiteral("next.Q11"), meter.next)};
    TypedTerminal terminal(c.typed);
    CliResult result;
    if (c.typed.isEmpty()) {
      arguments << QStringLiteral("--yes");
      result = RunQvaCli(arguments);
    } else {
      ASSERT_TRUE(terminal.Ready());
      result = RunQvaCli(arguments, terminal.AsStdin());
    }
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    const QStringList report = Lines(result.out);
    ASSERT_EQ(report.size(), 2) << result.out.toStdString();
    EXPECT_TRUE(report[0].startsWith(QStringLiteral("cfg_crc16: ")));
    EXPECT_EQ(report[1], meter.filterLine());
    const QJsonObject state = sim.Stop();
    if (c.exitCode == 0) {
      EXPECT_EQ(StoredHex(state), SealedHex(meter.next));
      EXPECT_EQ(DeviceBackupCount(), backupsBefore + 1);
      continue;
    }
    EXPECT_TRUE(result.err.endsWith("Nothing was sent.\n")) << result.err.toStdString();
    EXPECT_EQ(state.value(QStringLiteral("write_area_bytes_written")).toInt(), 0);
    EXPECT_EQ(state.value(QStringLiteral("copies")).toInt(), 0);
    EXPECT_EQ(StoredHex(state), SealedHex(meter.old));
    EXPECT_EQ(DeviceBackupCount(), backupsBefore);
  }
}

TEST(CliSendReview, WithoutATerminalItIsRefusedBeforeThePortIsOpened) {
  // A folder: it would fail if it were opened as a port.
  const QString port = TestEnvironment::PathIn(QStringLiteral("none"));
  QDir().mkpath(port);
  const CliResult result =
      RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), port,
                 QStringLiteral("--review"), WriteSetup(QStringLiteral("a.Q11"), SampleConfig())});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(QString::fromLocal8Bit(result.err),
            QStringLiteral("send --review asks on a terminal, and standard input is not one.\n"
                           "Add --yes to print the differences and send without asking.\n"));
}

TEST(CliSendVerify, AMeterThatStoresAnotherImageIsAFailureNeverSuccess) {
  const Meter meter;
  const int backlight = static_cast<int>(offsetof(QVA_CONFIG_DATA, display_config) +
                                         offsetof(QVA_DISPLAY_CONFIG, backlight_intensity));
  for (const bool faulty : {false, true}) {
    SCOPED_TRACE(faulty ? "failing EEPROM" : "sound meter");
    QStringList simArguments{QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), meter.old)};
    if (faulty) simArguments << QStringLiteral("--store-fault") << QString::number(backlight);
    SimProcess sim(simArguments);
    ASSERT_TRUE(sim.Started());
    const CliResult result = RunQvaCli({QStringLiteral("send"), QStringLiteral("--port"), sim.Port(),
                                        QStringLiteral("--verify"), WriteSetup(QStringLiteral("n.Q11"), meter.next)});
    const QStringList lines = Lines(result.err);
    if (!faulty) {
      EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
      EXPECT_EQ(lines.mid(lines.size() - 3), (QStringList{QStringLiteral("Config sent ok."),
                                                          QStringLiteral("Verifying config."),
                                                          QStringLiteral("Config verified ok.")}));
      continue;
    }
    EXPECT_EQ(result.exitCode, 9);
    const int value = meter.next.display_config.backlight_intensity;
    EXPECT_EQ(lines.mid(lines.size() - 4),
              (QStringList{QStringLiteral("Config verify failed."),
                           QStringLiteral("The configuration read back from the QVA differs from the one sent "
                                          "(sent -> read back):"),
                           QStringLiteral("display_config.backlight_intensity: %1 -> %2").arg(value).arg(value ^ 0xFF),
                           QStringLiteral("You should send the configuration again, and check the QVA if it "
                                          "fails again.")}))
        << result.err.toStdString();
  }
}

TEST(CliDiffWithMeter, ListsWhatASendWouldChangeAndWritesNothing) {
  struct Case {
    const char* name;
    bool sameFile;
    bool badMeterCrc;
    int exitCode;
  };
  const Case cases[] = {
      {"identical", true, false, 0},
      {"different", false, false, 1},
      {"meter not valid", false, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Meter meter;
    QStringList simArguments{QStringLiteral("--config"), WriteSetup(QStringLiteral("meter.Q11"), meter.old)};
    if (c.badMeterCrc) simArguments << QStringLiteral("--bad-crc");
    SimProcess sim(simArguments);
    ASSERT_TRUE(sim.Started());
    const CliResult result =
        RunQvaCli({QStringLiteral("diff"), QStringLiteral("--port"), sim.Port(),
                   WriteSetup(QStringLiteral("file.Q11"), c.sameFile ? meter.old : meter.next)});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    const QStringList report = Lines(result.out);
    if (c.exitCode == 1) {
      ASSERT_EQ(report.size(), 2);
      EXPECT_EQ(report[1], meter.filterLine());
    } else {
      EXPECT_TRUE(report.isEmpty());
    }
    const QJsonObject state = sim.Stop();
    EXPECT_EQ(state.value(QStringLiteral("copies")).toInt(), 0);
  }
}
