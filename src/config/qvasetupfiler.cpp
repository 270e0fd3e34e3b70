#include "config/qvasetupfiler.h"

#include <cerrno>
#include <cstring>

#include <QFile>

#include "platform/qvaerrors.h"
#include "platform/safefilewriter.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr char kSetupChunkTag[8] = "QVASETP";
constexpr char kConfigChunkTag[8] = "QVA_CFG";
constexpr uint32_t kSetupChunkLength = kChunkHeaderSize + kSetupChunkBodySize;  // 256
constexpr uint32_t kConfigChunkLength = kChunkHeaderSize + kConfigSize;         // 688
constexpr std::size_t kFileTypeOffset = 64;

// Checks one chunk header at `at`: tag first, then version, then length.
void CheckChunkHeader(const QByteArray& bytes, std::size_t at, const char (&tag)[8], uint32_t length) {
  if (static_cast<std::size_t>(bytes.size()) < at + kChunkHeaderSize) throw EFileFormat();
  const char* header = bytes.constData() + at;
  if (std::memcmp(header, tag, 7) != 0) throw EFileFormat();
  if (ReadU32LE(header + 8) != kChunkVersion) throw EFileVersion();
  if (ReadU32LE(header + 12) != length) throw EFileFormat();
}

int ErrnoOr(int fallback) {
  const int code = LastSystemError();
  return code != 0 ? code : fallback;
}

}  // namespace

uint32_t ReadU32LE(const char* bytes) {
  const auto* b = reinterpret_cast<const uint8_t*>(bytes);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}

uint16_t ReadU16LE(const char* bytes) {
  const auto* b = reinterpret_cast<const uint8_t*>(bytes);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}

QByteArray MakeChunkHeader(const char (&tag)[8], uint32_t length) {
  QByteArray header(kChunkHeaderSize, '\0');
  std::memcpy(header.data(), tag, 7);
  auto putU32 = [&](int at, uint32_t value) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  putU32(8, kChunkVersion);
  putU32(12, length);
  return header;
}

QByteArray MakeFileHeaderBody(const QByteArray& title, uint32_t fileType) {
  QByteArray body(kSetupChunkBodySize, '\0');
  std::memcpy(body.data(), title.constData(), std::min<std::size_t>(title.size(), 63));
  for (int i = 0; i < 4; ++i) body[kFileTypeOffset + i] = static_cast<char>((fileType >> (8 * i)) & 0xFF);
  body[70] = 0x1A;
  return body;
}

QByteArray SetupFileBytes(const QVA_CONFIG_DATA& config) {
  QByteArray bytes;
  bytes.reserve(kSetupFileSize);
  bytes += MakeChunkHeader(kSetupChunkTag, kSetupChunkLength);
  bytes += MakeFileHeaderBody(QByteArrayLiteral("QVA Configuration"), kSetupFileType);
  bytes += MakeChunkHeader(kConfigChunkTag, kConfigChunkLength);
  bytes.append(reinterpret_cast<const char*>(&config), kConfigSize);
  return bytes;
}

QVA_CONFIG_DATA ParseSetupFile(const QByteArray& bytes) {
  const std::size_t size = static_cast<std::size_t>(bytes.size());
  CheckChunkHeader(bytes, 0, kSetupChunkTag, kSetupChunkLength);
  if (size < kSetupChunkLength) throw EFileFormat();
  if (ReadU32LE(bytes.constData() + kChunkHeaderSize + kFileTypeOffset) != kSetupFileType)
    throw EFileFormat();
  CheckChunkHeader(bytes, kSetupChunkLength, kConfigChunkTag, kConfigChunkLength);
  if (size < kSetupFileSize) throw EFileFormat();
  return ConfigFromBytes(reinterpret_cast<const uint8_t*>(bytes.constData()) + kSetupChunkLength +
                         kChunkHeaderSize);
}

QByteArray ReadFileBytes(const QString& path, qint64 maxBytes) {
#ifdef Q_OS_WIN
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw ESystemError(ErrnoOr(2));
  QByteArray bytes = file.read(maxBytes);
  if (file.error() != QFileDevice::NoError) throw ESystemError(ErrnoOr(30));
  return bytes;
#else
  const QByteArray native = QFile::encodeName(path);
  errno = 0;
  const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ESystemError(ErrnoOr(ENOENT));
  QByteArray bytes;
  bytes.resize(static_cast<qsizetype>(maxBytes));
  qint64 got = 0;
  while (got < maxBytes) {
    const ssize_t n = ::read(fd, bytes.data() + got, static_cast<std::size_t>(maxBytes - got));
    if (n < 0) {
      if (errno == EINTR) continue;
      const int code = ErrnoOr(EIO);
      ::close(fd);
      throw ESystemError(code);
    }
    if (n == 0) break;
    got += n;
  }
  ::close(fd);
  bytes.resize(static_cast<qsizetype>(got));
  return bytes;
#endif
}

QVA_CONFIG_DATA ReadSetupFile(const QString& path) {
  return ParseSetupFile(ReadFileBytes(path, kSetupFileSize));
}

void WriteSetupFile(const QString& path, const QVA_CONFIG_DATA& config) {
  WriteFileSafely(path, SetupFileBytes(config));
}

QString SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config) {
  return SaveOverWithBackup(path, SetupFileBytes(config), MoveWithoutReplacing);
}

QString SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config, const FileMover& move) {
  return SaveOverWithBackup(path, SetupFileBytes(config), move);
}
