#include "ui/stdtabcontrol.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QWheelEvent>

TStdTabControl::TStdTabControl(QWidget* parent) : QTabBar(parent) {
  // Window-wide, so that the keys work whichever control has the focus.
  next_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
  // Shift turns Tab into Backtab, but shortcuts are matched against what the
  // keyboard mapper makes of the key: under X11 and Wayland that is Ctrl+Shift+Tab
  // (or Ctrl+Backtab, Shift used up), never Ctrl+Shift+Backtab; other
  // platforms and synthetic events carry Ctrl+Shift+Backtab as it is.
  previous_ = new QShortcut(this);
  previous_->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});
  for (QShortcut* shortcut : {next_, previous_}) shortcut->setContext(Qt::WindowShortcut);
  const auto forward = [this] { DialogKey(false); };
  const auto backward = [this] { DialogKey(true); };
  connect(next_, &QShortcut::activated, this, forward);
  connect(next_, &QShortcut::activatedAmbiguously, this, forward);
  connect(previous_, &QShortcut::activated, this, backward);
  connect(previous_, &QShortcut::activatedAmbiguously, this, backward);
}

void TStdTabControl::SetHandleCtrlTab(bool handle) {
  handleCtrlTab_ = handle;
  next_->setEnabled(handle);
  previous_->setEnabled(handle);
}

bool TStdTabControl::CanChange(int newIndex) {
  return !onChanging_ || onChanging_(newIndex);
}

bool TStdTabControl::StepTab(bool backwards) {
  const int tabs = count();
  if (tabs == 0) return false;
  int index = currentIndex() + (backwards ? -1 : 1);
  if (index < 0) index = tabs - 1;
  if (index >= tabs) index = 0;
  if (!CanChange(index)) return false;
  const int before = currentIndex();
  setCurrentIndex(index);
  return currentIndex() != before;
}

void TStdTabControl::DialogKey(bool backwards) {
  if (!handleCtrlTab_ || !isVisible() || !isEnabled()) return;
  StepTab(backwards);
}

void TStdTabControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const int index = tabAt(event->position().toPoint());
    if (index >= 0 && index != currentIndex() && !CanChange(index)) {
      event->accept();
      return;
    }
  }
  QTabBar::mousePressEvent(event);
}

void TStdTabControl::keyPressEvent(QKeyEvent* event) {
  // The strip's own arrow keys move to the neighbouring usable tab; they ask
  // the hook like a click.
  if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
    int step = event->key() == Qt::Key_Right ? 1 : -1;
    if (layoutDirection() == Qt::RightToLeft) step = -step;
    int index = currentIndex() + step;
    while (index >= 0 && index < count() && !isTabEnabled(index)) index += step;
    if (index >= 0 && index < count() && !CanChange(index)) {
      event->accept();
      return;
    }
  }
  QTabBar::keyPressEvent(event);
}

#if QT_CONFIG(wheelevent)
void TStdTabControl::wheelEvent(QWheelEvent* event) {
  // Like the platform's tab strips, the wheel does not switch tabs (and so
  // cannot slip past the hook either).
  event->ignore();
}
#endif
