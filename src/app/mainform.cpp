#include "app/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/aboutform.h"
#include "platform/appinfo.h"
#include "platform/errorhandler.h"
#include "platform/registeredfilepath.h"
#include "config/qvasetupfiler.h"
#include "comms/sendchecks.h"

namespace {

constexpr int kDesignWidth = 616;
constexpr int kDesignHeight = 436;
constexpr int kPanelWidth = 185;
constexpr int kPanelHeight = 106;
constexpr int kLogoSize = 48;
constexpr int kLabelPixelSize = 27;
// Opens the configuration viewer of the hidden Debug menu.
constexpr QKeyCombination kViewConfigShortcut(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_V);

// A menu caption may contain '&' only as a mnemonic marker; a file name's
// own ampersands must show as they are.
QString EscapeMnemonics(QString text) {
  return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The File menu's keys: the desktop's standard ones, or where its key scheme
// has none (Save As outside GNOME, Exit without a desktop) the keys the
// other desktops use.
struct FileMenuKey {
  const char* item;
  QKeySequence::StandardKey key;
  QKeyCombination usual;
};
constexpr FileMenuKey kFileMenuKeys[] = {
    {"MenuItemFileNew", QKeySequence::New, Qt::ControlModifier | Qt::Key_N},
    {"MenuItemFileOpen", QKeySequence::Open, Qt::ControlModifier | Qt::Key_O},
    {"MenuItemFileSave", QKeySequence::Save, Qt::ControlModifier | Qt::Key_S},
    {"MenuItemFileSaveAs", QKeySequence::SaveAs, Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_S},
    {"MenuItemFileExit", QKeySequence::Quit, Qt::ControlModifier | Qt::Key_Q},
};

void SetFileMenuKeys(QMenu* menu) {
  for (const FileMenuKey& entry : kFileMenuKeys) {
    const QList<QKeySequence> standard = QKeySequence::keyBindings(entry.key);
    menu->findChild<QAction*>(QLatin1String(entry.item))
        ->setShortcuts(standard.isEmpty() ? QList<QKeySequence>{QKeySequence(entry.usual)} : standard);
  }
}

}  // namespace

QPixmap PaintQvaLogo(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  // A dial face with a red needle over a lambda: the meter at a glance.
  painter.setPen(QPen(QColor(30, 50, 90), s * 0.06));
  painter.setBrush(QColor(235, 240, 248));
  painter.drawEllipse(QRectF(s * 0.05, s * 0.05, s * 0.9, s * 0.9));
  painter.setPen(QPen(QColor(30, 50, 90), s * 0.05, Qt::SolidLine, Qt::RoundCap));
  painter.drawArc(QRectF(s * 0.18, s * 0.18, s * 0.64, s * 0.64), 30 * 16, 120 * 16);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(static_cast<int>(s * 0.42));
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(30, 50, 90));
  painter.drawText(QRectF(0, s * 0.38, s, s * 0.5), Qt::AlignCenter, QString(QChar(0x03BB)));
  painter.setPen(QPen(QColor(200, 20, 20), s * 0.05, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.72, s * 0.24));
  return pixmap;
}

TFormQVASetupMain::TFormQVASetupMain(Prompter& prompter, MainFormCommands& commands, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), document_(prompter, this), commands_(commands) {
  setObjectName(QStringLiteral("FormQVASetupMain"));
  BuildMenus();
  LoadSendChecks();
  BuildClientArea();
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  resize(kDesignWidth, kDesignHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kDesignWidth / 2, kDesignHeight / 2));
  }
  setWindowTitle(kApplicationTitle);
  findChild<QAction*>(QStringLiteral("MenuItemHelpAbout"))
      ->setText(QStringLiteral("&About ") + kApplicationTitle);
  Run([this] { SetCurrentFile(QString()); });
  UpdateMenuState();
  // The rest of start-up (the port) runs once the window is on screen.
  QMetaObject::invokeMethod(this, &TFormQVASetupMain::DeferredStartUp, Qt::QueuedConnection);
}

TFormQVASetupMain::~TFormQVASetupMain() {
  document_.SetObserver(nullptr);
}

QAction* TFormQVASetupMain::AddItem(QMenu* menu, const char* name, const QString& caption,
                                    const QString& hint, void (TFormQVASetupMain::*handler)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(hint);
  connect(action, &QAction::triggered, this,
          [this, handler] { Run([this, handler] { (this->*handler)(); }); });
  return action;
}

