#pragma once

// Cutting the road-transport block ("rodo") out of a manifest's text into a file of its own.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "SafeFiles.h"

// The text as 8-bit lines: a line ends at CR LF, a lone CR or a lone LF; the text ends at its
// first zero byte.
std::vector<std::string> SplitLines(std::string_view text);

// The road block file's bytes for a manifest's bytes: the part from the first "<rodo" up to the
// first "</infModal", as CR LF lines. A "rodo" that inherits its namespace gets the MDF-e
// namespace declared, and a manifest declared in another encoding than UTF-8 gives a file that
// declares that encoding.
std::string CutRoadBlock(std::string_view manifestBytes);

// A private directory (mode 0700) under TMPDIR (/tmp when unset or empty) holding "Rodo.xml";
// removed with its file when the object goes, or when SIGINT or SIGTERM ends the process.
class TRoadBlockFile {
 public:
  TRoadBlockFile();
  ~TRoadBlockFile();
  TRoadBlockFile(const TRoadBlockFile&) = delete;
  TRoadBlockFile& operator=(const TRoadBlockFile&) = delete;

  void Write(const std::string& bytes) const;
  const std::filesystem::path& Path() const { return file_; }

 private:
  std::filesystem::path directory_;
  std::filesystem::path file_;
  // Registered after the folder, so an interruption removes the file first.
  std::unique_ptr<TRemovedOnInterrupt> directoryRemoved_;
  std::unique_ptr<TRemovedOnInterrupt> fileRemoved_;
};

std::string ReadWholeFile(const std::filesystem::path& file);
