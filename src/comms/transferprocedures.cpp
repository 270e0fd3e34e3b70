#include "comms/transferprocedures.h"

#include <cstring>

#include "platform/prompter.h"
#include "platform/numberedbackups.h"
#include "comms/devicecommands.h"
#include "comms/qvaserialcomms.h"
#include "platform/sleeper.h"
#include "platform/fileattributes.h"
#include "platform/qvaerrors.h"
#include "config/qvasetupfiler.h"

namespace {

const QString kBackupTitle = QStringLiteral("QVA Backup");
// Status lines that both procedures show.
const QString kCheckingFirmwareStatus = QStringLiteral("Checking firmware version.");
const QString kReadingConfigStatus = QStringLiteral("Reading config.");

void ShowVersionMismatch(Prompter& prompter, TransferDirection direction, unsigned version) {
  MessageRequest request;
  request.text = VersionMismatchMessage(direction, version);
  request.caption = kVersionMismatchCaption;
  request.buttons = MessageButtons::Ok;
  request.icon = MessageIcon::None;
  prompter.Message(request);
}

// The meter keeps its old configuration until the new one is stored, so a
// missing backup loses nothing yet; the user is told and the send goes on.
void ReportBackupFailure(Prompter& prompter, const QString& reason) {
  MessageRequest request;
  request.text =
      QStringLiteral("The configuration stored in the QVA could not be saved to a backup file.\n") + reason +
      QStringLiteral("\nThe configuration will be sent without a backup.");
  request.caption = kSendCaption;
  request.buttons = MessageButtons::Ok;
  request.icon = MessageIcon::Exclamation;
  prompter.Message(request);
}

void ReportVerifyFailure(Prompter& prompter, const ConfigDifference& difference) {
  MessageRequest request;
  request.text = VerifyFailedMessage(difference);
  request.caption = kSendCaption;
  request.buttons = MessageButtons::Ok;
  request.icon = MessageIcon::Exclamation;
  prompter.Message(request);
}

SendReview ReviewOf(const QVA_CONFIG_DATA& meterImage, const QVA_CONFIG_DATA& sealedImage) {
  SendReview review;
  if (!VerifyDeviceImage(meterImage)) {
    review.kind = SendReview::Kind::MeterNotValid;
    return review;
  }
  review.meter = ToDeviceImage(meterImage);
  review.toSend = ToDeviceImage(sealedImage);
  review.difference = DiffConfigs(review.meter, review.toSend);
  review.kind = review.difference.equal ? SendReview::Kind::Identical : SendReview::Kind::Differs;
  return review;
}

// The meter may take an image and still store another (a worn EEPROM, a
// firmware fault): compare what it holds now with what was sent.
bool VerifyStoredImage(QVASerialComms& comms, const QVA_CONFIG_DATA& image, TransferProgress& progress,
                       Prompter& prompter) {
  progress.Status(QStringLiteral("Verifying config."));
  QVA_CONFIG_DATA stored;
  try {
    stored = ReadDeviceConfig(comms);
  } catch (const ESerialCommunications& e) {
    // The meter has taken the configuration; only the check is missing.
    throw ESerialCommunications(
        QStringLiteral("The QVA reported the configuration stored, but it could not be read back to check it.\n") +
            e.Message(),
        e.ErrorKind(), e.Code());
  }
  if (std::memcmp(&stored, &image, sizeof image) == 0) {
    progress.Status(QStringLiteral("Config verified ok."));
    return true;
  }
  progress.Status(QStringLiteral("Config verify failed."));
  ReportVerifyFailure(prompter, DiffConfigs(ToDeviceImage(image), ToDeviceImage(stored)));
  return false;
}

bool AskRetryCopy(Prompter& prompter) {
  MessageRequest request;
  request.text = QStringLiteral("There was an error copying the configuration to the QVA.\n");
  request.caption = kSendCaption;
  request.buttons = MessageButtons::RetryCancel;
  request.icon = MessageIcon::Information;
  return prompter.Message(request) == MessageResult::Retry;
}

// The most differing fields a verify failure lists; the rest are counted.
constexpr int kVerifyLinesShown = 12;

}  // namespace

QString VerifyFailedMessage(const ConfigDifference& difference) {
  QStringList lines = difference.lines.mid(0, kVerifyLinesShown);
  if (difference.lines.size() > kVerifyLinesShown)
    lines << QStringLiteral("(and %1 more)").arg(difference.lines.size() - kVerifyLinesShown);
  return QStringLiteral("The configuration read back from the QVA differs from the one sent "
                        "(sent -> read back):\n") +
         lines.join(QLatin1Char('\n')) +
         QStringLiteral("\nYou should send the configuration again, and check the QVA if it fails again.");
}

