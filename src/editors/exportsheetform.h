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

// File > Export Setup Sheet...: asks for the note, then for the PDF's name
// (the save dialog asks before replacing a file), and writes the sheet of
// `config` through the safe file writer. `setupFile` is the document's
// file, empty when untitled; the sheet never replaces it. The document is
// not changed. A failed write raises EFileWrite or ESystemError and leaves
// no part of a sheet. Returns the path written, empty when the user
// cancelled.
QString ExportSetupSheet(Prompter& prompter, QWidget* parent, const QVA_CONFIG_DATA& config,
                         const QString& setupFile);
