#include "support/scriptedprompter.h"

#include <gtest/gtest.h>

namespace {

const char* KindName(int kind) {
  static const char* names[] = {"message", "open-file dialog", "save-file dialog", "folder dialog",
                                "error box"};
  return names[kind];
}

}  // namespace

ScriptedPrompter::~ScriptedPrompter() {
  for (const Step& step : script_) {
    ADD_FAILURE() << "expected " << KindName(static_cast<int>(step.kind))
                  << " never came: " << step.text.toStdString();
  }
}

ScriptedPrompter& ScriptedPrompter::ExpectMessage(const QString& text, MessageResult answer) {
  script_.push_back({Kind::Message, text, answer, std::nullopt});
  return *this;
}

ScriptedPrompter& ScriptedPrompter::ExpectOpenFile(std::optional<QString> answer) {
  script_.push_back({Kind::OpenFile, QString(), MessageResult::Ok, std::move(answer)});
  return *this;
}

ScriptedPrompter& ScriptedPrompter::ExpectSaveFile(std::optional<QString> answer) {
  script_.push_back({Kind::SaveFile, QString(), MessageResult::Ok, std::move(answer)});
  return *this;
}

ScriptedPrompter& ScriptedPrompter::ExpectFolder(std::optional<QString> answer) {
  script_.push_back({Kind::Folder, QString(), MessageResult::Ok, std::move(answer)});
  return *this;
}

ScriptedPrompter& ScriptedPrompter::ExpectError(const QString& message) {
  script_.push_back({Kind::Error, message, MessageResult::Ok, std::nullopt});
  return *this;
}

std::optional<ScriptedPrompter::Step> ScriptedPrompter::Next(Kind kind, const QString& what) {
  if (script_.empty()) {
    ADD_FAILURE() << "unexpected " << KindName(static_cast<int>(kind)) << ": " << what.toStdString();
    return std::nullopt;
  }
  Step step = script_.front();
  script_.pop_front();
  if (step.kind != kind) {
    ADD_FAILURE() << "expected " << KindName(static_cast<int>(step.kind)) << " (" << step.text.toStdString()
                  << ") but got " << KindName(static_cast<int>(kind)) << ": " << what.toStdString();
    return std::nullopt;
  }
  if ((kind == Kind::Message || kind == Kind::Error) && step.text != what) {
    ADD_FAILURE() << "expected text:\n" << step.text.toStdString() << "\nbut got:\n" << what.toStdString();
  }
  return step;
}

MessageResult ScriptedPrompter::Message(const MessageRequest& request) {
  messages_.push_back(request);
  const auto step = Next(Kind::Message, request.text);
  return step ? step->answer : MessageResult::Cancel;
}

std::optional<QString> ScriptedPrompter::OpenFile(const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  const auto step = Next(Kind::OpenFile, request.filter);
  return step ? step->path : std::nullopt;
}

std::optional<QString> ScriptedPrompter::SaveFile(const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  const auto step = Next(Kind::SaveFile, request.filter);
  return step ? step->path : std::nullopt;
}

std::optional<QString> ScriptedPrompter::ChooseFolder(const QString& title, const QString& startFolder) {
  folderStarts_.push_back(startFolder);
  const auto step = Next(Kind::Folder, title);
  return step ? step->path : std::nullopt;
}

void ScriptedPrompter::ShowError(const QString& message) {
  errors_.push_back(message);
  Next(Kind::Error, message);
}
