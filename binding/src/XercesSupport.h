#pragma once

// Private to binding/: the meeting point with Xerces-C.

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <string>
#include <string_view>
#include <vector>

#include "XMLDoc.h"

static_assert(std::is_same_v<XMLCh, char16_t>, "the binding needs XMLCh to be char16_t");

namespace xercesc_3_2 {}
namespace xml = xercesc_3_2;

namespace binding_detail {

void EnsureXercesInitialized();

inline constexpr char16_t kXmlnsNamespace[] = u"http://www.w3.org/2000/xmlns/";

// Xerces wants zero-terminated strings.
inline std::u16string Terminated(std::u16string_view text) { return std::u16string(text); }

inline std::u16string Str(const XMLCh* text) { return text ? std::u16string(text) : std::u16string(); }

enum class InvalidUtf8 { Replace, Latin1 };
// Decodes at most maxUnits UTF-16 units; a byte that is not valid UTF-8 becomes U+FFFD or
// stands for itself as Latin-1.
std::u16string DecodeUtf8(std::string_view bytes, size_t maxUnits, InvalidUtf8 invalid);

// Replaces the class of the entry with the same tag and namespace URI (compared exactly), else appends.
void AddRegistration(std::vector<TNodeClassInfo>& entries, std::u16string_view tag, std::u16string_view namespaceURI,
                     WrapperFactory factory);

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// The XML declaration's pairs ("version", "encoding", "standalone") when the bytes
// begin with one, after an optional byte-order mark; empty otherwise.
std::u16string DeclarationData(std::string_view bytes);

// Parses bytes into a DOM document (owned by the caller) or throws EDOMParseError.
xml::DOMDocument* ParseBytes(const std::string& bytes, const std::u16string& systemId);

}  // namespace binding_detail
