#pragma once

#include <functional>
#include <memory>

#include <QMainWindow>
#include <QPixmap>

#include "app/historylist.h"
#include "app/mainformcommands.h"
#include "app/setupdocument.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;

// The program's only top-level window: the menu every command starts from,
// the caption and menu state that follow the document, and the recent-file
// menu. The rules live in SetupDocument; this class forwards and shows.
class TFormQVASetupMain : public QMainWindow, private DocumentObserver {
  Q_OBJECT

 public:
  // commands must outlive the window.
  TFormQVASetupMain(Prompter& prompter, MainFormCommands& commands, QWidget* parent = nullptr);
  ~TFormQVASetupMain() override;

  SetupDocument& Document() { return document_; }
  const QString& CommPort() const { return commPort_; }
  void SetCommPort(const QString& port) {
    commPort_ = port;
    UpdateCaption();
  }

  void SetCurrentFile(const QString& path);
  void UpdateMenuState();
  // Creates and loads the recent-file list on first use; adds (saving) or
  // removes (not saving) a non-empty name; rebuilds the menu.
  void UpdateHistory(const QString& name, bool remove);
  void RebuildHistoryMenu();
  const HistoryList* History() const { return history_.get(); }

  // New: the new-configuration dialog, then a blank record or the chosen template.
  void RunNewConfigDialog();
  // Brings this window forward for a later copy of the program: its open
  // modal dialog first, un-minimised.
  void BringToFront();

  // Menu handlers, named as the menu items.
  void MenuItemFileNewClick();
  void MenuItemFileOpenClick();
  void MenuItemFileSaveClick();
  void MenuItemFileSaveAsClick();
  void MenuItemFileCompareWithClick();
  void MenuItemFileBackupsClick();
  void MenuItemFileExportSheetClick();
  void MenuItemFileExitClick();
  void MenuItemHistoryClick(int index);
  void MenuItemSetupSensorClick();
  void MenuItemSetupDisplayClick();
  void MenuItemSetupDigitalInputsClick();
  void MenuItemSetupCANCommunicationsClick();
  void MenuItemSetupAnalogOutputClick();
  void MenuItemSendConfigurationClick();
  void MenuItemGetConfigurationClick();
  void MenuItemLiveDataClick();
  void MenuItemFileLocationsClick();
  void MenuItemCommunicationsPortClick();
  void MenuItemHelpTopicsClick();
  void MenuItemHelpAboutClick();
  void MenuItemViewConfigClick();

  // The width a recent-file name is shortened to.
  static constexpr int kHistoryNameWidth = 150;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CurrentFileSet(const QString& previous, const QString& current) override;
  void MenuStateChanged() override;
  void BuildMenus();
  void BuildClientArea();
  void CenterPanel();
  void DeferredStartUp();
  void UpdateCaption();
  bool FormCloseQuery();
  void RunSetupEditor(SetupEditor editor);
  bool Run(const std::function<void()>& command);
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                   void (TFormQVASetupMain::*handler)());
  // A check item of the Options menu that stores the send checks.
  QAction* AddCheckItem(QMenu* menu, const char* name, const QString& caption, const QString& hint);
  void LoadSendChecks();

  Prompter& prompter_;
  SetupDocument document_;
  MainFormCommands& commands_;
  QString commPort_;
  std::unique_ptr<HistoryList> history_;

  QMenu* menuFile_ = nullptr;
  QAction* historyStart_ = nullptr;
  QAction* historyEnd_ = nullptr;
  QList<QAction*> historyItems_;
  QList<QAction*> configItems_;  // enabled only while a configuration is loaded
  QAction* reviewBeforeSend_ = nullptr;
  QAction* verifyAfterSend_ = nullptr;
  QWidget* client_ = nullptr;
  QFrame* panel_ = nullptr;
};

// The program's logo, drawn rather than loaded so that it needs no file.
QPixmap PaintQvaLogo(int size);
