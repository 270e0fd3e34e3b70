#pragma once

#include <cstdint>
#include <vector>

#include <QDate>
#include <QString>

#include "config/qvaconfig.h"
#include "editors/sheetpresentation.h"

// The printable setup sheet of a configuration: the record a workshop keeps
// with the car. A title block (file, date, program version, the user's
// note, the checksum), then each setup window's section as the window shows
// it. Widget-free: the renderer only lays it out.

// The longest note a sheet carries; the export dialog and qva-cli refuse
// more.
constexpr int kMaxSheetNoteLength = 300;

struct SheetSource {
  QString fileName;  // the setup file's path; empty for an untitled configuration
  QDate date;
  QString note;          // as typed; SheetNoteText cleans it
  bool unsaved = false;  // the record holds changes not saved to fileName
};

struct SetupSheet {
  QString heading;                      // "QVA Setup Sheet"
  std::vector<SheetRow> titleRows;  // File, Date, Program, Note, Checksum
  QString footer;                       // on every page, so a loose page still names its file and checksum
  std::vector<SheetSection> sections;
};

SetupSheet BuildSetupSheet(const QVA_CONFIG_DATA& config, const SheetSource& source);

// The note as the sheet prints it: trimmed, every control character but a
// line break turned into a blank, at most kMaxSheetNoteLength characters.
QString SheetNoteText(const QString& typed);

// The cfg_crc16 the meter holds for this configuration once it is sent
// (computed over the device image), whatever the record's own field says.
uint16_t SheetChecksum(const QVA_CONFIG_DATA& config);

// "0x1A2B (6699)": hexadecimal to match a meter, decimal to match a dump.
QString ChecksumText(uint16_t checksum);

// Why a sheet may not be written to `target`: it is the setup file the
// sheet is made from (a PDF would replace the configuration). Empty when
// it may.
QString SheetTargetRefusal(const QString& target, const QString& setupFile);
