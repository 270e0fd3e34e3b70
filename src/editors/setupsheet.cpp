#include "editors/setupsheet.h"

#include <QFileInfo>

#include "platform/appinfo.h"
#include "qvaversion.h"

namespace {

const QString kChecksumLabel = QStringLiteral("Checksum (cfg_crc16)");
const QString kUnsavedChanges = QStringLiteral(" (with changes not saved to the file)");

}  // namespace

QString SheetNoteText(const QString& typed) {
  QString note;
  note.reserve(typed.size());
  for (const QChar c : typed) {
    if (c == QLatin1Char('\n')) {
      note += c;
    } else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
               c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph) {
      note += QLatin1Char(' ');
    } else {
      note += c;
    }
  }
  note = note.trimmed();
  if (note.size() > kMaxSheetNoteLength) {
    note.truncate(kMaxSheetNoteLength);
    // Never leave half of a surrogate pair at the cut.
    if (!note.isEmpty() && note.back().isHighSurrogate()) note.chop(1);
  }
  return note;
}

uint16_t SheetChecksum(const QVA_CONFIG_DATA& config) {
  return ConfigImageCrc(ToDeviceImage(config));
}

QString ChecksumText(uint16_t checksum) {
  const QString hex = QString::number(checksum, 16).toUpper().rightJustified(4, QLatin1Char('0'));
  return QStringLiteral("0x%1 (%2)").arg(hex).arg(checksum);
}

SetupSheet BuildSetupSheet(const QVA_CONFIG_DATA& config, const SheetSource& source) {
  SetupSheet sheet;
  sheet.heading = QStringLiteral("QVA Setup Sheet");
  auto& rows = sheet.titleRows;
  QString file = source.fileName.isEmpty() ? QStringLiteral("untitled") : QFileInfo(source.fileName).fileName();
  const QString fileName = file;
  // The sheet shows the configuration on screen, which the file does not
  // hold yet: the checksum tells them apart, and so does this.
  if (source.unsaved && !source.fileName.isEmpty()) file += kUnsavedChanges;
  rows.push_back({QStringLiteral("File"), file, {}});
  rows.push_back({QStringLiteral("Date"), source.date.toString(Qt::ISODate), {}});
  rows.push_back({QStringLiteral("Program"),
                  kApplicationTitle + QStringLiteral(" ") + QStringLiteral(QVA_VERSION_TEXT),
                  {}});
  const QString note = SheetNoteText(source.note);
  if (!note.isEmpty()) rows.push_back({QStringLiteral("Note"), note, {}});
  const uint16_t checksum = SheetChecksum(config);
  rows.push_back({kChecksumLabel, ChecksumText(checksum), {QStringLiteral("cfg_crc16")}});
  // A record edited since it came from the meter still holds the old
  // checksum; the meter computes the one above when it receives it.
  if (config.cfg_crc16 != checksum) {
    rows.push_back({QStringLiteral("cfg_crc16 held in the record"),
                    ChecksumText(config.cfg_crc16) +
                        QStringLiteral(": from before the last change; the meter computes the checksum "
                                       "above when this configuration is sent"),
                    {QStringLiteral("cfg_crc16")}});
  }
  sheet.footer =
      QStringLiteral("%1 - %2 - cfg_crc16 %3").arg(sheet.heading, fileName, ChecksumText(checksum));
  sheet.sections = SheetSections(config);
  return sheet;
}

QString SheetTargetRefusal(const QString& target, const QString& setupFile) {
  if (setupFile.isEmpty()) return QString();
  const QFileInfo to(target);
  const QFileInfo from(setupFile);
  const bool same = to.exists() && from.exists() ? to.canonicalFilePath() == from.canonicalFilePath()
                                                 : to.absoluteFilePath() == from.absoluteFilePath();
  if (!same) return QString();
  return QStringLiteral(
      "The setup sheet cannot replace the setup file it is made from.\n"
      "You should choose another name for the sheet.");
}