GetOutcome RunGetProcedure(QVASerialComms& comms, TransferProgress& progress, Prompter& prompter,
                           Sleeper& sleeper, const TransferOptions& options) {
  GetOutcome outcome;
  progress.Status(kCheckingFirmwareStatus);
  const unsigned version = ReadFirmwareVersion(comms);
  if (!FirmwareAllowsGet(version)) {
    ShowVersionMismatch(prompter, TransferDirection::Get, version);
    outcome.result = GetOutcome::Result::VersionMismatch;
    return outcome;
  }

  progress.Status(kReadingConfigStatus);
  const QVA_CONFIG_DATA image = ReadDeviceConfig(comms);
  const DeviceStatusBlock status = ReadStatusBlock(comms);
  // A meter in service mode may hold a configuration on purpose without a
  // valid CRC; it says so in the status block.
  if (status.CrcCheckBypass() == 0 && !VerifyDeviceImage(image)) {
    progress.Status(QStringLiteral("Config CRC Error"));
    outcome.result = GetOutcome::Result::NotValid;
    sleeper.Sleep(options.finalStatusWaitMs);
    return outcome;
  }
  progress.Status(QStringLiteral("Read Config OK"));
  outcome.result = GetOutcome::Result::Received;
  outcome.config = ToDeviceImage(image);
  sleeper.Sleep(options.finalStatusWaitMs);
  return outcome;
}

QString WriteDeviceBackup(const QVA_CONFIG_DATA& host) {
  const QString path = BackupFileName(FileType::FromDeviceBackups, kBackupTitle);
  WriteSetupFile(path, host);
  // The read-only mark is what lets pruning tell backups from other files.
  if (!SetReadOnlyAttribute(path, true))
    throw ESystemError(LastSystemError(),
                       QStringLiteral("Cannot mark ") + path + QStringLiteral(" read-only"));
  PruneBackups(FileType::FromDeviceBackups);
  return path;
}

std::optional<SendReview> ReviewAgainstMeter(QVASerialComms& comms, const QVA_CONFIG_DATA& host,
                                             TransferProgress& progress, Prompter& prompter) {
  progress.Status(kCheckingFirmwareStatus);
  const unsigned version = ReadFirmwareVersion(comms);
  if (!FirmwareAllowsGet(version)) {
    ShowVersionMismatch(prompter, TransferDirection::Get, version);
    return std::nullopt;
  }
  progress.Status(kReadingConfigStatus);
  return ReviewOf(ReadDeviceConfig(comms), SealForDevice(host));
}

SendOutcome RunSendProcedure(QVASerialComms& comms, const QVA_CONFIG_DATA& host, TransferProgress& progress,
                             Prompter& prompter, Sleeper& sleeper, const TransferOptions& options) {
  const QVA_CONFIG_DATA image = SealForDevice(host);
  progress.Status(kReadingConfigStatus);
  const QVA_CONFIG_DATA old = ReadDeviceConfig(comms);
  if (options.review && !options.review(ReviewOf(old, image))) return SendOutcome::Declined;
  // Only a configuration the meter could run with is worth keeping.
  if (VerifyDeviceImage(old)) {
    progress.Status(QStringLiteral("Saving old configuration"));
    try {
      options.writeBackup(ToDeviceImage(old));
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      ReportBackupFailure(prompter, e.Message());
    }
  }

  progress.Status(kCheckingFirmwareStatus);
  const unsigned version = ReadFirmwareVersion(comms);
  if (!FirmwareAllowsSend(version)) {
    ShowVersionMismatch(prompter, TransferDirection::Send, version);
    return SendOutcome::VersionMismatch;
  }

  for (;;) {
    progress.Status(QStringLiteral("Sending config."));
    WriteDeviceConfig(comms, image);
    progress.Status(QStringLiteral("Copying config to EE."));
    const bool stored = CopyConfigToEE(
        comms, sleeper, [&progress] { progress.Status(QStringLiteral("Waiting for result.")); });
    if (stored) {
      progress.Status(QStringLiteral("Config sent ok."));
      if (options.verify && !VerifyStoredImage(comms, image, progress, prompter))
        return SendOutcome::VerifyFailed;
      sleeper.Sleep(options.finalStatusWaitMs);
      return SendOutcome::Sent;
    }
    if (!AskRetryCopy(prompter)) throw EAbort();
  }
}
