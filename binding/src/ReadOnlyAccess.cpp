// Generic reading of elements the bound classes leave alone.

#include "XMLDoc.h"

std::u16string TextContent(const IXMLNode& element) {
  std::u16string text;
  if (!element) return text;
  IXMLNodeList children = element->ChildList();
  for (int i = 0, count = children->Count(); i < count; ++i) {
    IXMLNode child = children->NodeAt(i);
    if (child->NodeType() == TNodeType::ntText || child->NodeType() == TNodeType::ntCData) text += child->ReadText();
  }
  return text;
}

std::u16string ChildTextContent(const IXMLNode& parent, std::u16string_view name) {
  return parent ? TextContent(parent->ChildList()->FindNode(name)) : std::u16string();
}

std::vector<IXMLNode> ChildElementsNamed(const IXMLNode& parent, std::u16string_view name) {
  std::vector<IXMLNode> found;
  IXMLNodeList children = parent->ChildList();
  for (int i = 0, count = children->Count(); i < count; ++i) {
    IXMLNode child = children->NodeAt(i);
    if (child->NodeType() == TNodeType::ntElement && child->LocalName() == name) found.push_back(child);
  }
  return found;
}
