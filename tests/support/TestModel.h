#pragma once

// Small bound classes, written the way the document models are, to exercise the foundation.

#include "TestFiles.h"
#include "XmlTestSupport.h"
#include "XMLDoc.h"

inline constexpr char16_t kTestNamespace[] = u"urn:test";

class TTestItem : public TXMLNode {
 public:
  explicit TTestItem(const NodeInit& init) : TXMLNode(init) {}
  std::u16string name() { return TextProperty(u"name"); }
  void set_name(std::u16string_view value) { SetTextProperty(u"name", value); }
};

using TTestItemList = TXMLItemList<TTestItem>;

class TTestChild : public TXMLNode {
 public:
  explicit TTestChild(const NodeInit& init) : TXMLNode(init) {}
  std::u16string value() { return TextProperty(u"value"); }
};

// A collection element whose items are its own "entry" children.
class TTestBag : public TXMLNodeCollection {
 public:
  explicit TTestBag(const NodeInit& init) : TXMLNodeCollection(init) {
    RegisterChildClass<TTestItem>(u"entry");
    SetItemTag(u"entry");
    SetItemInterface<TTestItem>();
  }
  Ref<TTestItem> entry(int index) { return TypedItemAt<TTestItem>(index); }
  Ref<TTestItem> Add() { return TypedNewItem<TTestItem>(-1); }
};

class TTestRoot : public TXMLNode {
 public:
  explicit TTestRoot(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TTestChild>(u"child");
    RegisterChildClass<TTestItem>(u"item");
    RegisterChildClass<TTestBag>(u"bag");
    items_ = HostCollection<TTestItemList>(u"item");
    notes_ = HostCollection<TXMLTextList>(u"note");
  }
  std::u16string id() { return AttributeProperty(u"id"); }
  std::u16string title() { return TextProperty(u"title"); }
  Ref<TTestChild> child() { return ComplexProperty<TTestChild>(u"child"); }
  Ref<TTestItemList> item() { return CollectionProperty(items_); }
  Ref<TXMLTextList> note() { return CollectionProperty(notes_); }
  Ref<TTestBag> bag() { return ComplexProperty<TTestBag>(u"bag"); }
  void set_id(std::u16string_view value) { SetAttributeProperty(u"id", value); }
  void set_title(std::u16string_view value) { SetTextProperty(u"title", value); }

 private:
  TTestItemList* items_;
  TXMLTextList* notes_;
};

// Loads XML text through a file and binds its root to TTestRoot.
inline Ref<TTestRoot> LoadTestRoot(const std::string& xml, std::u16string_view namespaceURI = kTestNamespace) {
  TempDir dir;
  auto file = dir.Write("doc.xml", xml);
  IXMLDocument document = LoadDocumentFile(FromUtf8(file.string()));
  return intf_cast<TTestRoot>(BindRoot<TTestRoot>(document, u"root", namespaceURI));
}
