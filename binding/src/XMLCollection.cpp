// Collections of repeated child elements.

#include "XMLDoc.h"
#include "XercesSupport.h"

using namespace binding_detail;

namespace {

std::u16string_view LocalPart(std::u16string_view nodeName) {
  auto colon = nodeName.find(u':');
  return colon == std::u16string_view::npos ? nodeName : nodeName.substr(colon + 1);
}

bool TagListHas(std::u16string_view tags, std::u16string_view name) {
  while (true) {
    auto separator = tags.find(u';');
    if (tags.substr(0, separator) == name) return true;
    if (separator == std::u16string_view::npos) return false;
    tags.remove_prefix(separator + 1);
  }
}

}  // namespace

TXMLNodeCollection::TXMLNodeCollection(const NodeInit& init) : TXMLNode(init) {
  // A collection element is informed of changes to its own children.
  addObserver(this);
  itemNamespaceURI_ = NamespaceURI();
}

bool TXMLNodeCollection::isItemAt(TXMLNodeList& children, int index) const {
  const xml::DOMNode* node = Dom(children.slots_[index].dom);
  if (node->getNodeType() != xml::DOMNode::ELEMENT_NODE) return false;
  return TagListHas(itemTag_, LocalPart(View(node->getNodeName()))) && itemInterface_(children.wrapperAt(index).get());
}

void TXMLNodeCollection::ensureItems() {
  TXMLNodeList& children = element().children();
  int count = children.Count();
  if (itemsBuilt_) return;
  items_.clear();
  for (int i = 0; i < count; ++i) {
    if (isItemAt(children, i)) items_.push_back(children.slots_[i].wrapper.get());
  }
  itemsBuilt_ = true;
}

void TXMLNodeCollection::childInserted(int childIndex) {
  if (!itemsBuilt_) return;
  TXMLNodeList& children = element().children();
  if (!isItemAt(children, childIndex)) return;
  TXMLNode* inserted = children.slots_[childIndex].wrapper.get();
  // Document order: before the first item that follows it among the children.
  for (int i = childIndex + 1; i < children.Count(); ++i) {
    if (!isItemAt(children, i)) continue;
    for (size_t k = 0; k < items_.size(); ++k) {
      if (items_[k] == children.slots_[i].wrapper.get()) {
        items_.insert(items_.begin() + k, inserted);
        return;
      }
    }
  }
  items_.push_back(inserted);
}

void TXMLNodeCollection::childRemoved(const TXMLNode* child) {
  if (!itemsBuilt_) return;
  std::erase(items_, child);
}

int TXMLNodeCollection::ItemCount() {
  ensureItems();
  return static_cast<int>(items_.size());
}

IXMLNode TXMLNodeCollection::ItemAt(int index) {
  ensureItems();
  if (index < 0 || index >= static_cast<int>(items_.size())) throw EListError(index);
  return HandleTo(items_[index]->shared_from_this());
}

int TXMLNodeCollection::RemoveItem(const IXMLNode& item) {
  ensureItems();
  int position = -1;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == item.get()) position = static_cast<int>(i);
  }
  if (position >= 0) element().removeChild(item.get());
  return position;
}

void TXMLNodeCollection::DeleteItem(int index) { RemoveItem(ItemAt(index)); }

void TXMLNodeCollection::ClearItems() {
  while (ItemCount() > 0) DeleteItem(0);
}

// The node name of a new item: prefixed by the declaration of the item namespace in scope.
std::u16string TXMLNodeCollection::newItemNodeName(std::u16string& declarationPrefix, bool& declared) {
  std::u16string tag = itemTag_.substr(0, itemTag_.find(u';'));
  declared = false;
  for (xml::DOMNode* at = element().dom(); at && at->getNodeType() == xml::DOMNode::ELEMENT_NODE && !declared;
       at = at->getParentNode()) {
    xml::DOMNamedNodeMap* attributes = at->getAttributes();
    for (XMLSize_t i = 0, n = attributes->getLength(); i < n && !declared; ++i) {
      xml::DOMNode* attribute = attributes->item(i);
      std::u16string name = Str(attribute->getNodeName());
      bool isDeclaration = name == u"xmlns" || name.rfind(u"xmlns:", 0) == 0;
      if (isDeclaration && EqualsIgnoringAsciiCase(Str(attribute->getNodeValue()), itemNamespaceURI_)) {
        declared = true;
        declarationPrefix = name == u"xmlns" ? std::u16string() : name.substr(6);
      }
    }
  }
  bool autoPrefix = (OwnerDocument().Options() & doAutoPrefix) != 0;
  if (declared && autoPrefix && tag.find(u':') == std::u16string::npos && !declarationPrefix.empty()) {
    return declarationPrefix + u":" + tag;
  }
  return tag;
}

IXMLNode TXMLNodeCollection::NewItem(int position) {
  if (itemTag_.empty()) throw EXMLDocError(kItemTagMessage);
  TXMLNode& owner = element();
  int count = owner.children().Count();
  if (position < -1 || position > count) throw EListError(position);

  std::u16string prefix;
  bool declared = false;
  std::u16string nodeName = newItemNodeName(prefix, declared);
  xml::DOMDocument* document = owner.dom()->getOwnerDocument();
  xml::DOMElement* created = GuardDom([&] {
    xml::DOMElement* element = itemNamespaceURI_.empty()
                                   ? document->createElement(nodeName.c_str())
                                   : document->createElementNS(itemNamespaceURI_.c_str(), nodeName.c_str());
    bool declare = !declared && !itemNamespaceURI_.empty() && (OwnerDocument().Options() & doNamespaceDecl) != 0;
    if (declare) {
      auto colon = nodeName.find(u':');
      std::u16string attribute = colon == std::u16string::npos ? u"xmlns" : u"xmlns:" + nodeName.substr(0, colon);
      element->setAttributeNS(kXmlnsNamespace, attribute.c_str(), itemNamespaceURI_.c_str());
    }
    return element;
  });
  return HandleTo(owner.insertChild(Opaque(created), position));
}

// --- text lists ---

IXMLNode TXMLTextList::Add(std::u16string_view text) { return Insert(-1, text); }

IXMLNode TXMLTextList::Insert(int index, std::u16string_view text) {
  IXMLNode item = NewItem(index);
  item->WriteText(text);
  return item;
}

std::u16string TXMLTextList::Item(int index) {
  std::optional<std::u16string> value = ItemAt(index)->ReadValue();
  if (!value) throw EVariantTypeCastError("Null", "OleStr");
  return *value;
}