QAction* TFormQVASetupMain::AddCheckItem(QMenu* menu, const char* name, const QString& caption,
                                         const QString& hint) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(hint);
  action->setCheckable(true);
  connect(action, &QAction::triggered, this, [this, action] {
    // A choice the settings store refused is not shown as made.
    if (!Run([this] { WriteSendChecks({reviewBeforeSend_->isChecked(), verifyAfterSend_->isChecked()}); }))
      action->setChecked(!action->isChecked());
  });
  return action;
}

void TFormQVASetupMain::LoadSendChecks() {
  SendChecks checks;
  Run([&checks] { checks = ReadSendChecks(); });
  reviewBeforeSend_->setChecked(checks.review);
  verifyAfterSend_->setChecked(checks.verify);
}

void TFormQVASetupMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  menuFile_ = bar->addMenu(QStringLiteral("&File"));
  menuFile_->setObjectName(QStringLiteral("MenuItemFile"));
  AddItem(menuFile_, "MenuItemFileNew", QStringLiteral("&New..."),
          QStringLiteral("Creates a new file based on a template"), &TFormQVASetupMain::MenuItemFileNewClick);
  AddItem(menuFile_, "MenuItemFileOpen", QStringLiteral("&Open..."), QStringLiteral("Opens an existing file"),
          &TFormQVASetupMain::MenuItemFileOpenClick);
  configItems_ << AddItem(menuFile_, "MenuItemFileSave", QStringLiteral("&Save"),
                          QStringLiteral("Saves to the current file"),
                          &TFormQVASetupMain::MenuItemFileSaveClick);
  configItems_ << AddItem(menuFile_, "MenuItemFileSaveAs", QStringLiteral("Save &As..."),
                          QStringLiteral("Saves to a new file"), &TFormQVASetupMain::MenuItemFileSaveAsClick);
  configItems_ << AddItem(menuFile_, "MenuItemFileCompareWith", QStringLiteral("Compare &With..."),
                          QStringLiteral("Compares the configuration with a setup file"),
                          &TFormQVASetupMain::MenuItemFileCompareWithClick);
  AddItem(menuFile_, "MenuItemFileBackups", QStringLiteral("&Backups..."),
          QStringLiteral("Lists the backups and compares them with the configuration"),
          &TFormQVASetupMain::MenuItemFileBackupsClick);
  configItems_ << AddItem(menuFile_, "MenuItemFileExportSheet", QStringLiteral("&Export Setup Sheet..."),
                          QStringLiteral("Writes a printable setup sheet (PDF) of the configuration"),
                          &TFormQVASetupMain::MenuItemFileExportSheetClick);
  historyStart_ = menuFile_->addSeparator();
  historyStart_->setObjectName(QStringLiteral("MenuItemStartHistoryBar"));
  historyStart_->setVisible(false);
  historyEnd_ = menuFile_->addSeparator();
  historyEnd_->setObjectName(QStringLiteral("MenuItemEndHistoryBar"));
  // Closing goes through closeEvent, which asks about unsaved work.
  QAction* exitItem = menuFile_->addAction(QStringLiteral("E&xit"));
  exitItem->setObjectName(QStringLiteral("MenuItemFileExit"));
  exitItem->setStatusTip(QStringLiteral("Exits this program"));
  connect(exitItem, &QAction::triggered, this, &TFormQVASetupMain::MenuItemFileExitClick);
  SetFileMenuKeys(menuFile_);

  QMenu* setup = bar->addMenu(QStringLiteral("&Setup"));
  setup->setObjectName(QStringLiteral("Setup1"));
  configItems_ << AddItem(setup, "MenuItemSetupSensor", QStringLiteral("&Sensor..."), QString(),
                          &TFormQVASetupMain::MenuItemSetupSensorClick);
  configItems_ << AddItem(setup, "MenuItemSetupDisplay", QStringLiteral("&Display..."), QString(),
                          &TFormQVASetupMain::MenuItemSetupDisplayClick);
  configItems_ << AddItem(setup, "MenuItemSetupDigitalInputs", QStringLiteral("Digital &Inputs..."),
                          QString(), &TFormQVASetupMain::MenuItemSetupDigitalInputsClick);
  configItems_ << AddItem(setup, "MenuItemSetupCANCommunications", QStringLiteral("&CAN Messages..."),
                          QString(), &TFormQVASetupMain::MenuItemSetupCANCommunicationsClick);
  configItems_ << AddItem(setup, "MenuItemSetupAnalogOutput", QStringLiteral("&Analog Output..."), QString(),
                          &TFormQVASetupMain::MenuItemSetupAnalogOutputClick);

  QMenu* online = bar->addMenu(QStringLiteral("&Online"));
  online->setObjectName(QStringLiteral("MenuItemOnline"));
  configItems_ << AddItem(online, "MenuItemSendConfiguration", QStringLiteral("&Send Configuration"),
                          QString(), &TFormQVASetupMain::MenuItemSendConfigurationClick);
  AddItem(online, "MenuItemGetConfiguration", QStringLiteral("&Get Configuration"), QString(),
          &TFormQVASetupMain::MenuItemGetConfigurationClick);
  AddItem(online, "MenuItemLiveData", QStringLiteral("&Live Data..."),
          QStringLiteral("Shows the meter's state and pump current as they change"),
          &TFormQVASetupMain::MenuItemLiveDataClick);

  QMenu* options = bar->addMenu(QStringLiteral("Optio&ns"));
  options->setObjectName(QStringLiteral("MenuItemOptions"));
  AddItem(options, "MenuItemFileLocations", QStringLiteral("&Configuration File Location..."), QString(),
          &TFormQVASetupMain::MenuItemFileLocationsClick);
  AddItem(options, "MenuItemCommunicationsPort", QStringLiteral("Communications &Port..."), QString(),
          &TFormQVASetupMain::MenuItemCommunicationsPortClick);
  options->addSeparator();
  reviewBeforeSend_ = AddCheckItem(options, "MenuItemReviewBeforeSend", QStringLiteral("&Review Changes Before Send"),
                                   QStringLiteral("Shows what a send would change in the QVA and asks first"));
  verifyAfterSend_ = AddCheckItem(options, "MenuItemVerifyAfterSend", QStringLiteral("&Verify After Send"),
                                  QStringLiteral("Reads the configuration back from the QVA after sending it"));

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("MenuItemHelp"));
  AddItem(help, "MenuItemHelpTopics", QStringLiteral("&Topics..."),
          QStringLiteral("Shows the help topics screen"), &TFormQVASetupMain::MenuItemHelpTopicsClick);
  help->addSeparator()->setObjectName(QStringLiteral("N3"));
  AddItem(help, "MenuItemHelpAbout", QStringLiteral("&About"),
          QStringLiteral("Shows information about this program"), &TFormQVASetupMain::MenuItemHelpAboutClick);

  // A diagnostic menu for the workshop's own use: present, never shown.
  QMenu* debug = bar->addMenu(QStringLiteral("&Debug"));
  debug->setObjectName(QStringLiteral("Debug1"));
  debug->menuAction()->setVisible(false);
  QAction* viewConfig = AddItem(debug, "MenuItemViewConfig", QStringLiteral("&View Config..."), QString(),
                                &TFormQVASetupMain::MenuItemViewConfigClick);
  // The menu stays hidden; its one item is reached by a shortcut of the
  // window itself.
  viewConfig->setShortcut(kViewConfigShortcut);
  addAction(viewConfig);
  configItems_ << viewConfig;
}

