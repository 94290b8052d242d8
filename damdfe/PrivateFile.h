#pragma once

// A file that only this user may read, for data that should not linger on disk.

#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <string>

#include "SafeFiles.h"

// A file of the given name in a private folder (mode 0700) under TMPDIR (/tmp when unset or
// empty); removed with its folder when the object goes, or when SIGINT or SIGTERM ends the process.
class TPrivateFile {
 public:
  explicit TPrivateFile(const QString& name);
  TPrivateFile(const TPrivateFile&) = delete;
  TPrivateFile& operator=(const TPrivateFile&) = delete;

  // Creates the file (mode 0600) with these bytes; never opens anything already there.
  void Write(const std::string& bytes) const;
  const std::filesystem::path& Path() const { return path_; }

 private:
  QTemporaryDir directory_;
  QString file_;
  std::filesystem::path path_;
  // Registered after the folder, so an interruption removes the file first.
  std::unique_ptr<TRemovedOnInterrupt> directoryRemoved_;
  std::unique_ptr<TRemovedOnInterrupt> fileRemoved_;
};
