#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "config/configdiff.h"
#include "config/qvaconfig.h"

class Prompter;
class QVASerialComms;
class Sleeper;

// Receives each step's status text before the step runs (the progress
// window's status line, or the command line's output).
class TransferProgress {
 public:
  virtual ~TransferProgress() = default;
  virtual void Status(const QString& text) = 0;
};

// The captions of the two progress windows; the Send procedure also titles
// its own questions with it.
inline const QString kRetrieveCaption = QStringLiteral("Retrieving Configuration from QVA");
inline const QString kSendCaption = QStringLiteral("Sending Configuration  to QVA");

// Shown by the caller (information icon, its own caption) when a get ends
// NotValid.
inline const QString kConfigNotValidMessage = QStringLiteral(
    "The configuration stored in the QVA is not valid.\nYou should send a configuration file to the QVA.");

// Shown instead of a send when the configuration has no sensor type (the
// desktop program then opens the sensor setup).
// clang-format off
inline const QString kNoSensorTypeMessage = QStringLiteral("No sensor type has been selected for the current configuration.\nYou must select a sensor type before attempting to send the configuration");
// clang-format on

// How long a final status stays readable before the window closes.
constexpr int kFinalStatusWaitMs = 1000;

// What a send shows for review before anything is written to the meter:
// the meter's configuration against the one about to be sent.
struct SendReview {
  enum class Kind {
    Differs,        // difference lists the fields, meter values before
    Identical,      // the meter already holds this configuration
    MeterNotValid,  // the meter's configuration failed its CRC check: nothing to compare
  };
  Kind kind = Kind::Differs;
  ConfigDifference difference;
  // Both records in host order, for a review that shows them in the
  // windows' units (empty for MeterNotValid).
  QVA_CONFIG_DATA meter{};
  QVA_CONFIG_DATA toSend{};
};

// Shows a review and returns whether to send.
using SendReviewer = std::function<bool(const SendReview& review)>;

// Writes the meter's old configuration (host order) as a backup; raises
// on failure. WriteDeviceBackup in the program, a stand-in in tests.
using DeviceBackupWriter = std::function<QString(const QVA_CONFIG_DATA& host)>;

// Writes a configuration read from the meter (host order) as a new
// read-only backup and prunes the folder. Returns the file written. Raises
// on failure (Exception and its kin).
QString WriteDeviceBackup(const QVA_CONFIG_DATA& host);

// How a procedure runs besides its fixed steps.
struct TransferOptions {
  // How long a final status stays on screen. A window keeps it readable;
  // the command line prints it and goes on (0).
  int finalStatusWaitMs = kFinalStatusWaitMs;
  // Send: asked once the meter's configuration has been read, before the
  // backup and before anything is written; empty for no review.
  SendReviewer review{};
  // Send: read the configuration back once stored and compare it with the
  // image sent.
  bool verify = false;
  DeviceBackupWriter writeBackup = WriteDeviceBackup;
};

// The text of the failure of a verified send: the fields that differ
// between the image sent and the one read back.
QString VerifyFailedMessage(const ConfigDifference& difference);

struct GetOutcome {
  enum class Result {
    Received,         // config holds the host record, not yet upgraded
    NotValid,         // the stored image failed its CRC check
    VersionMismatch,  // firmware newer than 1.1; the message was shown
  };
  Result result = Result::VersionMismatch;
  std::optional<QVA_CONFIG_DATA> config;
};

// Reads the configuration stored in the meter. Link failures raise
// ESerialCommunications.
GetOutcome RunGetProcedure(QVASerialComms& comms, TransferProgress& progress, Prompter& prompter,
                           Sleeper& sleeper, const TransferOptions& options = {});

enum class SendOutcome {
  Sent,             // the meter stored the image and reported success (and, verified, holds it)
  VersionMismatch,  // firmware other than 1.1; the message was shown, nothing sent
  Declined,         // the review was not accepted; nothing was written anywhere
  VerifyFailed,     // the meter reported success but holds another image; the message was shown
};

// The review a send of host would show, without writing anything: checks
// the firmware as a get does (a newer one shows the Get mismatch message
// and returns nothing), then reads the meter's configuration. Link
// failures raise ESerialCommunications.
std::optional<SendReview> ReviewAgainstMeter(QVASerialComms& comms, const QVA_CONFIG_DATA& host,
                                             TransferProgress& progress, Prompter& prompter);

// Backs up the meter's current configuration (when its CRC is valid) as a
// read-only "QVA Backup - NNN" setup file in the From Device Backups
// folder, then sends the host record and has the meter store it. With a
// reviewer, the differences are shown first and may decline the send. A
// failed copy asks Retry/Cancel; Cancel raises EAbort. A backup that
// cannot be written is reported to the user and does not stop the send.
// Link failures raise ESerialCommunications.
SendOutcome RunSendProcedure(QVASerialComms& comms, const QVA_CONFIG_DATA& host, TransferProgress& progress,
                             Prompter& prompter, Sleeper& sleeper, const TransferOptions& options = {});
