#include "FileAccess.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <limits>
#include <stdexcept>

#include "SafeFiles.h"

std::string ReadFileStart(const std::filesystem::path& file, std::size_t count) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw std::runtime_error("Não foi possível ler o arquivo \"" + file.string() + "\": " + SystemErrorText(errno));
  }
  std::string bytes;
  char buffer[65536];
  while (bytes.size() < count && in.read(buffer, std::min(sizeof buffer, count - bytes.size())).gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  return bytes;
}

std::string ReadWholeFile(const std::filesystem::path& file) {
  return ReadFileStart(file, std::numeric_limits<std::size_t>::max());
}

void RefuseHugeXmlFile(const std::filesystem::path& file, const std::string& what) {
  // Far above any real manifest, low enough that a hostile file costs a bounded amount of memory.
  constexpr std::uintmax_t kMaxXmlBytes = 20 * 1024 * 1024;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (!error && size > kMaxXmlBytes) {
    throw std::runtime_error("o arquivo XML tem " + std::to_string(size / (1024 * 1024)) + " MB; " + what +
                             " tem no máximo " + std::to_string(kMaxXmlBytes / (1024 * 1024)) + " MB");
  }
}

bool FileExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool HasXmlExtension(const std::filesystem::path& path) {
  const std::string& name = path.native();
  if (name.size() < 4) return false;
  std::string end = name.substr(name.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".xml";
}
