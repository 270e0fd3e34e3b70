#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "platform/numberedbackups.h"
#include "platform/savewithbackup.h"
#include "config/qvaconfig.h"

// Setup files: one host image wrapped in two tagged chunks, 944 bytes.

constexpr std::size_t kChunkHeaderSize = 16;
constexpr std::size_t kSetupChunkBodySize = 240;
constexpr std::size_t kSetupFileSize = 944;
constexpr uint32_t kChunkVersion = 1;
// Value at body offset 64 of a file header chunk: 2 = setup file.
constexpr uint32_t kSetupFileType = 2;

// kSetupFileExtension ("Q11") comes with the numbered backups, which are setup files.
inline const QString kOldSetupFileExtension = QStringLiteral("QV1");
// Dialog filters in "description|pattern|..." form.
inline const QString kSetupSaveFilter = QStringLiteral("QVA setup files (*.Q11)|*.Q11");
inline const QString kSetupOpenFilter =
    QStringLiteral("QVA setup files (*.Q11)|*.Q11| V1.0 QVA setup files (*.QV1)|*.QV1");

// The 16-byte header of a tagged chunk: 7 tag characters, a zero byte, the
// u32 chunk version and the u32 chunk length including the header.
QByteArray MakeChunkHeader(const char (&tag)[8], uint32_t length);

// A 240-byte file header body: the title (zero-padded), the u32 file type
// at offset 64, u16 0 at 68 and 0x1A at 70.
QByteArray MakeFileHeaderBody(const QByteArray& title, uint32_t fileType);

// Reads little-endian integers; the caller has checked the bounds.
uint32_t ReadU32LE(const char* bytes);
uint16_t ReadU16LE(const char* bytes);

// The 944 bytes of a setup file holding the record.
QByteArray SetupFileBytes(const QVA_CONFIG_DATA& config);

// Parses setup file bytes (the first 944 are looked at, anything after is
// ignored). Raises EFileFormat or EFileVersion; never reads past the input.
QVA_CONFIG_DATA ParseSetupFile(const QByteArray& bytes);

// Reads a setup file from disk. Raises ESystemError when it cannot be opened,
// then as ParseSetupFile. Does not upgrade.
QVA_CONFIG_DATA ReadSetupFile(const QString& path);

// Writes a setup file through the safe file writer: the new content goes
// to a temporary file in the same folder and replaces the target only once
// every byte is there, so a failed write leaves any previous file as it
// was. A target that exists without write permission is refused like the
// platform refuses it. Raises ESystemError when the file cannot be created
// and EFileWrite when the bytes cannot all be written.
void WriteSetupFile(const QString& path, const QVA_CONFIG_DATA& config);

// Saves the record over the setup file at path, keeping the file it
// replaces as a read-only numbered backup in the SaveBackups folder (see
// the byte form in platform/savewithbackup.h for what a failure leaves).
// Returns the backup's path, empty when none was made.
QString SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config);
QString SaveOverWithBackup(const QString& path, const QVA_CONFIG_DATA& config, const FileMover& move);

// Reads at most maxBytes of a file as raw bytes. Raises ESystemError with the
// platform's code when the file cannot be opened or read.
QByteArray ReadFileBytes(const QString& path, qint64 maxBytes);
