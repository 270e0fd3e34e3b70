#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// The one way the program writes a file (setup files, backups, table files,
// text files): the bytes go to a temporary file beside the target, every
// byte is checked to have reached it, and only then does the temporary file
// replace the target. On any shortfall (a full disk, a file-size limit) the
// temporary file is discarded and the previous file stays as it was.
class SafeFileWriter {
 public:
  // Opens the temporary file. A target that exists and is not a writable
  // regular file is refused with ESystemError (access denied) before
  // anything is written; a temporary file that cannot be created raises
  // ESystemError with the platform's code.
  explicit SafeFileWriter(const QString& path);
  // Discards the temporary file unless Commit succeeded.
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Raises EFileWrite (and discards the temporary file) unless every byte
  // reached the file.
  void Write(const QByteArray& bytes);
  // Puts the file in place of the target. Raises EFileWrite when it cannot;
  // the target is then as it was.
  void Commit();

 private:
  [[noreturn]] void Fail();

  QSaveFile file_;
};

// Writes the whole file through a SafeFileWriter: either every byte is in
// place or the previous file is untouched and EFileWrite or ESystemError is
// raised.
void WriteFileSafely(const QString& path, const QByteArray& bytes);
