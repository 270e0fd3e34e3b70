#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "platform/qvaregistry.h"
#include "platform/registryfunctions.h"
#include "platform/qvaerrors.h"
#include "support/testenvironment.h"

TEST(RegistryPaths, ApplicationKeyAndJoins) {
  EXPECT_EQ(ApplicationKeyPath(), QStringLiteral("\\Software\\Ulmora\\QVA Setup\\1.1"));
  EXPECT_EQ(JoinKeyPath("A", "B", "2.0"), QStringLiteral("\\Software\\A\\B\\2.0"));
  EXPECT_EQ(DirectoriesKeyPath(), QStringLiteral("\\Software\\Ulmora\\QVA Setup\\1.1\\Directories"));
  EXPECT_EQ(JoinKeyPart("a\\", "b"), QStringLiteral("a\\b"));
  EXPECT_EQ(JoinKeyPart("C:", "b"), QStringLiteral("C:b"));
}

TEST(Registry, ValuesPersistPerRootAndKey) {
  {
    TRegistry registry;
    OpenApplicationKey(registry);
    EXPECT_FALSE(registry.ValueExists("Communications Port"));
    registry.WriteString("Communications Port", "COM3");
  }
  {
    TRegistry registry;
    OpenVendorKey(registry, RegistryRoot::CurrentUser, ApplicationKeyPath() + "\\Config Files");
    registry.WriteInteger("Count", 2);
    EXPECT_FALSE(registry.ValueExists("Communications Port"));  // another root
  }
  TRegistry machine;
  OpenApplicationKey(machine);
  EXPECT_EQ(machine.ReadString("Communications Port"), QStringLiteral("COM3"));
  TRegistry user(RegistryRoot::CurrentUser);
  ASSERT_TRUE(user.OpenKey(ApplicationKeyPath() + "\\Config Files", false));
  EXPECT_EQ(user.ReadInteger("Count"), 2);
  EXPECT_THROW(user.ReadInteger("Missing"), Exception);
}

TEST(Registry, AnotherSettingsVersionSharesNothing) {
  TRegistry registry(RegistryRoot::LocalMachine);
  ASSERT_TRUE(registry.OpenKey(JoinKeyPath("Ulmora", "QVA Setup", "1.0"), true));
  registry.WriteString("Communications Port", "COM7");
  TRegistry current;
  OpenApplicationKey(current);
  EXPECT_FALSE(current.ValueExists("Communications Port"));
}

TEST(Registry, DeleteKeyRemovesValuesAndSubKeys) {
  TRegistry registry(RegistryRoot::CurrentUser);
  ASSERT_TRUE(registry.OpenKey("\\Software\\T\\Config Files", true));
  registry.WriteString("History0", "a");
  ASSERT_TRUE(registry.OpenKey("\\Software\\T\\Config Files\\Sub", true));
  registry.WriteString("x", "y");
  registry.CloseKey();
  EXPECT_TRUE(registry.DeleteKey("\\Software\\T\\Config Files"));
  EXPECT_FALSE(registry.OpenKey("\\Software\\T\\Config Files", false));
}

TEST(Registry, UnwritableStoreRaisesTheApplicationKeyError) {
  // A file where the store's folder should be makes the store unusable,
  // even for an administrator.
  const QString folder = TRegistry::StoreFolder();
  QFile::remove(folder + "/machine.ini");
  QDir(folder).removeRecursively();
  WriteAll(folder, "not a folder");
  TRegistry registry;
  try {
    OpenApplicationKey(registry);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Cannot access application registry key"));
  }
  try {
    OpenVendorKey(registry, RegistryRoot::CurrentUser, ApplicationKeyPath());
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Cannot access vendor registry key"));
  }
  QFile::remove(folder);
}
