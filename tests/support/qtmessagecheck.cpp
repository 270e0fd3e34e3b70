#include "support/qtmessagecheck.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <vector>

#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

// Messages the platform plugins print about themselves, not about our code.
// Each is matched at the start of the message.
constexpr const char* kPlatformNoise[] = {
    // The offscreen plugin has no window manager to pass these to.
    "This plugin does not support propagateSizeHints()",
    "This plugin does not support raise()",
    "This plugin does not support grabbing the keyboard",
};

std::mutex g_mutex;
std::vector<ExpectQtWarning*> g_expected;
QtMessageHandler g_previous = nullptr;

bool IsPlatformNoise(const QString& message) {
  return std::any_of(std::begin(kPlatformNoise), std::end(kPlatformNoise),
                     [&message](const char* noise) { return message.startsWith(QLatin1String(noise)); });
}

bool IsExpected(const QString& message) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  return std::any_of(g_expected.begin(), g_expected.end(),
                     [&message](ExpectQtWarning* expected) { return expected->Take(message); });
}

void CheckMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg || type == QtCriticalMsg) {
    if (IsExpected(message)) return;
    if (!IsPlatformNoise(message)) {
      ADD_FAILURE() << "Unexpected Qt warning: " << message.toStdString()
                    << (context.category ? " [" + std::string(context.category) + "]" : std::string());
    }
  }
  if (g_previous) g_previous(type, context, message);
}

}  // namespace

namespace QtMessageCheck {

void Install() {
  g_previous = qInstallMessageHandler(CheckMessage);
}

}  // namespace QtMessageCheck

ExpectQtWarning::ExpectQtWarning(QString text) : text_(std::move(text)) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  g_expected.push_back(this);
}

ExpectQtWarning::~ExpectQtWarning() {
  {
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_expected.erase(std::find(g_expected.begin(), g_expected.end(), this));
  }
  EXPECT_GT(seen_, 0) << "Expected a Qt warning containing: " << text_.toStdString();
}

bool ExpectQtWarning::Take(const QString& message) {
  if (!message.contains(text_)) return false;
  ++seen_;
  return true;
}
