// The XML declaration at the head of a file's bytes, read before (and beside) Xerces.

#include "XercesSupport.h"

using namespace binding_detail;

namespace {

// The declaration's pairs, in the order "version", "encoding", "standalone"; empty values left out.
std::vector<std::pair<std::u16string_view, std::u16string>> DeclarationPairs(std::string_view bytes) {
  std::u16string head;
  if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    bool little = bytes[0] == '\xFF';
    for (size_t i = 2; i + 1 < bytes.size() && head.size() < 256; i += 2) {
      auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
      auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
      head.push_back(char16_t(lo | (hi << 8)));
    }
  } else {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    head = DecodeUtf8(bytes.substr(0, 256), 256);
  }
  if (head.rfind(u"<?xml", 0) != 0 || head.size() < 6 ||
      (head[5] != u' ' && head[5] != u'\t' && head[5] != u'\r' && head[5] != u'\n')) {
    return {};
  }
  auto end = head.find(u"?>");
  if (end == std::u16string::npos) return {};
  std::u16string_view declaration(head.data() + 5, end - 5);

  std::vector<std::pair<std::u16string_view, std::u16string>> pairs;
  for (std::u16string_view name : {u"version", u"encoding", u"standalone"}) {
    auto at = declaration.find(name);
    if (at == std::u16string_view::npos) continue;
    auto quote = declaration.find_first_of(u"\"'", at + name.size());
    if (quote == std::u16string_view::npos) continue;
    auto close = declaration.find(declaration[quote], quote + 1);
    if (close == std::u16string_view::npos) continue;
    auto value = declaration.substr(quote + 1, close - quote - 1);
    if (!value.empty()) pairs.emplace_back(name, value);
  }
  return pairs;
}

}  // namespace

namespace binding_detail {

std::u16string DeclarationData(std::string_view bytes) {
  std::u16string data;
  for (const auto& [name, value] : DeclarationPairs(bytes)) {
    if (!data.empty()) data += u' ';
    data += std::u16string(name) + u"=\"" + value + u"\"";
  }
  return data;
}

}  // namespace binding_detail

std::u16string DeclaredEncoding(std::string_view bytes) {
  for (const auto& [name, value] : DeclarationPairs(bytes)) {
    if (name == u"encoding") return value;
  }
  return {};
}
