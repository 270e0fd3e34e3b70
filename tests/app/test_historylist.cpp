#include <gtest/gtest.h>

#include "app/historylist.h"
#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"

namespace {

const QString kHistoryKey = QStringLiteral("\\Software\\Ulmora\\QVA Setup\\1.1\\Config Files");

QStringList Stored() {
  TRegistry registry(RegistryRoot::CurrentUser);
  QStringList result;
  if (!registry.OpenKey(kHistoryKey, false)) return result;
  const int count = registry.ReadInteger(QStringLiteral("Count"));
  for (int i = 0; i < count; ++i) result.append(registry.ReadString(QStringLiteral("History%1").arg(i)));
  return result;
}

void Store(int count, const QStringList& entries) {
  TRegistry registry(RegistryRoot::CurrentUser);
  ASSERT_TRUE(registry.OpenKey(kHistoryKey, true));
  registry.WriteInteger(QStringLiteral("Count"), count);
  for (int i = 0; i < entries.size(); ++i)
    registry.WriteString(QStringLiteral("History%1").arg(i), entries[i]);
}

TEST(HistoryList, AddPutsTheNameFirstAndSaves) {
  HistoryList list;
  list.Add(QStringLiteral("/a/One.Q11"), true);
  list.Add(QStringLiteral("/a/Two.Q11"), true);
  EXPECT_EQ(list.Entries(), (QStringList{"/a/Two.Q11", "/a/One.Q11"}));
  EXPECT_EQ(Stored(), list.Entries());
}

TEST(HistoryList, ReaddingMovesToTheHeadIgnoringCase) {
  HistoryList list;
  list.Add(QStringLiteral("/a/One.Q11"), false);
  list.Add(QStringLiteral("/a/Two.Q11"), false);
  list.Add(QStringLiteral("/A/ONE.q11"), false);
  EXPECT_EQ(list.Entries(), (QStringList{"/A/ONE.q11", "/a/Two.Q11"}));
}

TEST(HistoryList, ElevenFilesLeaveTenAndTheOldestDropsOut) {
  HistoryList list;
  for (int i = 0; i < 11; ++i) list.Add(QStringLiteral("/f/File%1.Q11").arg(i), true);
  ASSERT_EQ(list.Count(), 10);
  EXPECT_EQ(list.Entries().first(), QStringLiteral("/f/File10.Q11"));
  EXPECT_FALSE(list.Entries().contains(QStringLiteral("/f/File0.Q11")));
  HistoryList reloaded;
  reloaded.Load();
  EXPECT_EQ(reloaded.Entries(), list.Entries());
}

TEST(HistoryList, RemoveWithoutSaveLeavesTheStoreUntilTheNextAdd) {
  HistoryList list;
  list.Add(QStringLiteral("/a/One.Q11"), true);
  list.Add(QStringLiteral("/a/Two.Q11"), true);
  list.Remove(QStringLiteral("/A/one.Q11"), false);
  EXPECT_EQ(list.Entries(), QStringList{"/a/Two.Q11"});
  EXPECT_EQ(Stored().size(), 2);
  list.Add(QStringLiteral("/a/Three.Q11"), true);
  EXPECT_EQ(Stored(), (QStringList{"/a/Three.Q11", "/a/Two.Q11"}));
}

TEST(HistoryList, SaveReplacesEveryOldValue) {
  Store(3, {"/x/1.Q11", "/x/2.Q11", "/x/3.Q11"});
  HistoryList list;
  list.Add(QStringLiteral("/x/only.Q11"), true);
  TRegistry registry(RegistryRoot::CurrentUser);
  ASSERT_TRUE(registry.OpenKey(kHistoryKey, false));
  EXPECT_EQ(registry.ReadInteger(QStringLiteral("Count")), 1);
  EXPECT_FALSE(registry.ValueExists(QStringLiteral("History1")));
}

TEST(HistoryList, LoadReadsAtMostTenEvenWhenCountSaysMore) {
  QStringList names;
  for (int i = 0; i < 25; ++i) names.append(QStringLiteral("/h/F%1.Q11").arg(i));
  Store(25, names);
  HistoryList list;
  list.Load();
  EXPECT_EQ(list.Entries(), names.mid(0, 10));
}

TEST(HistoryList, LoadSkipsMissingValuesAndToleratesNegativeCount) {
  Store(3, {"/h/A.Q11"});
  HistoryList list;
  list.Load();
  EXPECT_EQ(list.Entries(), QStringList{"/h/A.Q11"});
  Store(-4, {});
  list.Load();
  EXPECT_TRUE(list.Entries().isEmpty());
}

TEST(HistoryList, LoadOfEmptyStoreIsEmpty) {
  HistoryList list;
  list.Add(QStringLiteral("/stale"), false);
  list.Load();
  EXPECT_TRUE(list.Entries().isEmpty());
}

TEST(HistoryList, LoadDropsDuplicatesAndBlanksOfAHandEditedStore) {
  Store(4, {"/h/A.Q11", "  ", "/H/a.q11", "/h/B.Q11"});
  HistoryList list;
  list.Load();
  EXPECT_EQ(list.Entries(), (QStringList{"/h/A.Q11", "/h/B.Q11"}));
}

struct PrefixCase {
  int n;
  int count;
  const char* expected;
};

class HistoryCaptions : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(HistoryCaptions, NumbersTheEntries) {
  EXPECT_EQ(HistoryCaptionPrefix(GetParam().n, GetParam().count), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Prefixes, HistoryCaptions,
                         ::testing::Values(PrefixCase{1, 1, "&1 "}, PrefixCase{9, 9, "&9 "},
                                           PrefixCase{1, 10, "  &1 "}, PrefixCase{9, 10, "  &9 "},
                                           PrefixCase{10, 10, "1&0 "}, PrefixCase{5, 7, "&5 "}),
                         [](const auto& p) { return std::to_string(p.index); });

struct NameCase {
  const char* path;
  const char* folder;
  const char* expected;
};

class HistoryNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(HistoryNames, ShortensKnownParts) {
  const NameCase& c = GetParam();
  EXPECT_EQ(HistoryDisplayName(QString::fromUtf8(c.path), QString::fromUtf8(c.folder)),
            QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Names, HistoryNames,
    ::testing::Values(NameCase{"/home/u/Config/Engine.Q11", "/home/u/Config", "Engine"},
                      NameCase{"/home/u/Config/Engine.q11", "/home/u/Config/", "Engine"},
                      NameCase{"/HOME/U/config/Engine.Q11", "/home/u/Config", "Engine"},
                      NameCase{"/home/u/Other/Engine.Q11", "/home/u/Config", "/home/u/Other/Engine"},
                      NameCase{"/home/u/Config/Old.QV1", "/home/u/Config", "Old.QV1"},
                      NameCase{"/home/u/Config/sub/Engine.Q11", "/home/u/Config",
                               "/home/u/Config/sub/Engine"},
                      NameCase{"  /home/u/Config/Engine.Q11  ", "/home/u/Config", "Engine"},
                      NameCase{"C:\\Data\\Engine.Q11", "C:\\Data", "Engine"},
                      NameCase{"/home/u/Config/.Q11", "/home/u/Config", ".Q11"}),
    [](const auto& p) { return std::to_string(p.index); });

struct ShortenCase {
  const char* path;
  int width;  // in characters
  const char* expected;
};

class HistoryShortening : public ::testing::TestWithParam<ShortenCase> {};

// Every character one unit wide, so the widths below can be counted.
TEST_P(HistoryShortening, DropsWholeInnerFoldersAndKeepsTheFileName) {
  const ShortenCase& c = GetParam();
  const auto characters = [](const QString& text) { return static_cast<int>(text.size()); };
  EXPECT_EQ(ShortenPathToFit(QString::fromUtf8(c.path), c.width, characters), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, HistoryShortening,
    ::testing::Values(ShortenCase{"/tmp/ab/files/Old", 17, "/tmp/ab/files/Old"},
                      ShortenCase{"/tmp/abcdefgh/files/Old", 16, "/tmp/…/files/Old"},
                      ShortenCase{"/tmp/abcdefgh/files/Old", 15, "/tmp/…/Old"},
                      ShortenCase{"/home/user/projects/engine/maps/Old.QV1", 25, "/home/…/maps/Old.QV1"},
                      ShortenCase{"/home/user/projects/engine/maps/Old.QV1", 27, "/home/…/engine/maps/Old.QV1"},
                      ShortenCase{"/verylongfolder/a/Old", 8, "…/Old"},
                      ShortenCase{"/tmp/Old-and-long", 14, "…/Old-and-long"},
                      ShortenCase{"/a/b/LongFileName", 5, "LongFileName"},
                      ShortenCase{"C:\\Data\\Maps\\Engine", 14, "C:\\…\\Engine"},
                      ShortenCase{"a/b/c/Old", 7, "a/…/Old"},
                      ShortenCase{"Engine", 3, "Engine"}),
    [](const auto& p) { return std::to_string(p.index); });

TEST(HistoryHint, NamesTheFullPath) {
  EXPECT_EQ(HistoryHint(QStringLiteral("/a/b/Engine.Q11")),
            QStringLiteral("Opens the configuration file /a/b/Engine.Q11"));
}

}  // namespace
