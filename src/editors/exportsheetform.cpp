#include "editors/exportsheetform.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include "platform/prompter.h"
#include "editors/setupsheet.h"
#include "editors/setupsheetpdf.h"
#include "ui_exportsheetform.h"

namespace {

const QString kPdfExtension = QStringLiteral("pdf");

// The PDF beside the setup file, named after it; Documents for an untitled
// configuration.
FileDialogRequest SheetFileRequest(const QString& setupFile) {
  FileDialogRequest request;
  request.title = kExportSheetCaption;
  request.filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
  request.defaultExtension = kPdfExtension;
  if (setupFile.isEmpty()) {
    request.initialDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.fileName = QStringLiteral("Setup Sheet.pdf");
  } else {
    const QFileInfo info(setupFile);
    request.initialDir = info.absolutePath();
    request.fileName = info.completeBaseName() + QLatin1Char('.') + kPdfExtension;
  }
  request.overwritePrompt = true;
  request.rejectReadOnly = true;
  return request;
}

}  // namespace

TFormExportSheet::TFormExportSheet(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TFormExportSheet>()) {
  ui_->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  ui_->EditNote->setMaxLength(kMaxSheetNoteLength);
  connect(ui_->ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormExportSheet::~TFormExportSheet() = default;

QString TFormExportSheet::Note() const {
  return ui_->EditNote->text();
}

QString ExportSetupSheet(Prompter& prompter, QWidget* parent, const QVA_CONFIG_DATA& config,
                         const SheetDocument& document) {
  const QString& setupFile = document.setupFile;
  TFormExportSheet form(parent);
  if (form.exec() != QDialog::Accepted) return QString();
  const QString note = form.Note();
  const FileDialogRequest request = SheetFileRequest(setupFile);
  for (;;) {
    const std::optional<QString> chosen = prompter.SaveFile(request);
    if (!chosen) return QString();
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + kPdfExtension;
    const QString refusal = SheetTargetRefusal(path, setupFile);
    if (!refusal.isEmpty()) {
      ShowInformation(prompter, refusal, kExportSheetCaption);
      continue;
    }
    const SetupSheet sheet = BuildSetupSheet(config, {setupFile, QDate::currentDate(), note, document.unsaved});
    WriteSetupSheet(path, sheet, SheetPageSize(QLocale::system()));
    return path;
  }
}
