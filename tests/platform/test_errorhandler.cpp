#include <stdexcept>

#include <QObject>

#include <gtest/gtest.h>

#include "platform/errorhandler.h"
#include "platform/qvaerrors.h"
#include "support/scriptedprompter.h"

namespace {

TEST(RunCommand, ShowsTheMessageOfAnEscapingFailureUnchanged) {
  ScriptedPrompter prompter;
  prompter.ExpectError(QStringLiteral("File format not valid"));
  EXPECT_FALSE(RunCommand(prompter, [] { throw EFileFormat(); }));
}

TEST(RunCommand, ShowsSystemErrorsWithTheirSecondLine) {
  ScriptedPrompter prompter;
  const ESystemError error(2, QStringLiteral("Cannot open"));
  prompter.ExpectError(error.Message());
  EXPECT_FALSE(RunCommand(prompter, [&] { throw error; }));
  EXPECT_TRUE(prompter.Errors().at(0).startsWith(QStringLiteral("Cannot open\n")));
}

TEST(RunCommand, SilentAbortShowsNothing) {
  ScriptedPrompter prompter;
  EXPECT_FALSE(RunCommand(prompter, [] { throw EAbort(); }));
  EXPECT_TRUE(prompter.Errors().empty());
}

TEST(RunCommand, ForeignExceptionsAreShownToo) {
  ScriptedPrompter prompter;
  prompter.ExpectError(QStringLiteral("vector too long"));
  EXPECT_FALSE(RunCommand(prompter, [] { throw std::length_error("vector too long"); }));
}

TEST(RunCommand, ACommandThatEndsNormallyReportsSuccess) {
  ScriptedPrompter prompter;
  bool ran = false;
  EXPECT_TRUE(RunCommand(prompter, [&] { ran = true; }));
  EXPECT_TRUE(ran);
}

}  // namespace

namespace {

// A failing slot reached through a real signal: the emitter carries on, the
// failure is in the error box, and later emissions still reach the slot.
TEST(Guarded, AFailingSlotIsShownAndTheSignalReturnsNormally) {
  ScriptedPrompter prompter;
  QObject sender;
  int runs = 0;
  QObject::connect(&sender, &QObject::objectNameChanged, &sender, Guarded(prompter, [&runs] {
                     ++runs;
                     if (runs == 1) throw Exception(QStringLiteral("Error creating directory /x"));
                     throw EAbort();
                   }));
  prompter.ExpectError(QStringLiteral("Error creating directory /x"));
  sender.setObjectName(QStringLiteral("first"));
  sender.setObjectName(QStringLiteral("second"));  // silent abort: no second box
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(prompter.Errors().size(), 1u);
}

}  // namespace
