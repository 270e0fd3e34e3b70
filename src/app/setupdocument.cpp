#include "app/setupdocument.h"

#include <QDir>
#include <QFileInfo>

#include "app/custommessagebox.h"
#include "platform/filepaths.h"
#include "platform/registeredfilepath.h"
#include "platform/fileattributes.h"
#include "comms/transferprocedures.h"
#include "config/qvasetupfiler.h"
#include "platform/appinfo.h"
#include "platform/qvaerrors.h"
#include "platform/fileattributes.h"
#include "platform/registeredfilepath.h"

namespace {

// A file the system cannot read (gone, no permission) is named on the line
// before the system's message, as the file dialog names a file it cannot
// find: a recent file or a template is not in front of the user.
QVA_CONFIG_DATA ReadNamedSetupFile(const QString& path) {
  try {
    return ReadSetupFile(path);
  } catch (const ESystemError& e) {
    throw ESystemError(e.Code(), QDir::toNativeSeparators(path));
  }
}

}  // namespace

SetupDocument::SetupDocument(Prompter& prompter, DocumentObserver* observer)
    : prompter_(prompter), observer_(observer) {}

QString SetupDocument::Caption() const {
  if (!fileName_.isEmpty()) return kApplicationTitle + QStringLiteral(" - ") + FileTitle(fileName_);
  if (config_) return kApplicationTitle + QStringLiteral(" - ") + DocumentTexts::kUntitled;
  return kApplicationTitle;
}

bool SetupDocument::IsReadOnlyOnDisk() const {
  if (fileName_.isEmpty()) return false;
  const QFileInfo info(fileName_);
  return info.exists() && IsReadOnlyFile(fileName_);
}

void SetupDocument::SetCurrentFile(const QString& path) {
  const QString previous = fileName_;
  fileName_ = path;
  NotifyFileSet(previous);
}

void SetupDocument::NotifyFileSet(const QString& previous) {
  if (observer_) observer_->CurrentFileSet(previous, fileName_);
}

void SetupDocument::NotifyMenuState() {
  if (observer_) observer_->MenuStateChanged();
}

bool SetupDocument::SaveLoseCancel(const QString& text) {
  return FollowSaveAnswer(AskSaveLoseCancel(prompter_, text, Caption()));
}

bool SetupDocument::FollowSaveAnswer(MessageResult answer) {
  switch (answer) {
    case MessageResult::Yes:
      return SaveConfigAs();
    case MessageResult::No:
      return true;
    default:
      return false;
  }
}

bool SetupDocument::AskDiscard(const DiscardTexts& texts) {
  // A named file: only its unsaved changes are at stake. An untitled record
  // is in no file at all, so it is asked about even when unchanged.
  if (modified_ && !fileName_.isEmpty()) {
    if (IsReadOnlyOnDisk()) return SaveLoseCancel(texts.readOnly);
    MessageRequest request;
    request.text = DocumentTexts::kModified;
    request.caption = Caption();
    request.buttons = MessageButtons::YesNoCancel;
    request.icon = MessageIcon::Exclamation;
    return FollowSaveAnswer(prompter_.Message(request));
  }
  if (config_ && fileName_.isEmpty()) return SaveLoseCancel(texts.neverSaved);
  return true;
}

bool SetupDocument::CanDiscardConfig() {
  return AskDiscard({DocumentTexts::kOpenReadOnly, DocumentTexts::kOpenNeverSaved});
}

bool SetupDocument::CanCloseConfig() {
  return AskDiscard({DocumentTexts::kExitReadOnly, DocumentTexts::kExitNeverSaved});
}

void SetupDocument::Save() {
  if (!config_) return;
  if (fileName_.isEmpty() || upgraded_) {
    // An upgraded record never goes back over the older-format file.
    SaveConfigAs();
    return;
  }
  if (IsReadOnlyOnDisk()) {
    if (AskSaveCancel(prompter_, DocumentTexts::kSaveReadOnly, Caption()) == MessageResult::Ok)
      SaveConfigAs();
    return;
  }
  // A file that has disappeared meanwhile is simply created again.
  SaveConfigToFile(fileName_);
}

bool SetupDocument::SaveConfigAs() {
  if (!config_) return false;
  FileDialogRequest request;
  request.filter = kSetupSaveFilter;
  request.filterIndex = 1;
  request.defaultExtension = kSetupFileExtension;
  // Always the configuration folder: a file opened from elsewhere (a backup,
  // a stick) is proposed by its title only.
  request.initialDir = GetFolder(FileType::ConfigFiles);
  if (!fileName_.isEmpty()) request.fileName = FileTitle(fileName_);
  request.overwritePrompt = true;
  // A backup is read-only and must never become the file written over.
  request.rejectReadOnly = true;
  const std::optional<QString> chosen = prompter_.SaveFile(request);
  if (!chosen || chosen->isEmpty()) return false;
  return SaveConfigToFile(*chosen);
}

