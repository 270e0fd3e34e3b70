#pragma once

#include <QPushButton>

// The push button of every dialog: one standard height, so that rows of
// buttons line up alike in every window.
class TStdButton : public QPushButton {
  Q_OBJECT

 public:
  static constexpr int kDefaultHeight = 23;

  explicit TStdButton(QWidget* parent = nullptr);
  explicit TStdButton(const QString& text, QWidget* parent = nullptr);

  QSize sizeHint() const override;
};
