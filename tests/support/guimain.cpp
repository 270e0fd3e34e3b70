#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include "support/qtmessagecheck.h"
#include "support/testenvironment.h"

int main(int argc, char** argv) {
  TestEnvironment::Setup();
  QtMessageCheck::Install();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale::c());
  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  TestEnvironment::TearDown();
  return result;
}
