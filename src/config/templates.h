#pragma once

#include <vector>

#include <QString>

// Templates for new configurations: the setup files of the templates folder
// that the new-configuration dialog offers.

inline const QString kBlankConfigurationEntry = QStringLiteral("Blank Configuration");

struct TemplateEntry {
  QString title;     // what the list shows
  QString fileName;  // with extension, without folder; empty for the blank entry
};

// The setup files of a templates folder (normal and read-only files, no
// hidden files or folders) in character-code order, or the single blank
// entry when there are none.
std::vector<TemplateEntry> ListTemplates(const QString& folder);

// The path a chosen entry stands for: the folder joined with its file
// name, or empty for the blank entry.
QString TemplatePath(const QString& folder, const TemplateEntry& entry);
