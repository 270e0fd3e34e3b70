// The answers qva-cli gives the procedures' questions when nobody is there.

#include <cstdio>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>

#include <gtest/gtest.h>

#include "cliprompter.h"
#include "clirun.h"
#include "support/testenvironment.h"

namespace {

// Captures what a command writes to stdout and stderr, in files inside the
// test's own root.
class CapturedOutput {
 public:
  CapturedOutput()
      : outPath_(TestEnvironment::PathIn(QStringLiteral("capture/out.txt"))),
        errPath_(TestEnvironment::PathIn(QStringLiteral("capture/err.txt"))),
        out_(std::fopen(QFile::encodeName(outPath_).constData(), "w+b")),
        err_(std::fopen(QFile::encodeName(errPath_).constData(), "w+b")),
        output_(out_, err_) {}
  ~CapturedOutput() {
    if (out_) std::fclose(out_);
    if (err_) std::fclose(err_);
  }
  CliOutput& Output() { return output_; }
  QByteArray Err() {
    std::fflush(err_);
    return ReadAll(errPath_);
  }

 private:
  QString outPath_;
  QString errPath_;
  std::FILE* out_;
  std::FILE* err_;
  CliOutput output_;
};

MessageRequest Question(MessageButtons buttons, const QString& text = QStringLiteral("Question?")) {
  MessageRequest request;
  request.text = text;
  request.caption = QStringLiteral("Caption");
  request.buttons = buttons;
  return request;
}

}  // namespace

TEST(CliPrompter, RetriesAFailedCopyAsOftenAsAllowedThenCancels) {
  CapturedOutput capture;
  NonInteractivePrompter prompter(capture.Output(), 2);
  EXPECT_EQ(prompter.Message(Question(MessageButtons::RetryCancel)), MessageResult::Retry);
  EXPECT_FALSE(prompter.GaveUp());
  EXPECT_EQ(prompter.Message(Question(MessageButtons::RetryCancel)), MessageResult::Retry);
  EXPECT_EQ(prompter.Message(Question(MessageButtons::RetryCancel)), MessageResult::Cancel);
  EXPECT_TRUE(prompter.GaveUp());
  EXPECT_EQ(prompter.RetriesUsed(), 2);
  EXPECT_EQ(capture.Err(), QByteArray("Question?\nRetry 1 of 2.\nQuestion?\nRetry 2 of 2.\nQuestion?\n"));
}

TEST(CliPrompter, WithoutRetriesTheFirstFailedCopyCancels) {
  CapturedOutput capture;
  NonInteractivePrompter prompter(capture.Output(), 0);
  EXPECT_EQ(prompter.Message(Question(MessageButtons::RetryCancel)), MessageResult::Cancel);
  EXPECT_TRUE(prompter.GaveUp());
}

TEST(CliPrompter, AnyOtherQuestionGetsTheCautiousAnswer) {
  CapturedOutput capture;
  NonInteractivePrompter prompter(capture.Output(), 5);
  EXPECT_EQ(prompter.Message(Question(MessageButtons::Ok)), MessageResult::Ok);
  EXPECT_EQ(prompter.Message(Question(MessageButtons::OkCancel)), MessageResult::Cancel);
  EXPECT_EQ(prompter.Message(Question(MessageButtons::YesNoCancel)), MessageResult::Cancel);
  EXPECT_EQ(prompter.Message(Question(MessageButtons::YesNo)), MessageResult::No);
  EXPECT_EQ(prompter.OpenFile({}), std::nullopt);
  EXPECT_EQ(prompter.SaveFile({}), std::nullopt);
  EXPECT_EQ(prompter.ChooseFolder(QStringLiteral("t"), QStringLiteral("/")), std::nullopt);
  EXPECT_FALSE(prompter.GaveUp());
  EXPECT_EQ(prompter.RetriesUsed(), 0);
}

// Word for word, but the line feed and carriage return that part the
// paragraphs of the meter's version texts are one line break, as in the
// desktop program's box.
TEST(CliPrompter, MessagesAndErrorsGoToStderrWordForWord) {
  CapturedOutput capture;
  NonInteractivePrompter prompter(capture.Output(), 0);
  prompter.Message(Question(MessageButtons::Ok, QStringLiteral("Line one.\n\n\rLine two. ")));
  prompter.ShowError(QStringLiteral("File write error"));
  EXPECT_EQ(capture.Err(), QByteArray("Line one.\n\nLine two. \nFile write error\n"));
}

TEST(CliProgress, ShowsEachStatusOnceWhileItRepeats) {
  CapturedOutput capture;
  StderrProgress progress(capture.Output());
  for (const char* text : {"Copying config to EE.", "Waiting for result.", "Waiting for result.",
                           "Waiting for result.", "Config sent ok."}) {
    progress.Status(QString::fromLatin1(text));
  }
  EXPECT_EQ(capture.Err(), QByteArray("Copying config to EE.\nWaiting for result.\nConfig sent ok.\n"));
}

// The REC line of qva-cli live: rewritten in place on a terminal, ended
// before the next message; absent from a file, which keeps only messages.
TEST(CliOutputStatus, IsRewrittenOnATerminalAndLeftOutOfAFile) {
  CapturedOutput capture;
  capture.Output().Status(QStringLiteral("REC 1 row"));
  capture.Output().EndStatus();
  capture.Output().Error(QStringLiteral("1 readings recorded."));
  EXPECT_EQ(capture.Err(), QByteArray("1 readings recorded.\n"));

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  std::FILE* terminal = std::fopen(::ptsname(master), "w");
  ASSERT_NE(terminal, nullptr);
  termios raw{};
  ::tcgetattr(::fileno(terminal), &raw);
  ::cfmakeraw(&raw);  // the bytes as written, no line discipline
  ::tcsetattr(::fileno(terminal), TCSANOW, &raw);
  {
    CliOutput output(stdout, terminal);
    output.Status(QStringLiteral("REC 1 row"));
    output.Status(QStringLiteral("REC 2 rows"));
    output.EndStatus();
    output.EndStatus();  // once only
    output.Error(QStringLiteral("2 readings recorded."));
  }
  std::fclose(terminal);
  QByteArray shown;
  char buffer[256];
  for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) shown.append(buffer, n);
  ::close(master);
  EXPECT_EQ(shown, QByteArray("\rREC 1 row\x1b[K\rREC 2 rows\x1b[K\n2 readings recorded.\n"));
}
