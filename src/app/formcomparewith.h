#pragma once

#include <QDialog>

#include "config/qvaconfig.h"

class Prompter;
class SetupDocument;
class TFrameTakeOver;

// File > Compare With...: the loaded configuration against a setup file
// (a *.QV1 file upgraded first), read once, with the take-over of chosen
// fields. The file is only read.
class TFormCompareWith : public QDialog {
  Q_OBJECT

 public:
  TFormCompareWith(SetupDocument& document, const QString& path, const QVA_CONFIG_DATA& other,
                   QWidget* parent);

 private:
  TFrameTakeOver* FrameTakeOver;
};

// Asks for a setup file, reads it and shows the comparison modally. Raises
// when the file cannot be read, naming it.
void RunCompareWithCommand(SetupDocument& document, Prompter& prompter, QWidget* parent);