bool SetupDocument::SaveConfigToFile(const QString& path) {
  if (!config_) return false;
  SaveOverWithBackup(path, *config_);
  SetState(path, false, false);
  return true;
}

void SetupDocument::SetState(const QString& path, bool modified, bool upgraded) {
  modified_ = modified;
  upgraded_ = upgraded;
  SetCurrentFile(path);
  NotifyMenuState();
}

void SetupDocument::ReplaceConfig(const QVA_CONFIG_DATA& record, const QString& path, bool modified,
                                  bool upgraded) {
  config_ = record;
  SetState(path, modified, upgraded);
}

void SetupDocument::OpenConfigFile(const QString& path) {
  QVA_CONFIG_DATA record = ReadNamedSetupFile(path);
  const bool upgraded = UpgradeConfig(record);
  ReplaceConfig(record, path, upgraded, upgraded);
}

void SetupDocument::LoadTemplate(const QString& path) {
  ReplaceConfig(ReadNamedSetupFile(path), QString(), false, false);
}

void SetupDocument::OpenCopy(const QVA_CONFIG_DATA& record, bool upgraded) {
  ReplaceConfig(record, QString(), upgraded, upgraded);
}

void SetupDocument::NewBlankConfig() {
  ReplaceConfig(MakeBlankConfig(), QString(), false, false);
}

bool SetupDocument::RunConfigDialog(const std::function<void(QVA_CONFIG_DATA&)>& dialog) {
  if (!config_ || !dialog) return false;
  const QVA_CONFIG_DATA before = *config_;
  try {
    dialog(*config_);
  } catch (...) {
    // Whatever the editor wrote before it failed is in the record now.
    if (!ConfigsEqual(before, *config_)) modified_ = true;
    throw;
  }
  if (!ConfigsEqual(before, *config_)) modified_ = true;
  NotifyMenuState();
  return true;
}

void SetupDocument::AdoptDeviceConfig(const QVA_CONFIG_DATA& received) {
  QVA_CONFIG_DATA record = received;
  const bool upgraded = UpgradeConfig(record);
  ReplaceConfig(record, QString(), true, upgraded);
}

bool SetupDocument::PrepareGetConfiguration() {
  bool goOn = true;
  if (modified_ && !fileName_.isEmpty()) {
    if (upgraded_) {
      goOn = SaveLoseCancel(DocumentTexts::kGetUpgraded);
    } else if (!QFileInfo::exists(fileName_)) {
      SaveConfigToFile(fileName_);
    } else if (IsReadOnlyOnDisk()) {
      goOn = SaveLoseCancel(DocumentTexts::kGetReadOnly);
    } else {
      SaveConfigToFile(fileName_);
    }
  }
  if (goOn && config_ && fileName_.isEmpty()) goOn = SaveLoseCancel(DocumentTexts::kGetNeverSaved);
  return goOn;
}

void SetupDocument::FinishGetConfiguration(const GetOutcome& outcome) {
  switch (outcome.result) {
    case GetOutcome::Result::Received:
      if (outcome.config) {
        AdoptDeviceConfig(*outcome.config);
        break;
      }
      [[fallthrough]];  // a received result always carries its record
    case GetOutcome::Result::NotValid:
      ShowInformation(prompter_, kConfigNotValidMessage, Caption());
      break;
    case GetOutcome::Result::VersionMismatch:
      break;
  }
  NotifyMenuState();
}

SendCheck SetupDocument::PrepareSendConfiguration() {
  if (!config_) return SendCheck::Stop;
  if (config_->sensor_type == 0) {
    ShowInformation(prompter_, kNoSensorTypeMessage, Caption());
    return SendCheck::NoSensor;
  }
  QString question;
  if (fileName_.isEmpty()) {
    question = DocumentTexts::kSendNeverSaved;
  } else if (!modified_) {
    return SendCheck::Proceed;
  } else if (upgraded_) {
    question = DocumentTexts::kSendUpgraded;
  } else if (IsReadOnlyOnDisk()) {
    question = DocumentTexts::kSendReadOnly;
  } else {
    // Writable, or gone meanwhile: the device gets what is in the file.
    SaveConfigToFile(fileName_);
    return SendCheck::Proceed;
  }
  if (AskSaveCancel(prompter_, question, Caption()) != MessageResult::Ok) return SendCheck::Stop;
  return SaveConfigAs() ? SendCheck::Proceed : SendCheck::Stop;
}

void SetupDocument::FinishSendConfiguration() {
  // The checks before the send leave the document named; an unnamed one
  // stays modified so that it is asked about later rather than lost.
  if (modified_ && config_ && !fileName_.isEmpty()) SaveConfigToFile(fileName_);
}
