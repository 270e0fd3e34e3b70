// The Load and Save As buttons of the table dialogs, through a scripted
// prompter; saving also against a real shortfall (a file-size limit).

#include <optional>

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/qvaerrors.h"
#include "platform/registeredfilepath.h"
#include "sampletables.h"
#include "support/filesizelimit.h"
#include "support/qtprinters.h"
#include "support/scriptedprompter.h"
#include "support/testenvironment.h"
#include "tables/qvatablefiler.h"
#include "tables/tablefilecommands.h"

namespace {

struct SaveCase {
  const char* name;
  bool binary;
};

TEST(SaveTableToFile, TheExtensionDecidesTheForm) {
  const SaveCase cases[] = {{"t1.csv", false}, {"t2.CSV", false}, {"t3.txt", false},
                            {"t4.qo1", true},  {"t5.QO1", true},  {"t6.Qo1", true}};
  const QVA_OUTPUT_CAL_TABLE table = MakeOutputTable();
  for (const SaveCase& c : cases) {
    const QString path = TestEnvironment::PathIn(QStringLiteral("out/") + c.name);
    ScriptedPrompter prompter;
    prompter.ExpectSaveFile(path);
    EXPECT_TRUE(SaveTableToFile(prompter, table)) << c.name;
    EXPECT_EQ(ReadAll(path), TableFileBytes(table, !c.binary)) << c.name;
    const FileDialogRequest& request = prompter.FileDialogs().at(0);
    EXPECT_EQ(request.filter, TableSaveFilter(TableFileKind::OutputTable));
    EXPECT_EQ(request.defaultExtension, "QO1");
    EXPECT_EQ(request.initialDir, GetFolder(FileType::SetupTables));
    EXPECT_TRUE(request.overwritePrompt);
    EXPECT_TRUE(request.fileName.isEmpty());
  }
}

TEST(SaveTableToFile, ANameWithoutExtensionGetsTheKinds) {
  const QString path = TestEnvironment::PathIn("out/cal");
  ScriptedPrompter prompter;
  prompter.ExpectSaveFile(path);
  EXPECT_TRUE(SaveTableToFile(prompter, MakeUserTable()));
  EXPECT_EQ(ReadAll(path + ".QU1"), TableFileBytes(MakeUserTable(), false));
}

TEST(SaveTableToFile, CancelWritesNothingAndAFailedWriteRaises) {
  ScriptedPrompter prompter;
  prompter.ExpectSaveFile(std::nullopt);
  EXPECT_FALSE(SaveTableToFile(prompter, MakeUserTable()));
  // A folder where the file should be: the write fails with an error.
  const QString folder = TestEnvironment::PathIn("out/taken.csv/x");
  prompter.ExpectSaveFile(QFileInfo(folder).path());
  EXPECT_THROW(SaveTableToFile(prompter, MakeUserTable()), Exception);
}

TEST(SaveTableToFile, AFileThatCannotBeCreatedIsNamedBeforeTheSystemsWords) {
  ScriptedPrompter prompter;
  prompter.ExpectSaveFile("/proc/no-such-folder/table.csv");
  try {
    SaveTableToFile(prompter, MakeUserTable());
    ADD_FAILURE() << "saved under /proc";
  } catch (const ESystemError& failure) {
    EXPECT_EQ(failure.Message(), "/proc/no-such-folder/table.csv\nNo such file or directory");
  }
}

TEST(LoadTableFromFile, BinaryReplacesTheWholeRecord) {
  const QString path = TestEnvironment::PathIn("in/table.qo1");
  WriteAll(path, TableFileBytes(MakeOutputTable(), false));
  ScriptedPrompter prompter;
  prompter.ExpectOpenFile(path);
  QVA_OUTPUT_CAL_TABLE work{};
  EXPECT_EQ(LoadTableFromFile(prompter, "Output Tables", work), TableLoadResult::LoadedBinary);
  EXPECT_TRUE(SameBytes(work, MakeOutputTable()));
  const FileDialogRequest& request = prompter.FileDialogs().at(0);
  EXPECT_EQ(request.filter, TableLoadFilter(TableFileKind::OutputTable));
  EXPECT_EQ(request.defaultExtension, "QO1");
  EXPECT_EQ(request.initialDir, GetFolder(FileType::SetupTables));
}

TEST(LoadTableFromFile, TextOfAnyExtensionLoadsThePointsOnly) {
  const QString path = TestEnvironment::PathIn("in/table.dat");
  WriteAll(path, "Ipn, Output\r\n1.5 mA, 20\r\n");
  ScriptedPrompter prompter;
  prompter.ExpectOpenFile(path);
  QVA_OUTPUT_CAL_TABLE work = MakeOutputTable();
  EXPECT_EQ(LoadTableFromFile(prompter, "Output Tables", work), TableLoadResult::LoadedPoints);
  EXPECT_EQ(work.num_rows, 1);
  EXPECT_EQ(int{work.values[0].x}, 1500);
  EXPECT_EQ(int{work.values[0].y}, 20);
  EXPECT_EQ(work.decimal_places, 2);
}

TEST(LoadTableFromFile, NoPointsShowsTheNoticeAndChangesNothing) {
  const QString path = TestEnvironment::PathIn("in/heading.csv");
  WriteAll(path, "Ipn, Output\r\n");
  ScriptedPrompter prompter;
  const QString noValues = QStringLiteral(
      "No values could be loaded from the file.\nYou should check that the file format is correct.");
  prompter.ExpectOpenFile(path).ExpectMessage(noValues);
  prompter.ExpectOpenFile(TestEnvironment::PathIn("in/missing.csv")).ExpectMessage(noValues);
  QVA_USER_CAL_TABLE work = MakeUserTable();
  EXPECT_EQ(LoadTableFromFile(prompter, "Sensor Setup", work), TableLoadResult::NoValues);
  EXPECT_EQ(LoadTableFromFile(prompter, "Sensor Setup", work), TableLoadResult::NoValues);
  EXPECT_TRUE(SameBytes(work, MakeUserTable()));
  EXPECT_EQ(prompter.Messages().at(0).caption, "Sensor Setup");
  EXPECT_EQ(prompter.Messages().at(0).icon, MessageIcon::Information);
}

TEST(LoadTableFromFile, CancelChangesNothing) {
  ScriptedPrompter prompter;
  prompter.ExpectOpenFile(std::nullopt);
  QVA_ANALOG_OUT_TABLE work = MakeAnalogTable();
  EXPECT_EQ(LoadTableFromFile(prompter, "Analog Output Setup", work), TableLoadResult::Cancelled);
  EXPECT_TRUE(SameBytes(work, MakeAnalogTable()));
}

TEST(LoadTableFromFile, AMissingOrForeignBinaryFileIsNotValid) {
  const QString renamed = TestEnvironment::PathIn("in/analog.QO1");
  WriteAll(renamed, TableFileBytes(MakeAnalogTable(), false));
  ScriptedPrompter prompter;
  prompter.ExpectOpenFile(renamed).ExpectOpenFile(TestEnvironment::PathIn("in/none.qo1"));
  QVA_OUTPUT_CAL_TABLE work = MakeOutputTable();
  EXPECT_THROW(LoadTableFromFile(prompter, "Output Tables", work), EFileFormat);
  EXPECT_THROW(LoadTableFromFile(prompter, "Output Tables", work), EFileFormat);
  EXPECT_TRUE(SameBytes(work, MakeOutputTable()));
}

TEST(LoadTableFromFile, AnalogBinaryKeepsTheChosenOutputTableIndex) {
  QVA_ANALOG_OUT_TABLE saved = MakeAnalogTable();
  saved.out_table_index = 0;
  const QString path = TestEnvironment::PathIn("in/aout.qa1");
  WriteAll(path, TableFileBytes(saved, false));
  ScriptedPrompter prompter;
  prompter.ExpectOpenFile(path);
  QVA_ANALOG_OUT_TABLE work{};
  work.out_table_index = 1;
  EXPECT_EQ(LoadTableFromFile(prompter, "Analog Output Setup", work), TableLoadResult::LoadedBinary);
  EXPECT_EQ(work.out_table_index, 1);
  EXPECT_EQ(work.out_function, 3);
}

}  // namespace

