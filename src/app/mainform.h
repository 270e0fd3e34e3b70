#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QMainWindow>
#include <QPixmap>

#include "app/historylist.h"
#include "app/setupdocument.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;

// Which setup editor a Setup menu item runs.
enum class SetupEditor { SensorSetup, DisplaySetup, DigitalInputsSetup, CANMessagesSetup, AnalogOutputSetup };

// Where the other parts of the program plug into the main window. Every hook
// may be left empty: the command then does nothing beyond its own checks.
// Hooks run inside the window's error handler: what they raise is shown in
// the error box (EAbort silently) and the document stays as it was.
struct MainFormHooks {
  // The new-configuration dialog: nullopt when cancelled, an empty path for
  // the blank entry, else the template's path. Without it New makes a
  // blank configuration.
  std::function<std::optional<QString>(QWidget* owner)> newConfigDialog;
  // A setup editor on the loaded record (run through RunConfigDialog, so
  // the document notices any change). commPort is for the sensor editor.
  std::function<void(SetupEditor editor, QVA_CONFIG_DATA& config, QWidget* owner, const QString& commPort)>
      setupEditor;
  // The configuration viewer on the loaded record (through RunConfigDialog).
  std::function<void(QVA_CONFIG_DATA& config, QWidget* owner)> viewConfig;
  // The Get transfer, after the window's questions. Returns whether the
  // progress window finished (true) or was cancelled (false), and the
  // received host record when there is one.
  std::function<std::pair<bool, std::optional<QVA_CONFIG_DATA>>(const QString& commPort, QWidget* owner)>
      getConfiguration;
  // The Send transfer, after the window's checks, run through
  // RunConfigDialog; a record it changed is saved to its file afterwards.
  std::function<void(QVA_CONFIG_DATA& config, const QString& commPort, QWidget* owner)> sendConfiguration;
  // The Live Data window on commPort; needs no configuration.
  std::function<void(const QString& commPort, QWidget* owner)> liveData;
  // The configuration folder dialog; the recent-file menu is rebuilt after
  // it whatever its outcome.
  std::function<void(QWidget* owner)> fileLocationsDialog;
  // The port dialog of "Communications &Port..."; may change commPort.
  std::function<void(QString& commPort, QWidget* owner)> communicationsPortDialog;
  // The communications-port start-up, run once the window is on screen;
  // reads commPort from the settings or asks for it (EAbort: cancelled).
  std::function<void(QString& commPort, QWidget* owner)> portStartUp;
};

// The program's only top-level window: the menu every command starts from,
// the caption and menu state that follow the document, and the recent-file
// menu. The rules live in SetupDocument; this class forwards and shows.
class TFormQVASetupMain : public QMainWindow, private DocumentObserver {
  Q_OBJECT

 public:
  explicit TFormQVASetupMain(Prompter& prompter, QWidget* parent = nullptr);
  ~TFormQVASetupMain() override;

  SetupDocument& Document() { return document_; }
  MainFormHooks& Hooks() { return hooks_; }
  const QString& CommPort() const { return commPort_; }
  void SetCommPort(const QString& port) { commPort_ = port; }

  void SetCurrentFile(const QString& path);
  void UpdateMenuState();
  // Creates and loads the recent-file list on first use; adds (saving) or
  // removes (not saving) a non-empty name; rebuilds the menu.
  void UpdateHistory(const QString& name, bool remove);
  void RebuildHistoryMenu();
  const HistoryList* History() const { return history_.get(); }

  // New: the new-configuration dialog (hook) or a blank record.
  void RunNewConfigDialog();
  // Brings this window forward for a later copy of the program: its open
  // modal dialog first, un-minimised.
  void BringToFront();

  // Menu handlers, named as the menu items.
  void MenuItemFileNewClick();
  void MenuItemFileOpenClick();
  void MenuItemFileSaveClick();
  void MenuItemFileSaveAsClick();
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
  MainFormHooks hooks_;
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
