#include "transfercommands.h"

#include <cstdio>

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "clioptions.h"
#include "cliprompter.h"
#include "clirun.h"
#include "exitcodes.h"
#include "comms/qvaserialcomms.h"
#include "comms/transferprocedures.h"
#include "platform/sleeper.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"

namespace {

// The command line has no status line to keep readable: a final status is
// printed and the command goes on.
TransferOptions NoDisplayWaits() {
  TransferOptions options;
  options.finalStatusWaitMs = 0;
  return options;
}

bool StdinIsTerminal() {
#ifdef Q_OS_WIN
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(fileno(stdin)) != 0;
#endif
}

// The review's report on stdout: the differing fields as diff prints
// them, or what stands instead of them.
void PrintReview(const SendReview& review, CliOutput& output) {
  switch (review.kind) {
    case SendReview::Kind::Identical:
      output.Error(QStringLiteral("The QVA already holds this configuration."));
      return;
    case SendReview::Kind::MeterNotValid:
      output.Error(QStringLiteral(
          "The configuration stored in the QVA is not valid, so there is nothing to compare with."));
      return;
    case SendReview::Kind::Differs:
      output.Report(review.difference.lines.join(QLatin1Char('\n')).toLatin1() + '\n');
      return;
  }
}

// Asks on the terminal; anything but y or yes (any case) declines, and so
// does the end of input.
bool AskToSend(CliOutput& output) {
  output.Prompt(QStringLiteral("Send this configuration to the QVA? [y/N] "));
  char answer[64] = {};
  if (!std::fgets(answer, sizeof answer, stdin)) return false;
  const QString text = QString::fromLocal8Bit(answer).trimmed().toLower();
  return text == QLatin1String("y") || text == QLatin1String("yes");
}

// The file to send, upgraded as the desktop program upgrades it on open.
std::optional<QVA_CONFIG_DATA> ReadConfigToSend(const QString& path, CliOutput& output) {
  QVA_CONFIG_DATA config;
  try {
    config = ReadSetupFile(path);
  } catch (const Exception& error) {
    output.Error(path + QStringLiteral(":\n") + error.Message());
    return std::nullopt;
  }
  // A file of the previous generation is upgraded as opening it in the
  // desktop program would, so the meter never receives an old layout.
  const unsigned fileVersion = config.version;
  if (UpgradeConfig(config)) {
    output.Error(
        QStringLiteral("The configuration was upgraded from version %1 before sending.").arg(fileVersion));
  }
  return config;
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
    outcome = RunGetProcedure(comms, progress, prompter, DefaultSleeper(), NoDisplayWaits());
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
  if (line.review && !line.yes && !StdinIsTerminal()) {
    output.Error(QStringLiteral("send --review asks on a terminal, and standard input is not one.\n"
                                "Add --yes to print the differences and send without asking."));
    return kExitUsageOrFile;
  }
  const std::optional<QVA_CONFIG_DATA> config = ReadConfigToSend(line.files.at(0), output);
  if (!config) return kExitUsageOrFile;
  if (config->sensor_type == 0) {
    output.Error(kNoSensorTypeMessage);
    return kExitNoSensorType;
  }
  StderrProgress progress(output);
  NonInteractivePrompter prompter(output, line.retries);
  TransferOptions options = NoDisplayWaits();
  options.verify = line.verify;
  if (line.review) {
    options.review = [&line, &output](const SendReview& review) {
      PrintReview(review, output);
      return line.yes || AskToSend(output);
    };
  }
  try {
    QVASerialComms comms(line.port);
    switch (RunSendProcedure(comms, *config, progress, prompter, DefaultSleeper(), options)) {
      case SendOutcome::Sent:
        return kExitSuccess;
      case SendOutcome::VersionMismatch:
        return kExitVersionMismatch;
      case SendOutcome::Declined:
        output.Error(QStringLiteral("Nothing was sent."));
        return kExitCancelled;
      case SendOutcome::VerifyFailed:
        return kExitVerifyFailed;
    }
    return kExitUsageOrFile;
  } catch (const ESerialCommunications& error) {
    output.Error(error.Message());
    return kExitLinkFailure;
  } catch (const EAbort&) {
    // Cancel in the failed-copy question: the meter kept its old configuration.
    return prompter.GaveUp() ? kExitCopyFailed : kExitUsageOrFile;
  }
}

int DiffWithMeterCommand(const CommandLine& line, CliOutput& output) {
  const std::optional<QVA_CONFIG_DATA> config = ReadConfigToSend(line.files.at(0), output);
  if (!config) return kExitUsageOrFile;
  StderrProgress progress(output);
  NonInteractivePrompter prompter(output, 0);
  std::optional<SendReview> review;
  try {
    QVASerialComms comms(line.port);
    review = ReviewAgainstMeter(comms, *config, progress, prompter);
  } catch (const ESerialCommunications& error) {
    output.Error(error.Message());
    return kExitLinkFailure;
  }
  if (!review) return kExitVersionMismatch;
  switch (review->kind) {
    case SendReview::Kind::MeterNotValid:
      output.Error(kConfigNotValidMessage);
      return kExitDeviceConfigInvalid;
    case SendReview::Kind::Identical:
      return kExitSuccess;
    case SendReview::Kind::Differs:
      PrintReview(*review, output);
      return kExitDifferent;
  }
  return kExitUsageOrFile;
}
