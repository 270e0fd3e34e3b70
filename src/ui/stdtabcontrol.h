#pragma once

#include <functional>

#include <QTabBar>

class QShortcut;

// A tab strip that Ctrl+Tab and Ctrl+Shift+Tab step through (wrapping at
// both ends) from anywhere in its window. Every change of tab, by mouse,
// keyboard or Ctrl+Tab, first asks the changing hook, so a page whose
// values are not valid can keep the user on it.
class TStdTabControl : public QTabBar {
  Q_OBJECT
  Q_PROPERTY(bool HandleCtrlTab READ HandleCtrlTab WRITE SetHandleCtrlTab)

 public:
  // Answers whether the tab may change to newIndex.
  using ChangingHook = std::function<bool(int newIndex)>;

  explicit TStdTabControl(QWidget* parent = nullptr);

  bool HandleCtrlTab() const { return handleCtrlTab_; }
  // Off, the keys reach the focused control as if the strip were not there.
  void SetHandleCtrlTab(bool handle);

  void SetOnChanging(ChangingHook hook) { onChanging_ = std::move(hook); }

  // The Ctrl+Tab step: to the next tab, or the previous one when
  // backwards; true when the tab changed.
  bool StepTab(bool backwards);

  // Asks the changing hook; true when there is none.
  virtual bool CanChange(int newIndex);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
#if QT_CONFIG(wheelevent)
  void wheelEvent(QWheelEvent* event) override;
#endif

 private:
  void DialogKey(bool backwards);

  bool handleCtrlTab_ = true;
  ChangingHook onChanging_;
  QShortcut* next_ = nullptr;
  QShortcut* previous_ = nullptr;
};
