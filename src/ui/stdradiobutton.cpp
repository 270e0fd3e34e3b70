#include "ui/stdradiobutton.h"

TStdRadioButton::TStdRadioButton(QWidget* parent) : QRadioButton(parent) {}

TStdRadioButton::TStdRadioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {}
