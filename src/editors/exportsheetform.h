#pragma once

#include <memory>

#include <QDialog>
#include <QString>

#include "config/qvaconfig.h"

class Prompter;
namespace Ui {
class TFormExportSheet;
}

inline const QString kExportSheetCaption = QStringLiteral("Export Setup Sheet");

// The export dialog: the note printed under the sheet's title.
class TFormExportSheet : public QDialog {
  Q_OBJECT

 public:
  explicit TFormExportSheet(QWidget* parent = nullptr);
  ~TFormExportSheet() override;

  QString Note() const;

 private:
  std::unique_ptr<Ui::TFormExportSheet> ui_;
};

// The document a sheet is exported from.
struct SheetDocument {
  QString setupFile;     // empty when untitled; the sheet never replaces it
  bool unsaved = false;  // the record holds changes not saved to setupFile
};

// File > Export Setup Sheet...: asks for the note, then for the PDF's name
// (the save dialog asks before replacing a file), and writes the sheet of
// `config` through the safe file writer. The configuration is not changed.
// A failed write raises EFileWrite or ESystemError and leaves no part of a
// sheet. Returns the path written, empty when the user cancelled.
QString ExportSetupSheet(Prompter& prompter, QWidget* parent, const QVA_CONFIG_DATA& config,
                         const SheetDocument& document);
