#pragma once

// The rail modal document model: the "ferrov" block of an MDF-e 3.00, loaded as a
// document of its own whose document element is "ferrov".

#include <string>

#include "XMLDoc.h"

// The train's composition: its prefix, release at the origin and the stations it runs between.
class TXMLTrem : public TXMLNode {
 public:
  explicit TXMLTrem(const NodeInit& init) : TXMLNode(init) {}
  std::u16string xPref() { return TextProperty(u"xPref"); }
  std::u16string dhTrem() { return TextProperty(u"dhTrem"); }
  std::u16string xOri() { return TextProperty(u"xOri"); }
  std::u16string xDest() { return TextProperty(u"xDest"); }
  std::u16string qVag() { return TextProperty(u"qVag"); }
  void set_xPref(std::u16string_view v) { SetTextProperty(u"xPref", v); }
  void set_dhTrem(std::u16string_view v) { SetTextProperty(u"dhTrem", v); }
  void set_xOri(std::u16string_view v) { SetTextProperty(u"xOri", v); }
  void set_xDest(std::u16string_view v) { SetTextProperty(u"xDest", v); }
  void set_qVag(std::u16string_view v) { SetTextProperty(u"qVag", v); }
};
using IXMLTrem = Ref<TXMLTrem>;

// One loaded wagon; weights in tonnes.
class TXMLVag : public TXMLNode {
 public:
  explicit TXMLVag(const NodeInit& init) : TXMLNode(init) {}
  std::u16string pesoBC() { return TextProperty(u"pesoBC"); }
  std::u16string pesoR() { return TextProperty(u"pesoR"); }
  std::u16string tpVag() { return TextProperty(u"tpVag"); }
  std::u16string serie() { return TextProperty(u"serie"); }
  std::u16string nVag() { return TextProperty(u"nVag"); }
  std::u16string nSeq() { return TextProperty(u"nSeq"); }
  std::u16string TU() { return TextProperty(u"TU"); }
  void set_pesoBC(std::u16string_view v) { SetTextProperty(u"pesoBC", v); }
  void set_pesoR(std::u16string_view v) { SetTextProperty(u"pesoR", v); }
  void set_tpVag(std::u16string_view v) { SetTextProperty(u"tpVag", v); }
  void set_serie(std::u16string_view v) { SetTextProperty(u"serie", v); }
  void set_nVag(std::u16string_view v) { SetTextProperty(u"nVag", v); }
  void set_nSeq(std::u16string_view v) { SetTextProperty(u"nSeq", v); }
  void set_TU(std::u16string_view v) { SetTextProperty(u"TU", v); }
};
using IXMLVag = Ref<TXMLVag>;
using TXMLVagList = TXMLItemList<TXMLVag>;
using IXMLVagList = Ref<TXMLVagList>;

class TXMLFerrov : public TXMLNode {
 public:
  explicit TXMLFerrov(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLTrem>(u"trem");
    RegisterChildClass<TXMLVag>(u"vag");
    vag_ = HostCollection<TXMLVagList>(u"vag");
  }
  IXMLTrem trem() { return ComplexProperty<TXMLTrem>(u"trem"); }
  IXMLVagList vag() { return CollectionProperty(vag_); }

 private:
  TXMLVagList* vag_;
};
using IXMLFerrov = Ref<TXMLFerrov>;

// Loads a rail block file and binds its document element "ferrov", which must lie in the
// MDF-e namespace itself (EIntfCastError otherwise).
IXMLFerrov LoadFerrovDocument(const std::u16string& fileName);
// A new document: the XML declaration and an empty "ferrov" in the MDF-e namespace.
IXMLFerrov NewFerrovDocument();