// A disk that fills up mid-save: one byte short of the new file, the save
// raises "File write error" and the previous file is left byte for byte;
// with exactly enough room the new file is in place.
struct ShortfallCase {
  const char* name;
  qint64 room;  // bytes the disk takes, relative to the new file's size
  bool saved;
};

void PrintTo(const ShortfallCase& c, std::ostream* out) {
  *out << c.name << " with " << c.room << " bytes of room";
}

class SaveTableOnAFullDisk : public ::testing::TestWithParam<ShortfallCase> {};

TEST_P(SaveTableOnAFullDisk, LeavesThePreviousFileUnlessEveryByteLanded) {
  const ShortfallCase& c = GetParam();
  const QString path = TestEnvironment::PathIn(QStringLiteral("out/") + c.name);
  const bool text = QFileInfo(path).suffix() != QStringLiteral("QO1");
  const QByteArray previous = TableFileBytes(MakeOutputTable(1), text);
  WriteAll(path, previous);
  const QByteArray next = TableFileBytes(MakeOutputTable(5), text);
  // The child must not write the settings store: the folder is made here.
  GetFolder(FileType::SetupTables);

  const LimitedRun run = RunUnderFileSizeLimit(next.size() + c.room, [&] {
    ScriptedPrompter prompter;
    prompter.ExpectSaveFile(path);
    SaveTableToFile(prompter, MakeOutputTable(5));
  });

  ASSERT_TRUE(run.completed);
  EXPECT_EQ(run.raised, !c.saved) << run.message.toStdString();
  if (!c.saved) {
    EXPECT_EQ(run.message, QStringLiteral("File write error"));
  }
  EXPECT_EQ(ReadAll(path), c.saved ? next : previous);
  EXPECT_EQ(QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
}

INSTANTIATE_TEST_SUITE_P(Forms, SaveTableOnAFullDisk,
                         ::testing::Values(ShortfallCase{"binary.QO1", -1, false}, ShortfallCase{"binary.QO1", 0, true},
                                           ShortfallCase{"text.csv", -1, false}, ShortfallCase{"text.csv", 0, true}));
