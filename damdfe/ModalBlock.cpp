#include "ModalBlock.h"

#include <algorithm>
#include <cctype>

#include "mdfe_v300.h"

namespace {

constexpr std::string_view kLineBreak = "\r\n";

// The `length` characters from the 1-based `start`, clamped as the cut needs; cut in place, so
// that a large text is never held twice.
std::string ClampedPart(std::string text, long start, long length) {
  if (start < 1) start = 1;
  if (length <= 0 || static_cast<size_t>(start) > text.size()) return {};
  text.erase(0, static_cast<size_t>(start - 1));
  if (static_cast<size_t>(length) < text.size()) text.resize(static_cast<size_t>(length));
  return text;
}

bool IsCrLf(std::string_view text, size_t at) {
  return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
}

// The size WithCrLfLines gives: a lone CR or LF grows by one, and a last line without a break gets one.
size_t CrLfLinesSize(std::string_view text) {
  size_t size = text.size();
  for (size_t at = text.find_first_of("\r\n"); at != std::string_view::npos; at = text.find_first_of("\r\n", at + 1)) {
    if (IsCrLf(text, at)) {
      ++at;
    } else {
      ++size;
    }
  }
  if (!text.empty() && text.back() != '\r' && text.back() != '\n') size += kLineBreak.size();
  return size;
}

long Position(const std::string& text, std::string_view marker) {
  size_t at = text.find(marker);
  return at == std::string::npos ? 0 : static_cast<long>(at) + 1;
}

bool IsUtf8Name(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
  return name == "UTF-8" || name == "UTF8";
}

// Declares the MDF-e namespace on the block's start tag when it declares no default namespace.
std::string WithInheritedNamespace(std::string part, const std::string& startMarker) {
  if (part.rfind(startMarker, 0) != 0) return part;
  std::string_view startTag = std::string_view(part).substr(0, part.find('>'));
  if (startTag.find("xmlns=") != std::string_view::npos) return part;
  part.insert(startMarker.size(), " xmlns=\"" + ToUtf8(kMdfeNamespace) + "\"");
  return part;
}

}  // namespace

std::string WithCrLfLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::string lines;
  lines.reserve(CrLfLinesSize(text));
  size_t start = 0;
  while (start < text.size()) {
    size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    lines.append(text.substr(start, end - start)).append(kLineBreak);
    start = end + (end < text.size() && IsCrLf(text, end) ? 2 : 1);
  }
  return lines;
}

std::string CutModalBlock(std::string_view manifestBytes, std::string_view tag) {
  const std::string startMarker = "<" + std::string(tag);
  std::string text = WithCrLfLines(manifestBytes);
  const long start = Position(text, startMarker);
  const long infModalEnd = Position(text, "</infModal");
  std::string block = WithInheritedNamespace(ClampedPart(std::move(text), start, infModalEnd - start), startMarker);
  // The text had CR LF lines already; only a last line cut short of its break lacks one.
  if (!block.empty() && !block.ends_with(kLineBreak)) block += kLineBreak;
  std::string encoding = ToUtf8(DeclaredEncoding(manifestBytes));
  if (!encoding.empty() && !IsUtf8Name(encoding)) {
    block.insert(0, "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>" + std::string(kLineBreak));
  }
  return block;
}

std::string CutRoadBlock(std::string_view manifestBytes) { return CutModalBlock(manifestBytes, "rodo"); }
