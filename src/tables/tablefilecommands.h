#pragma once

#include <QString>

#include "config/qvaconfig.h"

class Prompter;

// The Load and Save As buttons of the table dialogs: a file dialog through
// the prompter, then the table file format.

enum class TableLoadResult {
  Cancelled,     // the user cancelled the file dialog: nothing changes
  LoadedBinary,  // the whole record was replaced: refresh every control
  LoadedPoints,  // only the points and num_rows: show them in the frame
  NoValues,      // a text file without a point: the notice was shown
};

// Asks for a file (titled dialogTitle, initial folder: Setup Tables) and reads it into `work`, a
// copy of the dialog's record: as a binary file when its extension is the
// kind's (ignoring case), else as text. A text file without any point shows
// "No values could be loaded from the file.\nYou should check that the file
// format is correct." titled with `caption`. Read failures propagate.
TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_OUTPUT_CAL_TABLE& work,
                                  const QString& dialogTitle = QString());
TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_ANALOG_OUT_TABLE& work,
                                  const QString& dialogTitle = QString());
TableLoadResult LoadTableFromFile(Prompter& prompter, const QString& caption, QVA_USER_CAL_TABLE& work,
                                  const QString& dialogTitle = QString());

// Asks for a file name (titled dialogTitle, initial folder: Setup Tables, overwrite question)
// and writes the table, binary for the kind's extension, else text, through
// the safe file writer: the file is replaced only once every byte is
// written, else EFileWrite is raised and the previous file stays; a file
// that cannot be created raises ESystemError naming it on the line before
// the system's message. Returns
// false when cancelled. The caller validates and stores its table first.
bool SaveTableToFile(Prompter& prompter, const QVA_OUTPUT_CAL_TABLE& table, const QString& dialogTitle = QString());
bool SaveTableToFile(Prompter& prompter, const QVA_ANALOG_OUT_TABLE& table, const QString& dialogTitle = QString());
bool SaveTableToFile(Prompter& prompter, const QVA_USER_CAL_TABLE& table, const QString& dialogTitle = QString());

inline const QString kNoValuesLoadedMessage = QStringLiteral(
    "No values could be loaded from the file.\nYou should check that the file format is correct.");
