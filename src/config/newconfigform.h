#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QDialog>
#include <QString>

#include "config/templates.h"

class Prompter;

namespace Ui {
class TFormNewConfig;
}

// Lets the user pick the template a new configuration starts from; only
// when the templates folder holds none is a blank configuration offered.
class TFormNewConfig : public QDialog {
  Q_OBJECT

 public:
  // Lists the templates folder; raises what GetFolder raises.
  explicit TFormNewConfig(Prompter& prompter, QWidget* parent = nullptr);
  ~TFormNewConfig() override;

  // After OK: the chosen template's full path, or empty for a blank
  // configuration.
  QString ResultPath() const { return resultPath_; }

  // Runs the dialog modally over owner: nothing when cancelled, else the
  // result path (empty = blank configuration).
  static std::optional<QString> Execute(Prompter& prompter, QWidget* owner);

 signals:
  // Help was asked for; the program has no help pages to show.
  void HelpRequested();

 private:
  void ButtonOkClick();
  void ButtonHelpClick();

  std::unique_ptr<Ui::TFormNewConfig> ui_;
  Prompter& prompter_;
  QString folder_;
  std::vector<TemplateEntry> entries_;
  QString resultPath_;
};
