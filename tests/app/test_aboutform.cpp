#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/aboutform.h"
#include "qvaversion.h"

namespace {

TEST(AboutForm, ShowsProductAndVersion) {
  TFormAboutQVASetup about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
  auto* product = about.findChild<QLabel*>(QStringLiteral("LabelProduct"));
  ASSERT_NE(product, nullptr);
  EXPECT_EQ(product->text(), QStringLiteral("Ulmora QVA Setup"));
  EXPECT_TRUE(product->font().bold());
  EXPECT_TRUE(product->font().italic());
  EXPECT_EQ(product->font().family(), QStringLiteral("Arial"));
  auto* version = about.findChild<QLabel*>(QStringLiteral("LabelVersion"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text(), QStringLiteral("Version ") + QStringLiteral(QVA_VERSION_TEXT));
  EXPECT_TRUE(version->text().contains(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+"))));
}

TEST(AboutForm, CloseButtonEndsTheModalBox) {
  TFormAboutQVASetup about;
  auto* close = about.findChild<QPushButton*>(QStringLiteral("ButtonClose"));
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->text(), QStringLiteral("Close"));
  QTimer::singleShot(0, close, &QPushButton::click);
  EXPECT_EQ(about.exec(), QDialog::Accepted);
  // A fixed border: the box cannot be resized.
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
}

}  // namespace
