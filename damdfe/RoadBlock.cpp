#include "RoadBlock.h"

#include <algorithm>
#include <cctype>

#include "mdfe_v300.h"

namespace {

constexpr std::string_view kLineBreak = "\r\n";

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += kLineBreak;
  }
  return text;
}

// Copy of `length` characters from the 1-based `start`, clamped as the cut needs.
std::string ClampedPart(const std::string& text, long start, long length) {
  if (start < 1) start = 1;
  if (length <= 0 || static_cast<size_t>(start) > text.size()) return {};
  return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length));
}

long Position(const std::string& text, std::string_view marker) {
  size_t at = text.find(marker);
  return at == std::string::npos ? 0 : static_cast<long>(at) + 1;
}

bool IsUtf8Name(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
  return name == "UTF-8" || name == "UTF8";
}

// Declares the MDF-e namespace on a "rodo" start tag that declares no default namespace.
std::string WithInheritedNamespace(std::string part) {
  if (part.rfind("<rodo", 0) != 0) return part;
  std::string_view startTag = std::string_view(part).substr(0, part.find('>'));
  if (startTag.find("xmlns=") != std::string_view::npos) return part;
  part.insert(5, " xmlns=\"" + ToUtf8(kMdfeNamespace) + "\"");
  return part;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

std::string CutRoadBlock(std::string_view manifestBytes) {
  std::string text = JoinLines(SplitLines(manifestBytes));
  long rodo = Position(text, "<rodo");
  long infModalEnd = Position(text, "</infModal");
  std::string part = WithInheritedNamespace(ClampedPart(text, rodo, infModalEnd - rodo));
  std::string block = JoinLines(SplitLines(part));
  std::string encoding = ToUtf8(DeclaredEncoding(manifestBytes));
  if (!encoding.empty() && !IsUtf8Name(encoding)) {
    block.insert(0, "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>" + std::string(kLineBreak));
  }
  return block;
}
