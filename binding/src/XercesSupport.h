#pragma once

// Private to binding/: the meeting point with Xerces-C.

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "XMLDoc.h"

static_assert(std::is_same_v<XMLCh, char16_t>, "the binding needs XMLCh to be char16_t");

namespace xml = XERCES_CPP_NAMESPACE;

// The opaque handles of XMLDoc.h are these Xerces objects.
inline xml::DOMNode* Dom(OpaqueDomNode* node) { return reinterpret_cast<xml::DOMNode*>(node); }
inline OpaqueDomNode* Opaque(xml::DOMNode* node) { return reinterpret_cast<OpaqueDomNode*>(node); }
inline auto TXMLNode::dom() const { return Dom(dom_); }
inline OpaqueDomDocument* OpaqueDocument(xml::DOMDocument* document) {
  return reinterpret_cast<OpaqueDomDocument*>(document);
}
inline auto TXMLDocument::dom() const { return reinterpret_cast<xml::DOMDocument*>(dom_.get()); }

namespace binding_detail {

inline void EnsureXercesInitialized() {
  // Never terminated: documents may outlive any scope we could choose.
  static std::once_flag once;
  std::call_once(once, [] { xml::XMLPlatformUtils::Initialize(); });
}

// Xerces objects created by a factory are given back with release().
struct Release {
  template <class T>
  void operator()(T* object) const {
    object->release();
  }
};
template <class T>
using XercesPtr = std::unique_ptr<T, Release>;

inline constexpr char16_t kXmlnsNamespace[] = u"http://www.w3.org/2000/xmlns/";

inline std::u16string Str(const XMLCh* text) { return text ? std::u16string(text) : std::u16string(); }
inline std::u16string_view View(const XMLCh* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

// Xerces reports bad names and the like as its own DOMException; callers see ours.
template <class F>
auto GuardDom(F&& operation) {
  try {
    return operation();
  } catch (const xml::DOMException& e) {
    throw EXMLDocError(ToUtf8(Str(e.getMessage())));
  }
}

// Decodes at most maxUnits UTF-16 units; bytes that are not valid UTF-8 are read as Latin-1.
std::u16string DecodeUtf8(std::string_view bytes, size_t maxUnits);

// Replaces the class of the entry with the same tag and namespace URI (compared exactly), else appends.
void AddRegistration(std::vector<TNodeClassInfo>& entries, const TNodeClassInfo& added);

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// The XML declaration's pairs ("version", "encoding", "standalone") when the bytes
// begin with one, after an optional byte-order mark; empty otherwise.
std::u16string DeclarationData(std::string_view bytes);

// Parses bytes into a DOM document or throws EDOMParseError. Blank text between elements is
// dropped unless kept.
XercesPtr<xml::DOMDocument> ParseBytes(const std::string& bytes, const std::u16string& systemId,
                                       bool keepBlankText = false);

}  // namespace binding_detail