void TFormQVASetupMain::BuildClientArea() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client_);
  auto* bevel = new QFrame(client_);
  bevel->setObjectName(QStringLiteral("Bevel1"));
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(0, 0, kDesignWidth, 2);

  panel_ = new QFrame(client_);
  panel_->setObjectName(QStringLiteral("Panel1"));
  panel_->setFixedSize(kPanelWidth, kPanelHeight);
  auto* layout = new QVBoxLayout(panel_);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  auto* image = new QLabel(panel_);
  image->setObjectName(QStringLiteral("Image1"));
  image->setPixmap(PaintQvaLogo(kLogoSize));
  image->setAlignment(Qt::AlignCenter);
  layout->addWidget(image);
  auto* label = new QLabel(QStringLiteral("QVA Setup"), panel_);
  label->setObjectName(QStringLiteral("Label1"));
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(kLabelPixelSize);
  font.setItalic(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::red);
  label->setPalette(palette);
  label->setAlignment(Qt::AlignCenter);
  layout->addWidget(label);
  client_->installEventFilter(this);
  CenterPanel();
}

bool TFormQVASetupMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    CenterPanel();
    if (auto* bevel = client_->findChild<QFrame*>(QStringLiteral("Bevel1")))
      bevel->resize(client_->width(), 2);
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormQVASetupMain::CenterPanel() {
  panel_->move((client_->width() - panel_->width()) / 2, (client_->height() - panel_->height()) / 2);
}

bool TFormQVASetupMain::Run(const std::function<void()>& command) {
  return RunCommand(prompter_, command);
}

