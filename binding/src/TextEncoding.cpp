// UTF-16 text as the documents hold it and its UTF-8 form, through Xerces' own transcoders.

#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLException.hpp>

#include "XercesSupport.h"

using namespace binding_detail;

namespace {

// Made once per thread: looking a transcoder up costs more than most conversions.
xml::XMLTranscoder* TranscoderFor(const char* encoding) {
  EnsureXercesInitialized();
  xml::XMLTransService::Codes result;
  return xml::XMLPlatformUtils::fgTransService->makeNewTranscoderFor(encoding, result, 16 * 1024);
}

xml::XMLTranscoder* Utf8() {
  thread_local const std::unique_ptr<xml::XMLTranscoder> transcoder(TranscoderFor("UTF-8"));
  return transcoder.get();
}

xml::XMLTranscoder* Latin1() {
  thread_local const std::unique_ptr<xml::XMLTranscoder> transcoder(TranscoderFor("ISO-8859-1"));
  return transcoder.get();
}

std::u16string Transcoded(std::string_view bytes, xml::XMLTranscoder* transcoder) {
  xml::TranscodeFromStr decoded(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(), transcoder);
  return std::u16string(decoded.str(), decoded.length());
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Xerces' UTF-8 transcoder garbles a lone surrogate and the unit after it: it has no UTF-8 form.
void ReplaceLoneSurrogates(std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      text[i] = u'\uFFFD';
    }
  }
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  std::u16string whole(text);
  ReplaceLoneSurrogates(whole);
  xml::XMLTranscoder* utf8 = Utf8();  // starts Xerces before its memory manager is read as a default argument
  xml::TranscodeToStr encoded(whole.data(), whole.size(), utf8);
  return std::string(reinterpret_cast<const char*>(encoded.str()), encoded.length());
}

std::u16string FromUtf8(std::string_view text) { return DecodeUtf8(text, std::u16string::npos); }

namespace binding_detail {

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::u16string DecodeUtf8(std::string_view bytes, size_t maxUnits) {
  if (bytes.empty()) return {};
  std::u16string text;
  try {
    text = Transcoded(bytes, Utf8());
  } catch (const xml::XMLException&) {
    // Bytes that are not UTF-8 come, in practice, from Latin-1 systems (Windows shares, old ERPs).
    text = Transcoded(bytes, Latin1());
  }
  if (text.size() > maxUnits)
    text.resize(maxUnits > 0 && IsHighSurrogate(text[maxUnits - 1]) ? maxUnits - 1 : maxUnits);
  return text;
}

}  // namespace binding_detail
