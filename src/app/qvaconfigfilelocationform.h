#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class Prompter;

namespace Ui {
class TFormQVAConfigFileLocation;
}

// Lets the user move the configuration folder; OK creates it (after
// asking) with its two backup folders and stores the three paths. The
// template and table folders stay where they are.
class TFormQVAConfigFileLocation : public QDialog {
  Q_OBJECT

 public:
  // Shows the current configuration folder; raises what GetFolder raises.
  explicit TFormQVAConfigFileLocation(Prompter& prompter, QWidget* parent = nullptr);
  ~TFormQVAConfigFileLocation() override;

  // The folder stored by OK (empty until then).
  QString Location() const { return location_; }

  // Runs the dialog modally over owner; true when OK stored a new folder.
  static bool Execute(Prompter& prompter, QWidget* owner);

 signals:
  // Help was asked for; the program has no help pages to show.
  void HelpRequested();

 private:
  void ButtonBrowseClick();
  void ButtonOkClick();
  void ButtonHelpClick();

  std::unique_ptr<Ui::TFormQVAConfigFileLocation> ui_;
  Prompter& prompter_;
  QString location_;
};