void TFormQVASetupMain::DeferredStartUp() {
  repaint();
  Run([this] { commands_.PortStartUp(commPort_, this); });
  UpdateCaption();
}

// ---- Document state ---------------------------------------------------------

void TFormQVASetupMain::SetCurrentFile(const QString& path) {
  document_.SetCurrentFile(path);
}

void TFormQVASetupMain::CurrentFileSet(const QString& previous, const QString& current) {
  // The document has already changed: a settings store that fails here is
  // reported, but the caption and menus still follow the document.
  UpdateCaption();
  // One message is enough for one change of file.
  Run([&] {
    if (!previous.isEmpty()) UpdateHistory(previous, false);
    // The list never shows the file that is open.
    if (!current.isEmpty()) UpdateHistory(current, true);
    UpdateHistory(QString(), false);
  });
}

void TFormQVASetupMain::MenuStateChanged() {
  UpdateMenuState();
}

void TFormQVASetupMain::UpdateMenuState() {
  const bool loaded = document_.HasConfig();
  for (QAction* action : configItems_) action->setEnabled(loaded);
}

void TFormQVASetupMain::UpdateHistory(const QString& name, bool remove) {
  if (!history_) {
    auto list = std::make_unique<HistoryList>();
    list->Load();
    history_ = std::move(list);
  }
  const QString trimmed = name.trimmed();
  if (!trimmed.isEmpty()) {
    if (remove)
      history_->Remove(trimmed, false);
    else
      history_->Add(trimmed, true);
  }
  RebuildHistoryMenu();
}

