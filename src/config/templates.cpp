#include "config/templates.h"

#include "platform/filepaths.h"
#include "config/qvasetupfiler.h"

std::vector<TemplateEntry> ListTemplates(const QString& folder) {
  std::vector<TemplateEntry> entries;
  for (const FileEntry& file :
       ListFiles(JoinPath(folder, QStringLiteral("*.") + kSetupFileExtension), faReadOnly)) {
    entries.push_back({FileTitle(file.name), file.name});
  }
  if (entries.empty()) entries.push_back({kBlankConfigurationEntry, QString()});
  return entries;
}

QString TemplatePath(const QString& folder, const TemplateEntry& entry) {
  return entry.fileName.isEmpty() ? QString() : JoinPath(folder, entry.fileName);
}
