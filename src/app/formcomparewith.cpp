#include "app/formcomparewith.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/numberedbackups.h"
#include "platform/prompter.h"
#include "platform/qvaerrors.h"
#include "platform/registeredfilepath.h"
#include "config/qvasetupfiler.h"
#include "app/setupdocument.h"
#include "app/takeoverframe.h"

namespace {

constexpr int kMinimumWidth = 720;
constexpr int kMinimumHeight = 480;
const QString kCompareWithTitle = QStringLiteral("Compare With");

}  // namespace

TFormCompareWith::TFormCompareWith(SetupDocument& document, const QString& path, const QVA_CONFIG_DATA& other,
                                   QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("FormCompareWith"));
  setWindowTitle(kCompareWithTitle);
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(
      QStringLiteral("The loaded configuration compared with ") + QDir::toNativeSeparators(path), this);
  label->setObjectName(QStringLiteral("LabelCompared"));
  label->setWordWrap(true);
  layout->addWidget(label);
  FrameTakeOver = new TFrameTakeOver(document, QStringLiteral("File"), this);
  FrameTakeOver->SetOther(other);
  layout->addWidget(FrameTakeOver, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("ButtonClose"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void RunCompareWithCommand(SetupDocument& document, Prompter& prompter, QWidget* parent) {
  if (!document.Config()) return;
  FileDialogRequest request;
  request.title = kCompareWithTitle;
  request.filter = kSetupOpenFilter;
  request.filterIndex = 1;
  request.defaultExtension = kSetupFileExtension;
  request.initialDir = GetFolder(FileType::ConfigFiles);
  const std::optional<QString> chosen = prompter.OpenFile(request);
  if (!chosen || chosen->isEmpty()) return;
  QVA_CONFIG_DATA other;
  try {
    other = ReadSetupFile(*chosen);
  } catch (const Exception& failure) {
    throw Exception(QDir::toNativeSeparators(*chosen) + QLatin1Char('\n') + failure.Message());
  }
  UpgradeConfig(other);
  TFormCompareWith form(document, *chosen, other, parent);
  form.exec();
}
