// The templates the new-configuration dialog lists.

#include <vector>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

#include "config/templates.h"
#include "support/qtprinters.h"
#include "support/testenvironment.h"

namespace {

std::vector<QString> Titles(const std::vector<TemplateEntry>& entries) {
  std::vector<QString> titles;
  for (const TemplateEntry& entry : entries) titles.push_back(entry.title);
  return titles;
}

}  // namespace

// ---------------------------------------------------------------- templates

TEST(Templates, OnlySetupFilesInCharacterCodeOrder) {
  const QString folder = TestEnvironment::PathIn("Templates/");
  for (const char* name : {"Petrol.Q11", "notes.txt", "Diesel.Q11", "Old.QV1"}) WriteAll(folder + name, "x");
  const auto entries = ListTemplates(folder);
  EXPECT_EQ(Titles(entries), (std::vector<QString>{"Diesel", "Petrol"}));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(TemplatePath(folder, entries[0]), folder + "Diesel.Q11");
}

TEST(Templates, UpperCaseSortsFirst) {
  const QString folder = TestEnvironment::PathIn("Templates/");
  WriteAll(folder + "a.Q11", "x");
  WriteAll(folder + "B.Q11", "x");
  EXPECT_EQ(Titles(ListTemplates(folder)), (std::vector<QString>{"B", "a"}));
}

TEST(Templates, ReadOnlyListedHiddenAndFoldersNot) {
  const QString folder = TestEnvironment::PathIn("Templates/");
  WriteAll(folder + "Locked.Q11", "x");
  SetReadOnly(folder + "Locked.Q11", true);
  WriteAll(folder + ".Hidden.Q11", "x");
  QDir().mkpath(folder + "Folder.Q11");
  EXPECT_EQ(Titles(ListTemplates(folder)), (std::vector<QString>{"Locked"}));
}

TEST(Templates, EmptyOrMissingFolderOffersOnlyTheBlankEntry) {
  for (const QString& folder : {TestEnvironment::PathIn("Empty/"), TestEnvironment::Root() + "/Missing"}) {
    QDir().mkpath(TestEnvironment::Root() + "/Empty");
    const auto entries = ListTemplates(folder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, QString("Blank Configuration"));
    EXPECT_EQ(TemplatePath(folder, entries[0]), QString());
  }
}

#ifndef Q_OS_WIN
TEST(Templates, PipeWithATemplateNameIsNotATemplate) {
  const QString folder = TestEnvironment::PathIn("Templates/");
  WriteAll(folder + "Diesel.Q11", "x");
  ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "Pipe.Q11").constData(), 0600), 0);
  EXPECT_EQ(Titles(ListTemplates(folder)), (std::vector<QString>{"Diesel"}));
}
#endif
