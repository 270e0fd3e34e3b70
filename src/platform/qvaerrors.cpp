#include "platform/qvaerrors.h"

#include <cerrno>
#include <cstring>
#include <type_traits>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}

namespace {

QString Compose(const QString& callerText, int code) {
  const QString text = SystemErrorText(code);
  return callerText.isEmpty() ? text : callerText + QLatin1Char('\n') + text;
}

}  // namespace

ESystemError::ESystemError(int code, const QString& callerText)
    : Exception(Compose(callerText, code)), code_(code) {}

QString SystemErrorText(int code) {
#ifdef Q_OS_WIN
  switch (code) {
    case 6:
      return QStringLiteral("Specified event object handle is invalid.");
    case 8:
      return QStringLiteral("Insufficient memory available.");
    case 87:
      return QStringLiteral("One or more parameters are invalid.");
    case 995:
      return QStringLiteral("Overlapped operation aborted.");
    case 10060:
      return QStringLiteral("Connection timed out.");
    case 10061:
      return QStringLiteral("Connection refused.");
    default:
      break;
  }
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length > 0 && buffer) {
    QString text = QString::fromWCharArray(buffer, static_cast<int>(length)).trimmed();
    LocalFree(buffer);
    return text;
  }
#else
  if (code > 0) {
    char buffer[256] = {};
    // The GNU strerror_r may return a static string instead of filling buffer.
    const auto result = strerror_r(code, buffer, sizeof buffer);
    const char* text = nullptr;
    if constexpr (std::is_same_v<std::remove_cv_t<decltype(result)>, char*>) {
      text = result;
    } else {
      text = result == 0 ? buffer : nullptr;
    }
    if (text && std::strncmp(text, "Unknown error", 13) != 0) return QString::fromLocal8Bit(text);
  }
#endif
  return QStringLiteral("Unknown system error %1").arg(code);
}

int LastSystemError() {
#ifdef Q_OS_WIN
  return static_cast<int>(GetLastError());
#else
  return errno;
#endif
}
