#pragma once

#include <QString>

// The desktop program's checks around a send, chosen in the Options menu
// and kept in the application key beside the port name (integers 0 and 1).
// Both are off until the user turns them on, so a send runs as it always
// has.
inline const QString kReviewBeforeSendValueName = QStringLiteral("Review Changes Before Send");
inline const QString kVerifyAfterSendValueName = QStringLiteral("Verify After Send");

struct SendChecks {
  bool review = false;  // show the meter's differences and ask before writing
  bool verify = false;  // read the configuration back once stored and compare
};

// The stored choices; a value never written, or of another type, reads off.
SendChecks ReadSendChecks();
// Raises Exception when the settings store refuses the value.
void WriteSendChecks(const SendChecks& checks);
