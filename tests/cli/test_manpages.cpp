// The manual pages as a reader sees them: rendered by man itself, not read
// as roff source, so a missing paragraph macro shows as a heading run into
// the text before it.

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct Rendered {
  QStringList lines;
  QString warnings;
  bool ok = false;
};

// Plain text at a fixed width: no formatting characters, ASCII hyphens.
Rendered Render(const QString& page) {
  QProcess man;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"MAN_KEEP_FORMATTING", "MANOPT", "MANPAGER", "PAGER", "MANROFFOPT"})
    environment.remove(QString::fromLatin1(name));
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
  man.setProcessEnvironment(environment);
  man.start(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"),
                                    QStringLiteral(QVA_MAN_DIR "/") + page});
  Rendered rendered;
  if (!man.waitForFinished(30000)) return rendered;
  rendered.ok = man.exitStatus() == QProcess::NormalExit && man.exitCode() == 0;
  rendered.warnings = QString::fromLocal8Bit(man.readAllStandardError());
  rendered.lines = QString::fromLocal8Bit(man.readAllStandardOutput()).split(QLatin1Char('\n'));
  return rendered;
}

// The lines of one section, from its heading to the next.
QStringList Section(const QStringList& lines, const QString& heading) {
  QStringList section;
  bool inside = false;
  for (const QString& line : lines) {
    const bool isHeading = !line.isEmpty() && !line.front().isSpace();
    if (isHeading) inside = line == heading;
    else if (inside) section << line.trimmed();
  }
  return section;
}

}  // namespace

TEST(ManPages, EveryPageRendersWithoutWarnings) {
  const QStringList pages = QDir(QStringLiteral(QVA_MAN_DIR)).entryList({QStringLiteral("*.1")}, QDir::Files);
  EXPECT_EQ(pages.size(), 3) << pages.join(QLatin1Char(' ')).toStdString();
  for (const QString& page : pages) {
    const Rendered rendered = Render(page);
    EXPECT_TRUE(rendered.ok) << page.toStdString() << ": is man-db installed?";
    EXPECT_EQ(rendered.warnings, QString()) << page.toStdString();
    EXPECT_GT(rendered.lines.size(), 20) << page.toStdString();
  }
}

TEST(ManPages, EachCommandHeadingStandsOnItsOwnLine) {
  struct Page {
    const char* file;
    const char* section;
    QStringList headings;
  };
  const Page pages[] = {
      {"qva-cli.1",
       "COMMANDS",
       {"dump [--json] FILE", "diff A B", "diff --port PORT FILE", "set FILE NAME=VALUE...",
        "set FILE --from DUMP", "get --port PORT -o FILE [--force]",
        "send --port PORT [--retries N] [--review [--yes]] [--verify] FILE",
        "live --port PORT [--seconds N] [--csv FILE [--force]]", "help [COMMAND]"}},
      {"qva-device-sim.1",
       "OPTIONS",
       {"--link PATH", "--device PATH", "--register-port NAME", "--firmware WORD", "--config FILE",
        "--fault N:KIND[:ARG]", "--state-file FILE", "-h, --help"}},
  };
  for (const Page& page : pages) {
    const QStringList section = Section(Render(QString::fromLatin1(page.file)).lines, QString::fromLatin1(page.section));
    ASSERT_FALSE(section.isEmpty()) << page.file;
    for (const QString& heading : page.headings)
      EXPECT_TRUE(section.contains(heading)) << page.file << ": " << heading.toStdString();
  }
}
