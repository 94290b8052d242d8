#pragma once

// Reading the exact document: elements by local name, texts as written.

#include <xercesc/dom/DOM.hpp>

#include <string>
#include <string_view>
#include <vector>

#include "XMLDoc.h"

namespace verification {

namespace xml = XERCES_CPP_NAMESPACE;

inline constexpr char16_t kSignatureNamespace[] = u"http://www.w3.org/2000/09/xmldsig#";

inline std::u16string_view View(const XMLCh* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

inline bool Named(const xml::DOMNode* node, std::u16string_view localName) {
  return node && node->getNodeType() == xml::DOMNode::ELEMENT_NODE && View(node->getLocalName()) == localName;
}

// The element children with that local name, in order.
inline std::vector<xml::DOMElement*> Children(const xml::DOMNode* parent, std::u16string_view localName) {
  std::vector<xml::DOMElement*> found;
  if (!parent) return found;
  for (xml::DOMNode* child = parent->getFirstChild(); child; child = child->getNextSibling()) {
    if (Named(child, localName)) found.push_back(static_cast<xml::DOMElement*>(child));
  }
  return found;
}

inline xml::DOMElement* Child(const xml::DOMNode* parent, std::u16string_view localName) {
  for (xml::DOMNode* child = parent ? parent->getFirstChild() : nullptr; child; child = child->getNextSibling()) {
    if (Named(child, localName)) return static_cast<xml::DOMElement*>(child);
  }
  return nullptr;
}

// The text of an element reached by a path of local names; empty where any is missing.
inline std::u16string TextAt(const xml::DOMNode* from, std::initializer_list<std::u16string_view> path) {
  for (std::u16string_view name : path) from = Child(from, name);
  return from ? std::u16string(View(from->getTextContent())) : std::u16string();
}

inline std::u16string Attribute(const xml::DOMElement* element, std::u16string_view name) {
  return element ? std::u16string(View(element->getAttribute(std::u16string(name).c_str()))) : std::u16string();
}

inline std::string Utf8(std::u16string_view text) { return ToUtf8(text); }

}  // namespace verification
