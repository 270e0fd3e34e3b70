#include "platform/safefilewriter.h"

#include <cerrno>

#include <QFileInfo>

#include "platform/fileattributes.h"
#include "platform/filepaths.h"
#include "platform/qvaerrors.h"

SafeFileWriter::SafeFileWriter(const QString& path) : file_(path) {
  const QFileInfo info(path);
  // Only a writable regular file is ever replaced: never a folder, a device
  // node or a file the user protected.
  if (info.exists() && (!info.isFile() || IsReadOnlyFile(path))) throw ESystemError(kAccessDeniedCode);
  errno = 0;
  // Unbuffered, so that a write that comes up short shows in its own count
  // rather than in a flush inside commit() that QSaveFile does not report.
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    const int code = LastSystemError();
    throw ESystemError(code != 0 ? code : kAccessDeniedCode);
  }
}

SafeFileWriter::~SafeFileWriter() {
  if (file_.isOpen()) file_.cancelWriting();
}

void SafeFileWriter::Fail() {
  file_.cancelWriting();
  throw EFileWrite();
}

void SafeFileWriter::Write(const QByteArray& bytes) {
  if (!file_.isOpen() || file_.write(bytes) != bytes.size()) Fail();
}

void SafeFileWriter::Commit() {
  if (!file_.isOpen() || !file_.flush() || file_.error() != QFileDevice::NoError) Fail();
  if (!file_.commit()) throw EFileWrite();
}

void WriteFileSafely(const QString& path, const QByteArray& bytes) {
  SafeFileWriter writer(path);
  writer.Write(bytes);
  writer.Commit();
}
