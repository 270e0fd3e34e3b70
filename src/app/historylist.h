#pragma once

#include <functional>

#include <QString>
#include <QStringList>

// The recent setup files, most recent first, at most ten, compared without
// regard to case. Stored per user under the application key, sub-key
// "Config Files": "Count" and "History0", "History1", ...
class HistoryList {
 public:
  static constexpr int kLimit = 10;

  // Replaces the entries by those stored. Raises Exception(kVendorKeyError)
  // when the application key cannot be opened; any other store failure
  // leaves the list empty.
  void Load();
  // Rewrites the stored list from the entries.
  void Save() const;
  // Removes every entry equal to path (ignoring case).
  void Remove(const QString& path, bool save);
  // Puts path at the head, dropping older entries beyond the limit.
  void Add(const QString& path, bool save);

  const QStringList& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }

 private:
  QStringList entries_;
};

// The menu caption of entry n (1-based) of count entries, without the name:
// "&1".."&9" (two blanks before them when more than nine entries) and
// "1&0", followed by one blank.
QString HistoryCaptionPrefix(int n, int count);

// The name shown for a recent file before it is shortened to fit: the setup
// file extension (any case) and the configuration folder (any case) are
// left out.
QString HistoryDisplayName(const QString& path, const QString& configFolder);

// Shortens a path to fit maxWidth, as widthOf measures text, by replacing
// whole folders with an ellipsis: the folders after the first one go first,
// nearest the first one first ("/tmp/…/files/Old", "/tmp/…/Old"), then the
// first one too ("…/Old"), then all but the file name. The file name is
// never cut, so a name too long on its own is shown whole.
QString ShortenPathToFit(const QString& path, int maxWidth, const std::function<int(const QString&)>& widthOf);

// The status-bar hint of a recent-file item.
QString HistoryHint(const QString& path);
