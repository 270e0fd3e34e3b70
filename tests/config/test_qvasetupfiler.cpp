#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"
#include "support/filesizelimit.h"
#include "support/samplerecords.h"
#include "support/testenvironment.h"

namespace {

QString SampleFile(const QString& name = QStringLiteral("Engine.Q11")) {
  const QString path = TestEnvironment::PathIn(name);
  WriteSetupFile(path, SampleConfig());
  return path;
}

template <typename E>
void ExpectParseFails(const QByteArray& bytes, const char* message) {
  try {
    ParseSetupFile(bytes);
    FAIL() << "no error for " << message;
  } catch (const E& e) {
    EXPECT_EQ(e.Message().toStdString(), message);
  }
}

}  // namespace

TEST(SetupFile, WrittenFileHasTheDocumentedLayout) {
  const QByteArray bytes = ReadAll(SampleFile());
  ASSERT_EQ(bytes.size(), 944);
  EXPECT_EQ(bytes.left(8), QByteArray("QVASETP\0", 8));
  EXPECT_EQ(bytes.mid(8, 4), QByteArray("\x01\x00\x00\x00", 4));
  EXPECT_EQ(bytes.mid(12, 4), QByteArray("\x00\x01\x00\x00", 4));
  EXPECT_EQ(bytes.mid(16, 18), QByteArray("QVA Configuration\0", 18));
  EXPECT_EQ(bytes[80], 0x02);
  EXPECT_EQ(bytes[86], 0x1A);
  EXPECT_EQ(bytes.mid(256, 8), QByteArray("QVA_CFG\0", 8));
  EXPECT_EQ(bytes.mid(264, 4), QByteArray("\x01\x00\x00\x00", 4));
  EXPECT_EQ(bytes.mid(268, 4), QByteArray("\xB0\x02\x00\x00", 4));
  const QVA_CONFIG_DATA config = SampleConfig();
  EXPECT_EQ(bytes.mid(272), QByteArray(reinterpret_cast<const char*>(&config), 672));
  // Every byte of the setup chunk body not named is zero.
  for (int i = 16 + 18; i < 256; ++i) {
    if (i == 80 || i == 86) continue;
    ASSERT_EQ(bytes[i], 0) << "offset " << i;
  }
}

TEST(SetupFile, RoundTripKeepsTheRecordExactly) {
  const QVA_CONFIG_DATA read = ReadSetupFile(SampleFile());
  EXPECT_TRUE(ConfigsEqual(read, SampleConfig()));
}

TEST(SetupFile, ReadThenWriteGivesIdenticalBytesExceptTheSetupBody) {
  QByteArray original = ReadAll(SampleFile());
  original[40] = 'x';   // text of the setup body is not looked at
  original[84] = 0x33;  // nor the u16 at 68 or the byte at 70
  const QString path = TestEnvironment::PathIn(QStringLiteral("odd.Q11"));
  WriteAll(path, original);
  const QString copy = TestEnvironment::PathIn(QStringLiteral("copy.Q11"));
  WriteSetupFile(copy, ReadSetupFile(path));
  const QByteArray written = ReadAll(copy);
  EXPECT_EQ(written.left(16), original.left(16));
  EXPECT_EQ(written.mid(256), original.mid(256));
  EXPECT_EQ(written[40], 0);
  EXPECT_EQ(written[84], 0);
}

TEST(SetupFile, LengthEdges) {
  const QByteArray good = ReadAll(SampleFile());
  ExpectParseFails<EFileFormat>(good.left(943), "File format not valid");
  EXPECT_NO_THROW(ParseSetupFile(good + QByteArray(1, '\x55')));
  for (int size : {0, 15, 16, 255, 256, 271, 272, 600}) {
    ExpectParseFails<EFileFormat>(good.left(size), "File format not valid");
  }
}

TEST(SetupFile, TagIsCheckedBeforeVersion) {
  QByteArray bytes = ReadAll(SampleFile());
  bytes[8] = 2;  // chunk version 2
  ExpectParseFails<EFileVersion>(bytes, "File version incompatible");
  bytes[0] = 'X';
  ExpectParseFails<EFileFormat>(bytes, "File format not valid");
}

