// Bound nodes and node lists.

#include <xercesc/dom/DOMLSSerializer.hpp>

#include "XMLDoc.h"
#include "XercesSupport.h"

using namespace binding_detail;

namespace {

// Manifests in the wild spell the namespace URI in either case, while element names are
// case-sensitive in XML; an empty namespace means the caller accepts any.
bool Matches(const xml::DOMNode* node, std::u16string_view tag, std::u16string_view namespaceURI) {
  if (!namespaceURI.empty() && !EqualsIgnoringAsciiCase(View(node->getNamespaceURI()), namespaceURI)) return false;
  if (View(node->getNodeName()) == tag) return true;
  const XMLCh* local = node->getLocalName();
  return local && std::u16string_view(local) == tag;
}

std::string NodeNotFoundMessage(std::u16string_view name) { return "Node \"" + ToUtf8(name) + "\" not found"; }

xml::DOMDocument* OwnerOf(xml::DOMNode* node) {
  return node->getNodeType() == xml::DOMNode::DOCUMENT_NODE ? static_cast<xml::DOMDocument*>(node)
                                                            : node->getOwnerDocument();
}

}  // namespace

namespace binding_detail {

void AddRegistration(std::vector<TNodeClassInfo>& entries, const TNodeClassInfo& added) {
  for (auto& entry : entries) {
    if (entry.tag == added.tag && entry.namespaceURI == added.namespaceURI) {
      entry.factory = added.factory;
      return;
    }
  }
  entries.push_back(added);
}

}  // namespace binding_detail

// --- TXMLNodeList ---

void TXMLNodeList::ensureBuilt() {
  if (built_) return;
  slots_.clear();
  xml::DOMNode* dom = owner_.dom();
  if (kind_ == Kind::Children) {
    for (xml::DOMNode* child = dom->getFirstChild(); child; child = child->getNextSibling()) {
      slots_.push_back({Opaque(child), nullptr});
    }
  } else if (xml::DOMNamedNodeMap* attributes = dom->getAttributes()) {
    for (XMLSize_t i = 0, n = attributes->getLength(); i < n; ++i) {
      slots_.push_back({Opaque(attributes->item(i)), nullptr});
    }
  }
  built_ = true;
}

void TXMLNodeList::invalidate() { built_ = false; }

const std::shared_ptr<TXMLNode>& TXMLNodeList::wrapperAt(int index) {
  ensureBuilt();
  if (!slots_[index].wrapper) {
    OpaqueDomNode* dom = slots_[index].dom;
    // Made before it is stored: a wrapper's constructor may touch this list's owner.
    auto made = kind_ == Kind::Children ? owner_.wrap(dom)
                                        : std::make_shared<TXMLNode>(NodeInit{dom, owner_.document_, nullptr});
    slots_[index].wrapper = std::move(made);
  }
  return slots_[index].wrapper;
}

std::vector<std::shared_ptr<TXMLNode>> TXMLNodeList::takeWrappers() {
  std::vector<std::shared_ptr<TXMLNode>> taken;
  for (auto& slot : slots_) {
    if (slot.wrapper) taken.push_back(std::move(slot.wrapper));
  }
  slots_.clear();
  built_ = false;
  return taken;
}

int TXMLNodeList::Count() {
  ensureBuilt();
  return static_cast<int>(slots_.size());
}

IXMLNode TXMLNodeList::NodeAt(int index) {
  if (index < 0 || index >= Count()) throw EListError(index);
  return owner_.HandleTo(wrapperAt(index));
}

int TXMLNodeList::indexOf(const TXMLNode* node) {
  ensureBuilt();
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].wrapper.get() == node) return static_cast<int>(i);
  }
  return -1;
}

int TXMLNodeList::findMatch(std::u16string_view name) {
  ensureBuilt();
  std::u16string_view namespaceURI = kind_ == Kind::Children ? View(owner_.dom()->getNamespaceURI()) : u"";
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (Matches(Dom(slots_[i].dom), name, namespaceURI)) return static_cast<int>(i);
  }
  return -1;
}

IXMLNode TXMLNodeList::FindNode(std::u16string_view name) {
  int found = findMatch(name);
  return found >= 0 ? owner_.HandleTo(wrapperAt(found)) : IXMLNode();
}

IXMLNode TXMLNodeList::NodeByName(std::u16string_view name) {
  if (int found = findMatch(name); found >= 0) return owner_.HandleTo(wrapperAt(found));
  bool mayCreate = (owner_.document_->Options() & doNodeAutoCreate) != 0;
  if (kind_ == Kind::Attributes) mayCreate = mayCreate && owner_.NodeType() == TNodeType::ntElement;
  if (mayCreate && owner_.NodeType() == TNodeType::ntDocument) {
    mayCreate = static_cast<xml::DOMDocument*>(owner_.dom())->getDocumentElement() == nullptr;
  }
  if (!mayCreate) throw EXMLDocError(NodeNotFoundMessage(name));
  return owner_.HandleTo(kind_ == Kind::Children ? owner_.createChildElement(name) : owner_.createAttribute(name));
}

