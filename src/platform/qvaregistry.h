#pragma once

#include <memory>

#include <QString>

class QSettings;

// The settings store: two roots, per machine and per user, holding keys,
// string values and 32-bit integer values under backslash-separated key
// paths. On Windows it is the registry itself; elsewhere each root is an INI
// file under $XDG_CONFIG_HOME/Ulmora/QVA Setup/ (machine.ini, user.ini).
// A TRegistry is made for one operation: open a key, read or write, close.

enum class RegistryRoot { LocalMachine, CurrentUser };

class TRegistry {
 public:
  explicit TRegistry(RegistryRoot root = RegistryRoot::CurrentUser);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  void SetRootKey(RegistryRoot root);
  RegistryRoot RootKey() const { return root_; }

  // Opens a key by its path below the root ("\Software\..." or relative).
  // With canCreate a missing key is created (it appears in the store with
  // its first value); without it a key that holds nothing does not open.
  // Returns false when the store cannot be opened (or written, with canCreate).
  bool OpenKey(const QString& keyPath, bool canCreate);
  bool OpenKeyReadOnly(const QString& keyPath);
  void CloseKey();
  bool HasOpenKey() const { return settings_ != nullptr; }
  QString CurrentPath() const { return currentPath_; }

  bool ValueExists(const QString& name) const;
  // The readers raise Exception("Invalid data type for '<name>'") when the
  // value is missing or not of the type; writers raise
  // Exception("Failed to set data for '<name>'") when the store refuses.
  QString ReadString(const QString& name) const;
  int ReadInteger(const QString& name) const;
  void WriteString(const QString& name, const QString& value);
  void WriteInteger(const QString& name, int value);

  // Deletes a key (path as for OpenKey, relative to the open key when it
  // does not start with a backslash) with all its values and sub-keys.
  bool DeleteKey(const QString& keyPath);

  // Where the INI stores live (not used on Windows).
  static QString StoreFolder();

 private:
  QString StoreFile() const;
  QString ResolvePath(const QString& keyPath) const;
  void Commit(const QString& name);

  RegistryRoot root_;
  std::unique_ptr<QSettings> settings_;
  QString currentPath_;  // normalised, "Software\Ulmora\..." without leading separator
  bool readOnly_ = false;
};
