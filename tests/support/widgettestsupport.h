#pragma once

#include <functional>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "support/qtprinters.h"
#include "support/scriptedprompter.h"

// Finding, filling and answering the windows under test, as a user would.

// The scripted prompter that also notes every help request.
class HelpRecordingPrompter : public ScriptedPrompter {
 public:
  void RequestHelp(int helpContext) override { helpContexts.push_back(helpContext); }
  std::vector<int> helpContexts;
};

template <typename T>
T* Find(const QWidget* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Picks an item of a drop-down list as the user would: by its text.
inline void Choose(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->setCurrentIndex(index);
}

inline QStringList ItemTexts(const QComboBox* combo) {
  QStringList texts;
  for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
  return texts;
}

// Runs action on the modal dialog that the next event-loop turn finds open.
inline void OnNextDialog(std::function<void(QDialog*)> action) {
  QTimer::singleShot(0, [action] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      action(dialog);
      return;
    }
    ADD_FAILURE() << "no dialog shown";
  });
}
