#include "transfercommands.h"

#include <cerrno>

#include <QFileInfo>

#include "clioptions.h"
#include "cliprompter.h"
#include "clirun.h"
#include "exitcodes.h"
#include "comms/qvaserialcomms.h"
#include "comms/transferprocedures.h"
#include "platform/sleeper.h"
#include "platform/fileattributes.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"

namespace {

#ifdef Q_OS_WIN
constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr int kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
constexpr int kNotADirectory = 3;
#else
constexpr int kAccessDenied = EACCES;
constexpr int kPathNotFound = ENOENT;
constexpr int kNotADirectory = ENOTDIR;
#endif

// A file's messages name it on the line before, as the file commands do.
QString FileContext(const QString& path) {
  return path + QLatin1Char(':');
}

// Refuses, before the meter is asked for anything, an output that would be
// refused after the transfer: an existing file without --force, and with
// it anything that is not a writable regular file.
void CheckOutputFile(const QString& path, bool force) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) {
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
      throw ESystemError(folder.exists() ? kNotADirectory : kPathNotFound, FileContext(path));
    return;
  }
  if (!force) {
    throw Exception(QStringLiteral("%1 already exists.\nUse --force to replace it.").arg(path));
  }
  if (!info.isFile() || IsReadOnlyFile(path)) throw ESystemError(kAccessDenied, FileContext(path));
}

}  // namespace

void StderrProgress::Status(const QString& text) {
  if (text == last_) return;
  last_ = text;
  output_.Error(text);
}

MessageResult NonInteractivePrompter::Message(const MessageRequest& request) {
  output_.Error(MessageDisplayText(request.text));
  switch (request.buttons) {
    case MessageButtons::Ok:
      return MessageResult::Ok;
    case MessageButtons::RetryCancel:
      if (retriesLeft_ > 0) {
        --retriesLeft_;
        ++retriesUsed_;
        output_.Error(QStringLiteral("Retry %1 of %2.").arg(retriesUsed_).arg(retriesAllowed_));
        return MessageResult::Retry;
      }
      gaveUp_ = true;
      return MessageResult::Cancel;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
      return MessageResult::Cancel;
    case MessageButtons::YesNo:
      return MessageResult::No;
  }
  return MessageResult::Cancel;
}

std::optional<QString> NonInteractivePrompter::OpenFile(const FileDialogRequest&) {
  return std::nullopt;
}

std::optional<QString> NonInteractivePrompter::SaveFile(const FileDialogRequest&) {
  return std::nullopt;
}

std::optional<QString> NonInteractivePrompter::ChooseFolder(const QString&, const QString&) {
  return std::nullopt;
}

void NonInteractivePrompter::ShowError(const QString& message) {
  output_.Error(message);
}

int GetCommand(const CommandLine& line, CliOutput& output) {
  CheckOutputFile(line.output, line.force);
  StderrProgress progress(output);
  NonInteractivePrompter prompter(output, 0);
  GetOutcome outcome;
  try {
    QVASerialComms comms(line.port);
    outcome = RunGetProcedure(comms, progress, prompter, DefaultSleeper());
  } catch (const ESerialCommunications& error) {
    output.Error(error.Message());
    return kExitLinkFailure;
  }
  switch (outcome.result) {
    case GetOutcome::Result::VersionMismatch:
      return kExitVersionMismatch;
    case GetOutcome::Result::NotValid:
      output.Error(kConfigNotValidMessage);
      return kExitDeviceConfigInvalid;
    case GetOutcome::Result::Received:
      break;
  }
  if (!outcome.config) {
    output.Error(kConfigNotValidMessage);
    return kExitDeviceConfigInvalid;
  }
  // The same upgrade the desktop program applies to every configuration it
  // takes from the meter.
  QVA_CONFIG_DATA config = *outcome.config;
  const unsigned receivedVersion = config.version;
  if (UpgradeConfig(config)) {
    output.Error(QStringLiteral("The configuration was upgraded from version %1.").arg(receivedVersion));
  }
  try {
    WriteSetupFile(line.output, config);
  } catch (const Exception& error) {
    output.Error(line.output + QStringLiteral(":\n") + error.Message());
    return kExitUsageOrFile;
  }
  output.Error(QStringLiteral("Configuration written to %1").arg(line.output));
  return kExitSuccess;
}

int SendCommand(const CommandLine& line, CliOutput& output) {
  const QString& path = line.files.at(0);
  QVA_CONFIG_DATA config;
  try {
    config = ReadSetupFile(path);
  } catch (const Exception& error) {
    output.Error(path + QStringLiteral(":\n") + error.Message());
    return kExitUsageOrFile;
  }
  // A file of the previous generation is upgraded as opening it in the
  // desktop program would, so the meter never receives an old layout.
  const unsigned fileVersion = config.version;
  if (UpgradeConfig(config)) {
    output.Error(
        QStringLiteral("The configuration was upgraded from version %1 before sending.").arg(fileVersion));
  }
  if (config.sensor_type == 0) {
    output.Error(kNoSensorTypeMessage);
    return kExitNoSensorType;
  }
  StderrProgress progress(output);
  NonInteractivePrompter prompter(output, line.retries);
  try {
    QVASerialComms comms(line.port);
    const SendOutcome outcome = RunSendProcedure(comms, config, progress, prompter, DefaultSleeper());
    return outcome == SendOutcome::Sent ? kExitSuccess : kExitVersionMismatch;
  } catch (const ESerialCommunications& error) {
    output.Error(error.Message());
    return kExitLinkFailure;
  } catch (const EAbort&) {
    // Cancel in the failed-copy question: the meter kept its old configuration.
    return prompter.GaveUp() ? kExitCopyFailed : kExitUsageOrFile;
  }
}