// --- TXMLNode ---

TXMLNode::TXMLNode(const NodeInit& init) : dom_(init.dom), document_(init.document) {}

TXMLNode::~TXMLNode() = default;

TXMLNode::Parts& TXMLNode::parts() {
  if (!parts_) parts_ = std::make_unique<Parts>(*this);
  return *parts_;
}

std::shared_ptr<TXMLNode> TXMLNode::keepAlive() { return host_ ? host_->keepAlive() : shared_from_this(); }

std::shared_ptr<TXMLDocument> TXMLNode::documentHandle() const { return document_->shared_from_this(); }

IXMLNodeList TXMLNode::ChildList() {
  TXMLNode& owner = element();
  return owner.HandleTo(&owner.children());
}

IXMLNodeList TXMLNode::AttributeList() {
  TXMLNode& owner = element();
  return owner.HandleTo(&owner.parts().attributes);
}

std::u16string TXMLNode::NodeName() const { return Str(dom()->getNodeName()); }
std::u16string TXMLNode::LocalName() const { return Str(dom()->getLocalName()); }
std::u16string TXMLNode::NamespaceURI() const { return Str(dom()->getNamespaceURI()); }
std::u16string TXMLNode::Prefix() const { return Str(dom()->getPrefix()); }

TNodeType TXMLNode::NodeType() const {
  switch (dom()->getNodeType()) {
    case xml::DOMNode::ELEMENT_NODE: return TNodeType::ntElement;
    case xml::DOMNode::ATTRIBUTE_NODE: return TNodeType::ntAttribute;
    case xml::DOMNode::TEXT_NODE: return TNodeType::ntText;
    case xml::DOMNode::CDATA_SECTION_NODE: return TNodeType::ntCData;
    case xml::DOMNode::PROCESSING_INSTRUCTION_NODE: return TNodeType::ntProcessingInstr;
    case xml::DOMNode::COMMENT_NODE: return TNodeType::ntComment;
    case xml::DOMNode::DOCUMENT_NODE: return TNodeType::ntDocument;
    default: return TNodeType::ntOther;
  }
}

bool TXMLNode::IsDocumentElement() const {
  xml::DOMNode* parent = dom()->getParentNode();
  return NodeType() == TNodeType::ntElement && parent && parent->getNodeType() == xml::DOMNode::DOCUMENT_NODE;
}

std::u16string TXMLNode::XML() const {
  EnsureXercesInitialized();
  xml::DOMImplementation* implementation = xml::DOMImplementationRegistry::getDOMImplementation(u"LS");
  XercesPtr<xml::DOMLSSerializer> serializer(
      static_cast<xml::DOMImplementationLS*>(implementation)->createLSSerializer());
  XMLCh* text = serializer->writeToString(dom());
  std::u16string result = Str(text);
  xml::XMLString::release(&text);
  return result;
}

OpaqueDomNode* TXMLNode::singleTextChild() {
  if (!dom()->hasChildNodes()) {
    dom()->appendChild(OwnerOf(dom())->createTextNode(u""));
    childrenInvalidated();
  }
  xml::DOMNode* only = dom()->getFirstChild();
  auto type = only->getNodeType();
  if (only->getNextSibling() || (type != xml::DOMNode::TEXT_NODE && type != xml::DOMNode::CDATA_SECTION_NODE)) {
    throw EXMLDocError(kSingleTextNodeMessage);
  }
  return Opaque(only);
}

std::u16string TXMLNode::ReadText() {
  TXMLNode& node = element();
  if (node.NodeType() != TNodeType::ntElement) return Str(node.dom()->getNodeValue());
  return Str(Dom(node.singleTextChild())->getNodeValue());
}

void TXMLNode::WriteText(std::u16string_view text) {
  TXMLNode& node = element();
  std::u16string value(text);
  if (node.NodeType() != TNodeType::ntElement) {
    node.dom()->setNodeValue(value.c_str());
    return;
  }
  Dom(node.singleTextChild())->setNodeValue(value.c_str());
}

std::optional<std::u16string> TXMLNode::ReadValue() {
  std::u16string text = ReadText();
  if (text.empty()) return std::nullopt;
  return text;
}

void TXMLNode::WriteAttribute(std::u16string_view name, std::u16string_view text) {
  TXMLNode& node = element();
  if (node.NodeType() != TNodeType::ntElement)
    throw EXMLDocError("Cannot set an attribute on a node that is not an element");
  GuardDom([&] {
    static_cast<xml::DOMElement*>(node.dom())->setAttribute(std::u16string(name).c_str(), std::u16string(text).c_str());
    return 0;
  });
  if (node.parts_) node.parts_->attributes.invalidate();
}

void TXMLNode::RegisterChildClass(std::u16string_view tag, WrapperFactory factory, std::u16string_view namespaceURI) {
  TXMLNode& node = element();
  // Stored empty when it is the element's own, which is what an empty one means.
  std::u16string_view uri = namespaceURI == View(node.dom()->getNamespaceURI()) ? u"" : namespaceURI;
  TNodeClassInfo entry{document_->intern(tag), document_->intern(uri), factory};
  AddRegistration(node.parts().registrations, entry);
  // The document node's wrapper is discarded by each binding; its registrations must not be.
  if (node.NodeType() == TNodeType::ntDocument) AddRegistration(document_->rootRegistrations_, entry);
  node.childrenInvalidated();
}

