// The manual pages as a reader sees them: rendered by man itself, so that a
// missing paragraph macro shows as a heading run into the text before it.

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Rendered {
  QStringList lines;
  QString warnings;
};

// Plain text, ASCII hyphens, wide enough that no heading wraps; roff's
// warnings on stderr.
Rendered Render(const QString& page) {
  QProcess man;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"MAN_KEEP_FORMATTING", "MANOPT", "MANPAGER", "PAGER", "MANROFFOPT"})
    environment.remove(QString::fromLatin1(name));
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("200"));
  man.setProcessEnvironment(environment);
  man.start(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"), QStringLiteral(QVA_MAN_DIR "/") + page});
  const bool ran = man.waitForFinished(30000) && man.exitStatus() == QProcess::NormalExit && man.exitCode() == 0;
  EXPECT_TRUE(ran) << page.toStdString() << ": is man-db installed?";
  return {QString::fromLocal8Bit(man.readAllStandardOutput()).split(QLatin1Char('\n')),
          QString::fromLocal8Bit(man.readAllStandardError())};
}

// The lines of one section, spaces evened out, up to the next section heading.
QStringList Section(const QStringList& lines, const QString& heading) {
  QStringList section;
  bool inside = false;
  for (const QString& line : lines) {
    if (!line.isEmpty() && !line.front().isSpace()) inside = line == heading;
    else if (inside) section << line.simplified();
  }
  return section;
}

}  // namespace

TEST(ManPages, EveryPageRendersWithoutWarnings) {
  const QStringList pages = QDir(QStringLiteral(QVA_MAN_DIR)).entryList({QStringLiteral("*.1")}, QDir::Files);
  EXPECT_EQ(pages.size(), 3);
  for (const QString& page : pages) EXPECT_EQ(Render(page).warnings, QString()) << page.toStdString();
}

TEST(ManPages, EachCommandHeadingStandsOnItsOwnLine) {
  const std::tuple<const char*, const char*, QStringList> pages[] = {
      {"qva-cli.1", "COMMANDS",
       {"dump [--json] FILE", "diff A B", "diff --port PORT FILE", "set FILE NAME=VALUE...", "set FILE --from DUMP",
        "get --port PORT -o FILE [--force]", "send --port PORT [--retries N] [--review [--yes]] [--verify] FILE",
        "live --port PORT [--seconds N] [--csv FILE | --msl FILE] [--smooth S] [--force]", "help [COMMAND]"}},
      {"qva-device-sim.1", "OPTIONS",
       {"--link PATH", "--device PATH", "--register-port NAME", "--firmware WORD", "--config FILE",
        "--fault N:KIND[:ARG]", "--state-file FILE", "-h, --help"}},
  };
  for (const auto& [file, heading, commands] : pages) {
    const QStringList section = Section(Render(QString::fromLatin1(file)).lines, QString::fromLatin1(heading));
    for (const QString& command : commands)
      EXPECT_TRUE(section.contains(command)) << file << ": " << command.toStdString();
  }
}
