#pragma once

#include <vector>

#include <QString>

// The items of a code combo box: each item carries an integer code, and
// dialogs select and read items by code, never by position. Widget-free, so
// that the lists live with the editors' rules in the core and are tested
// there.
struct CodeItem {
  int code;
  QString text;

  bool operator==(const CodeItem&) const = default;
};

using CodeList = std::vector<CodeItem>;
