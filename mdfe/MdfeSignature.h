#pragma once

// The "Signature" block of a manifest. It binds in the namespace of its parent like
// every other child, so a block in the XML Signature namespace is not found.

#include "XMLDoc.h"

class TXMLCanonicalizationMethod : public TXMLNode {
 public:
  explicit TXMLCanonicalizationMethod(const NodeInit& init) : TXMLNode(init) {}
  std::u16string Algorithm() { return AttributeProperty(u"Algorithm"); }
  void set_Algorithm(std::u16string_view v) { SetAttributeProperty(u"Algorithm", v); }
};
using IXMLCanonicalizationMethod = Ref<TXMLCanonicalizationMethod>;

class TXMLSignatureMethod : public TXMLNode {
 public:
  explicit TXMLSignatureMethod(const NodeInit& init) : TXMLNode(init) {}
  std::u16string Algorithm() { return AttributeProperty(u"Algorithm"); }
  void set_Algorithm(std::u16string_view v) { SetAttributeProperty(u"Algorithm", v); }
};
using IXMLSignatureMethod = Ref<TXMLSignatureMethod>;

class TXMLDigestMethod : public TXMLNode {
 public:
  explicit TXMLDigestMethod(const NodeInit& init) : TXMLNode(init) {}
  std::u16string Algorithm() { return AttributeProperty(u"Algorithm"); }
  void set_Algorithm(std::u16string_view v) { SetAttributeProperty(u"Algorithm", v); }
};
using IXMLDigestMethod = Ref<TXMLDigestMethod>;

// "Transform" is itself the collection of its "XPath" texts.
class TXMLTransformType : public TXMLTextList {
 public:
  explicit TXMLTransformType(const NodeInit& init) : TXMLTextList(init) {
    SetItemTag(u"XPath");
    SetItemInterface<TXMLNode>();
  }
  std::u16string Algorithm() { return AttributeProperty(u"Algorithm"); }
  // ReadText, not the text list's ReadValue: an empty "XPath" reads as empty text.
  std::u16string XPath(int index) { return ItemAt(index)->ReadText(); }
  void set_Algorithm(std::u16string_view v) { SetAttributeProperty(u"Algorithm", v); }
  using TXMLTextList::Add;
  using TXMLTextList::Insert;

 private:
  using TXMLTextList::Item;
};
using IXMLTransformType = Ref<TXMLTransformType>;

// "Transforms" is itself the collection of its "Transform" children.
class TXMLTransformsType : public TXMLNodeCollection {
 public:
  explicit TXMLTransformsType(const NodeInit& init) : TXMLNodeCollection(init) {
    RegisterChildClass<TXMLTransformType>(u"Transform");
    SetItemTag(u"Transform");
    SetItemInterface<TXMLTransformType>();
  }
  IXMLTransformType Transform(int index) { return TypedItemAt<TXMLTransformType>(index); }
  IXMLTransformType Add() { return TypedNewItem<TXMLTransformType>(-1); }
  IXMLTransformType Insert(int index) { return TypedNewItem<TXMLTransformType>(index); }
};
using IXMLTransformsType = Ref<TXMLTransformsType>;

class TXMLReferenceType : public TXMLNode {
 public:
  explicit TXMLReferenceType(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLTransformsType>(u"Transforms");
    RegisterChildClass<TXMLDigestMethod>(u"DigestMethod");
  }
  std::u16string Id() { return AttributeProperty(u"Id"); }
  std::u16string URI() { return AttributeProperty(u"URI"); }
  std::u16string Type() { return AttributeProperty(u"Type"); }
  IXMLTransformsType Transforms() { return ComplexProperty<TXMLTransformsType>(u"Transforms"); }
  IXMLDigestMethod DigestMethod() { return ComplexProperty<TXMLDigestMethod>(u"DigestMethod"); }
  std::u16string DigestValue() { return TextProperty(u"DigestValue"); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }
  void set_URI(std::u16string_view v) { SetAttributeProperty(u"URI", v); }
  void set_Type(std::u16string_view v) { SetAttributeProperty(u"Type", v); }
  void set_DigestValue(std::u16string_view v) { SetTextProperty(u"DigestValue", v); }
};
using IXMLReferenceType = Ref<TXMLReferenceType>;

class TXMLSignedInfoType : public TXMLNode {
 public:
  explicit TXMLSignedInfoType(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLCanonicalizationMethod>(u"CanonicalizationMethod");
    RegisterChildClass<TXMLSignatureMethod>(u"SignatureMethod");
    RegisterChildClass<TXMLReferenceType>(u"Reference");
  }
  std::u16string Id() { return AttributeProperty(u"Id"); }
  IXMLCanonicalizationMethod CanonicalizationMethod() {
    return ComplexProperty<TXMLCanonicalizationMethod>(u"CanonicalizationMethod");
  }
  IXMLSignatureMethod SignatureMethod() { return ComplexProperty<TXMLSignatureMethod>(u"SignatureMethod"); }
  IXMLReferenceType Reference() { return ComplexProperty<TXMLReferenceType>(u"Reference"); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }
};
using IXMLSignedInfoType = Ref<TXMLSignedInfoType>;

// The signature value is the element's own text (ReadText / WriteText).
class TXMLSignatureValueType : public TXMLNode {
 public:
  explicit TXMLSignatureValueType(const NodeInit& init) : TXMLNode(init) {}
  std::u16string Id() { return AttributeProperty(u"Id"); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }
};
using IXMLSignatureValueType = Ref<TXMLSignatureValueType>;

class TXMLX509DataType : public TXMLNode {
 public:
  explicit TXMLX509DataType(const NodeInit& init) : TXMLNode(init) {}
  std::u16string X509Certificate() { return TextProperty(u"X509Certificate"); }
  void set_X509Certificate(std::u16string_view v) { SetTextProperty(u"X509Certificate", v); }
};
using IXMLX509DataType = Ref<TXMLX509DataType>;

class TXMLKeyInfoType : public TXMLNode {
 public:
  explicit TXMLKeyInfoType(const NodeInit& init) : TXMLNode(init) { RegisterChildClass<TXMLX509DataType>(u"X509Data"); }
  std::u16string Id() { return AttributeProperty(u"Id"); }
  IXMLX509DataType X509Data() { return ComplexProperty<TXMLX509DataType>(u"X509Data"); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }
};
using IXMLKeyInfoType = Ref<TXMLKeyInfoType>;

class TXMLSignatureType : public TXMLNode {
 public:
  explicit TXMLSignatureType(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLSignedInfoType>(u"SignedInfo");
    RegisterChildClass<TXMLSignatureValueType>(u"SignatureValue");
    RegisterChildClass<TXMLKeyInfoType>(u"KeyInfo");
  }
  std::u16string Id() { return AttributeProperty(u"Id"); }
  IXMLSignedInfoType SignedInfo() { return ComplexProperty<TXMLSignedInfoType>(u"SignedInfo"); }
  IXMLSignatureValueType SignatureValue() { return ComplexProperty<TXMLSignatureValueType>(u"SignatureValue"); }
  IXMLKeyInfoType KeyInfo() { return ComplexProperty<TXMLKeyInfoType>(u"KeyInfo"); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }
};
using IXMLSignatureType = Ref<TXMLSignatureType>;
