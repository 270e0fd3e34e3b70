#pragma once

#include <QByteArray>
#include <QLocale>
#include <QPageSize>
#include <QString>

#include "editors/setupsheet.h"

// The setup sheet as a PDF: real, searchable text on A4 or Letter pages,
// each table beside its curve drawn as the curve view draws it. Needs a
// QGuiApplication (the offscreen platform will do), no display.

struct SheetPdf {
  QByteArray bytes;
  int pages = 0;
};

// Letter where the locale measures in inches (the United States and its
// neighbours in that), A4 everywhere else.
QPageSize SheetPageSize(const QLocale& locale);

SheetPdf RenderSetupSheet(const SetupSheet& sheet, const QPageSize& pageSize);

// Renders the sheet in memory, then writes it through the safe file writer,
// so a failed write leaves no part of a PDF behind (and any previous file as
// it was). Raises EFileWrite or ESystemError. Returns the page count.
int WriteSetupSheet(const QString& path, const SetupSheet& sheet, const QPageSize& pageSize);