void TFormQVASetupMain::RebuildHistoryMenu() {
  for (QAction* action : historyItems_) {
    menuFile_->removeAction(action);
    // The item may be the one whose click is running now: it goes once that
    // has returned, and is nameless until then.
    action->setObjectName(QString());
    action->deleteLater();
  }
  historyItems_.clear();
  const int count = history_ ? history_->Count() : 0;
  historyStart_->setVisible(count > 0);
  if (count == 0) return;
  const QString configFolder = GetFolder(FileType::ConfigFiles);
  const QFontMetrics metrics(font());
  for (int index = 0; index < count; ++index) {
    const QString path = history_->Entries()[index];
    const QString shown = ShortenPathToFit(HistoryDisplayName(path, configFolder), kHistoryNameWidth,
                                           [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
    auto* action = new QAction(HistoryCaptionPrefix(index + 1, count) + EscapeMnemonics(shown), menuFile_);
    action->setObjectName(QStringLiteral("MenuItemHistory%1").arg(index));
    action->setStatusTip(HistoryHint(path));
    action->setData(index);
    connect(action, &QAction::triggered, this,
            [this, index] { Run([this, index] { MenuItemHistoryClick(index); }); });
    menuFile_->insertAction(historyEnd_, action);
    historyItems_.append(action);
  }
}

// ---- File menu ----------------------------------------------------------------

void TFormQVASetupMain::MenuItemFileNewClick() {
  if (document_.CanDiscardConfig()) RunNewConfigDialog();
}

void TFormQVASetupMain::RunNewConfigDialog() {
  const std::optional<QString> choice = commands_.NewConfigDialog(this);
  if (!choice) return;
  if (choice->isEmpty())
    document_.NewBlankConfig();
  else
    document_.LoadTemplate(*choice);
}

void TFormQVASetupMain::MenuItemFileOpenClick() {
  if (!document_.CanDiscardConfig()) return;
  FileDialogRequest request;
  request.filter = kSetupOpenFilter;
  request.filterIndex = 1;
  request.defaultExtension = kSetupFileExtension;
  request.initialDir = GetFolder(FileType::ConfigFiles);
  const std::optional<QString> chosen = prompter_.OpenFile(request);
  if (chosen && !chosen->isEmpty()) document_.OpenConfigFile(*chosen);
}

void TFormQVASetupMain::MenuItemHistoryClick(int index) {
  if (!history_ || index < 0 || index >= history_->Count()) return;
  // The entry is copied: the list changes as soon as the file opens.
  const QString path = history_->Entries()[index];
  if (document_.CanDiscardConfig()) document_.OpenConfigFile(path);
}

void TFormQVASetupMain::MenuItemFileSaveClick() {
  document_.Save();
}

void TFormQVASetupMain::MenuItemFileSaveAsClick() {
  document_.SaveConfigAs();
}

void TFormQVASetupMain::MenuItemFileCompareWithClick() {
  commands_.CompareWith(document_, this);
}

void TFormQVASetupMain::MenuItemFileBackupsClick() {
  commands_.Backups(document_, this);
}

void TFormQVASetupMain::MenuItemFileExitClick() {
  close();
}

bool TFormQVASetupMain::FormCloseQuery() {
  bool allowed = false;
  Run([this, &allowed] { allowed = document_.CanCloseConfig(); });
  return allowed;
}

void TFormQVASetupMain::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  // The file open at exit heads the recent-file list at the next start.
  Run([this] { SetCurrentFile(QString()); });
  event->accept();
}

// ---- Setup, view, online, options ---------------------------------------

void TFormQVASetupMain::RunSetupEditor(SetupEditor editor) {
  document_.RunConfigDialog(
      [this, editor](QVA_CONFIG_DATA& config) { commands_.EditSetup(editor, config, this, commPort_); });
}

void TFormQVASetupMain::MenuItemSetupSensorClick() {
  RunSetupEditor(SetupEditor::SensorSetup);
}
void TFormQVASetupMain::MenuItemSetupDisplayClick() {
  RunSetupEditor(SetupEditor::DisplaySetup);
}
void TFormQVASetupMain::MenuItemSetupDigitalInputsClick() {
  RunSetupEditor(SetupEditor::DigitalInputsSetup);
}
void TFormQVASetupMain::MenuItemSetupCANCommunicationsClick() {
  RunSetupEditor(SetupEditor::CANMessagesSetup);
}
void TFormQVASetupMain::MenuItemSetupAnalogOutputClick() {
  RunSetupEditor(SetupEditor::AnalogOutputSetup);
}

void TFormQVASetupMain::MenuItemFileExportSheetClick() {
  // The sheet reads the record; the document stays as it is.
  if (document_.HasConfig()) commands_.ExportSetupSheet(document_, this);
}

void TFormQVASetupMain::MenuItemViewConfigClick() {
  document_.RunConfigDialog([this](QVA_CONFIG_DATA& config) { commands_.ViewConfig(config, this); });
}

void TFormQVASetupMain::MenuItemGetConfigurationClick() {
  if (!document_.PrepareGetConfiguration()) return;
  document_.FinishGetConfiguration(commands_.GetConfiguration(commPort_, this));
}

void TFormQVASetupMain::MenuItemLiveDataClick() {
  commands_.LiveData(commPort_, this);
}

void TFormQVASetupMain::MenuItemSendConfigurationClick() {
  switch (document_.PrepareSendConfiguration()) {
    case SendCheck::Stop:
      return;
    case SendCheck::NoSensor:
      MenuItemSetupSensorClick();
      return;
    case SendCheck::Proceed:
      break;
  }
  document_.RunConfigDialog(
      [this](QVA_CONFIG_DATA& config) { commands_.SendConfiguration(config, commPort_, this); });
  document_.FinishSendConfiguration();
}

void TFormQVASetupMain::MenuItemFileLocationsClick() {
  // The configuration folder may have changed, and with it the names shown,
  // even when the dialog failed part way: the menu is rebuilt after it
  // whatever its outcome, and its failure is shown first.
  Run([this] { commands_.FileLocationsDialog(this); });
  RebuildHistoryMenu();
}

void TFormQVASetupMain::MenuItemCommunicationsPortClick() {
  commands_.CommunicationsPortDialog(commPort_, this);
  UpdateCaption();
}

// The document's caption; while the simulated meter stands in for a real
// one, the caption says so, so nobody takes its answers for a meter's.
void TFormQVASetupMain::UpdateCaption() {
  QString caption = document_.Caption();
  if (commands_.IsSimulatedMeter(commPort_)) caption += QStringLiteral(" [simulated meter]");
  setWindowTitle(caption);
}

// ---- Help ------------------------------------------------------------------

void TFormQVASetupMain::MenuItemHelpTopicsClick() {
  MessageRequest request;
  request.text = QStringLiteral("Function not implemented.");
  request.caption = kApplicationTitle;
  request.buttons = MessageButtons::Ok;
  prompter_.Message(request);
}

void TFormQVASetupMain::MenuItemHelpAboutClick() {
  TFormAboutQVASetup about(this);
  about.exec();
}

void TFormQVASetupMain::BringToFront() {
  const auto bringForward = [](QWidget* widget) {
    if (widget->isMinimized()) widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    widget->show();
    widget->raise();
    widget->activateWindow();
  };
  bringForward(this);
  // A dialog open in this copy is what the user must answer first.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) bringForward(modal);
}
