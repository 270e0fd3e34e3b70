#pragma once

#include <functional>
#include <optional>

#include <QString>

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
                           Sleeper& sleeper);

enum class SendOutcome {
  Sent,             // the meter stored the image and reported success
  VersionMismatch,  // firmware other than 1.1; the message was shown, nothing sent
};

// Writes a configuration read from the meter (host order) as a new
// read-only backup and prunes the folder. Returns the file written. Raises
// on failure (Exception and its kin).
QString WriteDeviceBackup(const QVA_CONFIG_DATA& host);

// Writes the meter's old configuration (host order) as a backup; raises
// on failure. WriteDeviceBackup in the program, a stand-in in tests.
using DeviceBackupWriter = std::function<QString(const QVA_CONFIG_DATA& host)>;

// Backs up the meter's current configuration (when its CRC is valid) as a
// read-only "QVA Backup - NNN" setup file in the From Device Backups
// folder, then sends the host record and has the meter store it. A failed
// copy asks Retry/Cancel; Cancel raises EAbort. A backup that cannot be
// written is reported to the user and does not stop the send. Link
// failures raise ESerialCommunications.
SendOutcome RunSendProcedure(QVASerialComms& comms, const QVA_CONFIG_DATA& host, TransferProgress& progress,
                             Prompter& prompter, Sleeper& sleeper);
SendOutcome RunSendProcedure(QVASerialComms& comms, const QVA_CONFIG_DATA& host, TransferProgress& progress,
                             Prompter& prompter, Sleeper& sleeper, const DeviceBackupWriter& writeBackup);
