// UTF-16 text as the documents hold it, and its UTF-8 and Latin-1 neighbours.

#include <algorithm>

#include "XercesSupport.h"

using namespace binding_detail;

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (code < 0x80) {
      out.push_back(char(code));
    } else if (code < 0x800) {
      out.push_back(char(0xC0 | (code >> 6)));
      out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(char(0xE0 | (code >> 12)));
      out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(char(0x80 | (code & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (code >> 18)));
      out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(char(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) { return DecodeUtf8(text, std::u16string::npos, InvalidUtf8::Replace); }

namespace binding_detail {

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::u16string DecodeUtf8(std::string_view bytes, size_t maxUnits, InvalidUtf8 invalid) {
  std::u16string out;
  out.reserve(std::min(bytes.size(), maxUnits));
  size_t i = 0;
  while (i < bytes.size() && out.size() < maxUnits) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    int extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 0;
    char32_t code = lead < 0x80 || invalid == InvalidUtf8::Latin1 ? lead : 0xFFFD;
    size_t length = 1;
    if (extra > 0 && i + extra < bytes.size()) {
      char32_t decoded = lead & (0x3F >> extra);
      bool valid = true;
      for (int k = 1; k <= extra && valid; ++k) {
        auto next = static_cast<unsigned char>(bytes[i + k]);
        valid = (next & 0xC0) == 0x80;
        decoded = (decoded << 6) | (next & 0x3F);
      }
      if (valid) {
        code = decoded;
        length = extra + 1;
      }
    }
    i += length;
    if (code >= 0x10000) {
      if (out.size() + 2 > maxUnits) break;
      code -= 0x10000;
      out.push_back(char16_t(0xD800 + (code >> 10)));
      out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(char16_t(code));
    }
  }
  return out;
}

}  // namespace binding_detail
