#pragma once

#include <vector>

#include <QDialog>

#include "config/backuplist.h"

class QComboBox;
class QPushButton;
class QTreeWidget;
class SetupDocument;
class TFrameTakeOver;

// File > Backups...: the setup files of both backup folders, newest first,
// with when each was written, its folder, what it was made from, its
// sensor type and how many fields differ from the loaded configuration. The
// selected backup is compared field by field below; chosen fields can be
// copied into the loaded configuration, or the backup opened as a new
// untitled document. No backup file is ever written.
class TFormBackups : public QDialog {
  Q_OBJECT

 public:
  // Lists the folders (raises when a folder setting cannot be read).
  TFormBackups(SetupDocument& document, QWidget* parent);

  // The backups shown, in the list's order (the folder filter applied).
  const std::vector<BackupEntry>& Shown() const { return shown_; }

  void ComboBoxFolderChange();
  void TreeBackupsSelectionChange();
  void ButtonOpenAsCopyClick();

 private:
  void FillList();
  void UpdateCounts();
  const BackupEntry* Selected() const;

  SetupDocument& document_;
  std::vector<BackupEntry> all_;
  std::vector<BackupEntry> shown_;
  QComboBox* ComboBoxFolder;
  QTreeWidget* TreeBackups;
  TFrameTakeOver* FrameTakeOver;
  QPushButton* ButtonOpenAsCopy;
};

// Runs the window modally over the main window.
void RunBackupsWindow(SetupDocument& document, QWidget* parent);