WrapperFactory TXMLNode::wrapperClassFor(OpaqueDomNode* child) const {
  if (!parts_) return &MakeWrapper<TXMLNode>;
  std::u16string_view own = View(dom()->getNamespaceURI());
  for (const auto& entry : parts_->registrations) {
    if (Matches(Dom(child), entry.tag, entry.namespaceURI.empty() ? own : entry.namespaceURI)) return entry.factory;
  }
  return &MakeWrapper<TXMLNode>;
}

std::shared_ptr<TXMLNode> TXMLNode::wrap(OpaqueDomNode* child) {
  return wrapperClassFor(child)(NodeInit{child, document_, this});
}

std::shared_ptr<TXMLNode> TXMLNode::createChildElement(std::u16string_view name) {
  std::u16string nodeName(name);
  std::u16string namespaceURI;
  auto colon = name.find(u':');
  if (colon != std::u16string_view::npos) {
    std::u16string declaration = u"xmlns:" + std::u16string(name.substr(0, colon));
    for (xml::DOMNode* at = dom(); at && at->getNodeType() == xml::DOMNode::ELEMENT_NODE; at = at->getParentNode()) {
      auto* element = static_cast<xml::DOMElement*>(at);
      if (element->getAttributeNode(declaration.c_str())) {
        namespaceURI = Str(element->getAttribute(declaration.c_str()));
        break;
      }
    }
  } else {
    std::u16string prefix = Prefix();
    if (!prefix.empty()) nodeName = prefix + u":" + nodeName;
    namespaceURI = NamespaceURI();
  }
  xml::DOMDocument* owner = OwnerOf(dom());
  xml::DOMElement* created = GuardDom([&] {
    return namespaceURI.empty() ? owner->createElement(nodeName.c_str())
                                : owner->createElementNS(namespaceURI.c_str(), nodeName.c_str());
  });
  return insertChild(Opaque(created), -1);
}

std::shared_ptr<TXMLNode> TXMLNode::createAttribute(std::u16string_view name) {
  auto* element = static_cast<xml::DOMElement*>(dom());
  xml::DOMAttr* attribute = GuardDom([&] { return OwnerOf(dom())->createAttribute(std::u16string(name).c_str()); });
  // The list is kept (only WriteAttribute rebuilds it), so earlier lookups keep their wrappers.
  TXMLNodeList& attributes = parts().attributes;
  attributes.ensureBuilt();
  element->setAttributeNode(attribute);
  auto wrapper = std::make_shared<TXMLNode>(NodeInit{Opaque(attribute), document_, nullptr});
  attributes.slots_.push_back({Opaque(attribute), wrapper});
  return wrapper;
}

std::shared_ptr<TXMLNode> TXMLNode::insertChild(OpaqueDomNode* node, int position) {
  TXMLNodeList& list = children();
  int count = list.Count();
  if (position < -1 || position > count) throw EListError(position);
  bool append = position == -1 || position == count;
  GuardDom([&] {
    return append ? dom()->appendChild(Dom(node)) : dom()->insertBefore(Dom(node), Dom(list.slots_[position].dom));
  });
  auto wrapper = wrap(node);
  int index = append ? count : position;
  list.slots_.insert(list.slots_.begin() + index, {node, wrapper});
  for (TXMLNodeCollection* observer : parts_->observers) observer->childInserted(index);
  return wrapper;
}

void TXMLNode::removeChild(const TXMLNode* child) {
  TXMLNodeList& list = children();
  int index = list.indexOf(child);
  if (index < 0) return;
  dom()->removeChild(child->dom());
  auto keep = list.slots_[index].wrapper;
  list.slots_.erase(list.slots_.begin() + index);
  for (TXMLNodeCollection* observer : parts_->observers) observer->childRemoved(child);
}

void TXMLNode::childrenInvalidated() {
  if (!parts_) return;
  parts_->children.invalidate();
  for (TXMLNodeCollection* observer : parts_->observers) observer->childrenInvalidated();
}

void TXMLNode::hostList(std::unique_ptr<TXMLNodeCollection> list) {
  parts().observers.push_back(list.get());
  parts().hostedLists.push_back(std::move(list));
}

// Property patterns.

std::u16string TXMLNode::TextProperty(std::u16string_view name) { return ChildList()->NodeByName(name)->ReadText(); }

void TXMLNode::SetTextProperty(std::u16string_view name, std::u16string_view value) {
  ChildList()->NodeByName(name)->WriteText(value);
}

std::u16string TXMLNode::AttributeProperty(std::u16string_view name) {
  return AttributeList()->NodeByName(name)->ReadText();
}

void TXMLNode::SetAttributeProperty(std::u16string_view name, std::u16string_view value) {
  WriteAttribute(name, value);
}
