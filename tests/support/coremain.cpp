#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include "support/qtmessagecheck.h"
#include "support/testenvironment.h"

int main(int argc, char** argv) {
  TestEnvironment::Setup();
  QtMessageCheck::Install();
  QLocale::setDefault(QLocale::c());
  int result = 0;
  {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  TestEnvironment::TearDown();
  return result;
}
