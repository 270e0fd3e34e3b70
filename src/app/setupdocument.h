#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "platform/prompter.h"
#include "comms/transferprocedures.h"
#include "config/qvaconfig.h"

// Told by the document whenever what the main window shows of it changes.
class DocumentObserver {
 public:
  virtual ~DocumentObserver() = default;
  // The file name was set (also when it did not change): previous is the
  // name it had, current the name it has now. The window updates the
  // recent-file list, its caption and the recent-file menu here.
  virtual void CurrentFileSet(const QString& previous, const QString& current) = 0;
  // Whether a configuration is loaded may have changed: menus follow it.
  virtual void MenuStateChanged() = 0;
};

// What the main window's Send command does after its checks.
enum class SendCheck { Proceed, Stop, NoSensor };

// The one loaded configuration and its document state, with the rules that
// decide when it may be replaced, how it is saved, and what Get and Send
// ask before they touch the device. It talks to the user only through the
// Prompter; every question is titled with Caption(), the main window's
// caption. A failing file operation raises and leaves the document exactly
// as it was.
class SetupDocument {
 public:
  explicit SetupDocument(Prompter& prompter, DocumentObserver* observer = nullptr);

  void SetObserver(DocumentObserver* observer) { observer_ = observer; }
  Prompter& GetPrompter() const { return prompter_; }

  bool HasConfig() const { return config_.has_value(); }
  // The loaded record, or nullptr before the first New, Open or Get.
  const QVA_CONFIG_DATA* Config() const { return config_ ? &*config_ : nullptr; }
  QVA_CONFIG_DATA* Config() { return config_ ? &*config_ : nullptr; }
  const QString& FileName() const { return fileName_; }
  bool Modified() const { return modified_; }
  bool Upgraded() const { return upgraded_; }
  void SetModified(bool modified) { modified_ = modified; }

  // The main window's caption: the application title, followed by
  // " - " and the file title, or " - untitled" for a loaded, unnamed record.
  QString Caption() const;

  // True when the configuration belongs to a file that exists and carries
  // the read-only attribute (backups do). Tested afresh on every call.
  bool IsReadOnlyOnDisk() const;

  void SetCurrentFile(const QString& path);

  // The questions before New, Open and a recent file. True: the caller may
  // replace the configuration.
  bool CanDiscardConfig();
  // The same questions with the texts of leaving the program. True: the
  // window may close.
  bool CanCloseConfig();

  // The Save command: Save As for an untitled or upgraded document, a
  // question for a read-only file, else saves in place.
  void Save();
  // Asks for a file name and saves. True when a file was chosen and written.
  bool SaveConfigAs();
  // Writes the record to path, keeping the file it replaces as a backup,
  // then makes path the document's file and clears both flags. False (doing
  // nothing) without a record. Raises on failure, changing nothing.
  bool SaveConfigToFile(const QString& path);

  // Reads a setup file and makes it the document, upgraded when older.
  void OpenConfigFile(const QString& path);
  // Reads a template: the document becomes untitled, taken as stored.
  void LoadTemplate(const QString& path);
  void NewBlankConfig();
  // A copy of a record read from a file (a backup) becomes an untitled
  // document, so saving it never writes over that file. upgraded: the
  // record was brought from an older version when it was read.
  void OpenCopy(const QVA_CONFIG_DATA& record, bool upgraded);
  // Runs an editor on the record (nothing without one) and marks the
  // document modified when any byte differs afterwards, however the editor
  // ended, also when it raised. Returns whether the editor ran.
  bool RunConfigDialog(const std::function<void(QVA_CONFIG_DATA&)>& dialog);
  // A record received from the device (host image) becomes an untitled,
  // modified document, upgraded when older.
  void AdoptDeviceConfig(const QVA_CONFIG_DATA& received);

