#pragma once

#include <optional>

#include <QWidget>

#include "config/qvaconfig.h"

class QPushButton;
class SetupDocument;
class TFrameComparison;

// The loaded configuration compared with another one (a backup, a setup
// file), with "Copy Selected to Configuration": the checked items (a
// field, a whole table, a whole CAN message) are set in the loaded
// configuration to the other one's values, and the document is marked
// modified as a setup window marks it. Nothing is sent or saved.
class TFrameTakeOver : public QWidget {
  Q_OBJECT

 public:
  TFrameTakeOver(SetupDocument& document, const QString& otherTitle, QWidget* parent);

  // The configuration to compare with; nothing shows why there is none.
  void SetOther(const std::optional<QVA_CONFIG_DATA>& other, const QString& whyNone = QString());
  // Compares again (after the loaded configuration changed).
  void Refresh();
  void ButtonCopySelectedClick();

 signals:
  // The loaded configuration was changed by a take-over.
  void ConfigChanged();

 private:
  void UpdateButtons();

  SetupDocument& document_;
  std::optional<QVA_CONFIG_DATA> other_;
  QString whyNone_;
  TFrameComparison* FrameComparison;
  QPushButton* ButtonCopySelected;
};