TEST(SetupFile, EveryHeaderFieldIsChecked) {
  const QByteArray good = ReadAll(SampleFile());
  struct Case {
    int offset;
    char value;
    bool versionError;
  } cases[] = {
      {6, 'Q', false},                        // setup tag
      {12, 0x01, false},                      // setup chunk length 257
      {80, 0x03, false},                      // file type 3
      {256, 'q', false},                      // configuration tag
      {264, 0x00, true},                      // configuration chunk version 0
      {268, static_cast<char>(0xB1), false},  // configuration chunk length 689
  };
  for (const Case& c : cases) {
    QByteArray bytes = good;
    bytes[c.offset] = c.value;
    if (c.versionError) {
      ExpectParseFails<EFileVersion>(bytes, "File version incompatible");
    } else {
      ExpectParseFails<EFileFormat>(bytes, "File format not valid");
    }
  }
}

TEST(SetupFile, MissingFileRaisesTheSystemError) {
  try {
    ReadSetupFile(TestEnvironment::PathIn(QStringLiteral("nowhere.Q11")));
    FAIL();
  } catch (const ESystemError& e) {
    EXPECT_EQ(e.Code(), ENOENT);
    EXPECT_EQ(e.Message(), SystemErrorText(ENOENT));
  }
}

TEST(SetupFile, FailedWriteLeavesThePreviousFileIntact) {
  const QString path = SampleFile(QStringLiteral("keep.Q11"));
  const QByteArray before = ReadAll(path);
  // A folder in the way of the temporary file's rename cannot be written.
  const QString blocked = TestEnvironment::PathIn(QStringLiteral("dir.Q11"));
  QDir().mkpath(blocked);
  EXPECT_THROW(WriteSetupFile(blocked, MakeBlankConfig()), ESystemError);
  // A read-only target is refused, and stays as it was.
  SetReadOnly(path, true);
  EXPECT_THROW(WriteSetupFile(path, MakeBlankConfig()), ESystemError);
  EXPECT_EQ(ReadAll(path), before);
  // A folder that does not exist.
  EXPECT_THROW(WriteSetupFile(TestEnvironment::Root() + "/no/such/x.Q11", MakeBlankConfig()), ESystemError);
}

// A disk that fills up half-way through a setup file, for real: a child
// process whose files may not grow beyond 500 of the 944 bytes.
TEST(SetupFile, AWriteThatComesUpShortRaisesAndKeepsThePreviousFile) {
  const QString path = TestEnvironment::PathIn("work/Engine.Q11");
  QVA_CONFIG_DATA old = MakeBlankConfig();
  old.version = 101;
  WriteSetupFile(path, old);
  const QByteArray before = ReadAll(path);
  const QString fresh = TestEnvironment::PathIn("work/Fresh.Q11");

  for (const QString& target : {path, fresh}) {
    const LimitedRun run = RunUnderFileSizeLimit(500, [&] { WriteSetupFile(target, MakeBlankConfig()); });
    ASSERT_TRUE(run.completed);
    EXPECT_TRUE(run.raised) << target.toStdString();
    EXPECT_EQ(run.message, QStringLiteral("File write error"));
  }
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("Engine.Q11")});
}

TEST(SetupFile, NeverReplacesSomethingThatIsNotARegularFile) {
  // A symbolic link to a device stands in for any non-regular target.
  const QString link = TestEnvironment::PathIn(QStringLiteral("null.Q11"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
  EXPECT_THROW(WriteSetupFile(link, MakeBlankConfig()), ESystemError);
  EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST(SystemErrorText, DescribesKnownAndUnknownCodes) {
  EXPECT_EQ(SystemErrorText(ENOENT).toStdString(), "No such file or directory");
  EXPECT_EQ(SystemErrorText(123456).toStdString(), "Unknown system error 123456");
  const ESystemError withText(ENOENT, QStringLiteral("Error creating directory /x"));
  EXPECT_EQ(withText.Message(), QStringLiteral("Error creating directory /x\nNo such file or directory"));
}