  // The questions before Get Configuration; true when the transfer may go on.
  bool PrepareGetConfiguration();
  // After the Get transfer: a received record becomes the document; a
  // record the meter holds but that failed its check is reported; a meter
  // whose firmware this version cannot read (already told) changes nothing.
  void FinishGetConfiguration(const GetOutcome& outcome);
  // The checks before Send Configuration. NoSensor: the notice was shown
  // and the caller opens the sensor setup instead of sending.
  SendCheck PrepareSendConfiguration();
  // After the send procedure: a record it changed is saved to its file.
  void FinishSendConfiguration();

 private:
  struct DiscardTexts {
    QString readOnly;
    QString neverSaved;
  };
  bool AskDiscard(const DiscardTexts& texts);
  // Asks the save/lose/cancel question and follows the answer.
  bool SaveLoseCancel(const QString& text);
  // Save (Yes): SaveConfigAs; Lose (No): go on; anything else: stop.
  bool FollowSaveAnswer(MessageResult answer);
  // Names the document's file (empty: untitled), sets both flags and tells
  // the observer.
  void SetState(const QString& path, bool modified, bool upgraded);
  // Makes record the document, then SetState.
  void ReplaceConfig(const QVA_CONFIG_DATA& record, const QString& path, bool modified, bool upgraded);
  void NotifyFileSet(const QString& previous);
  void NotifyMenuState();

  Prompter& prompter_;
  DocumentObserver* observer_;
  std::optional<QVA_CONFIG_DATA> config_;
  QString fileName_;
  bool modified_ = false;
  bool upgraded_ = false;
};

// The texts the document asks with, each on one line so that grep finds it.
namespace DocumentTexts {
// clang-format off
inline const QString kModified = QStringLiteral("Changes have been made to the currently loaded configuration.\nDo you want to save the changes ?");
inline const QString kOpenReadOnly = QStringLiteral("The currently loaded configuration belongs to a file that may not be overwritten.\nBefore you can open a file you must choose to save the changes to a file or to lose the configuration");
inline const QString kOpenNeverSaved = QStringLiteral("The currently loaded configuration has not been saved to a file.\nBefore you can open a file you must choose to save the configuration to a file or to lose the changes.");
inline const QString kExitReadOnly = QStringLiteral("The currently loaded configuration belongs to a file that may not be overwritten.\nBefore you exit this program you must choose to save the changes to a file or to lose the changes.");
inline const QString kExitNeverSaved = QStringLiteral("The currently loaded configuration has not been saved to a file.\nBefore you exit this program you must choose to save the configuration to a file or to lose the configuration.");
inline const QString kSaveReadOnly = QStringLiteral("The currently loaded configuration belongs to a file that may not be overwritten.\nYou must save the changes to a new file.");
inline const QString kGetUpgraded = QStringLiteral("The currently loaded configuration has been upgraded from a previous version.\nBefore you can get the configuration from the QVA you must choose to save the changes to a file or to lose the changes.");
inline const QString kGetReadOnly = QStringLiteral("The currently loaded configuration belongs to a file that may not be overwritten.\nBefore you can get the configuration from the QVA you must choose to save the changes to a file or to lose the changes.");
inline const QString kGetNeverSaved = QStringLiteral("The currently loaded configuration has not been saved to a file.\nBefore you can get the configuration from the QVA you must choose to save the configuration to a file or to lose the configuration.");
inline const QString kSendNeverSaved = QStringLiteral("The currently loaded configuration has not been saved to a file.\nThe configuration must be saved before it can be sent to the QVA.");
inline const QString kSendUpgraded = QStringLiteral("The currently loaded configuration has been upgraded from a previous version.\nBefore you can send the configuration to the QVA you must save the changes to a new file.");
inline const QString kSendReadOnly = QStringLiteral("The currently loaded configuration belongs to a file that may not be overwritten.\nBefore you can send the configuration to the QVA you must save the changes to a new file.");
inline const QString kUntitled = QStringLiteral("untitled");
// clang-format on
}  // namespace DocumentTexts
