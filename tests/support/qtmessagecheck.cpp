#include "support/qtmessagecheck.h"

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

struct Expected {
  QString text;
  int seen = 0;
};

std::mutex g_mutex;
std::vector<Expected> g_expected;
QtMessageHandler g_previous = nullptr;

bool IsPlatformNoise(const QString& message) {
  for (const char* noise : kPlatformNoise)
    if (message.startsWith(QLatin1String(noise))) return true;
  return false;
}

// True when a test expects this warning (and counts it).
bool IsExpected(const QString& message) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  for (Expected& expected : g_expected) {
    if (message.contains(expected.text)) {
      ++expected.seen;
      return true;
    }
  }
  return false;
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
  g_expected.push_back({text_, 0});
}

ExpectQtWarning::~ExpectQtWarning() {
  int seen = 0;
  {
    const std::lock_guard<std::mutex> lock(g_mutex);
    for (auto it = g_expected.end(); it != g_expected.begin();) {
      --it;
      if (it->text == text_) {
        seen = it->seen;
        g_expected.erase(it);
        break;
      }
    }
  }
  EXPECT_GT(seen, 0) << "Expected a Qt warning containing: " << text_.toStdString();
}
