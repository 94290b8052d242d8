#pragma once

// The water modal document model: the "aquav" block of an MDF-e 3.00, loaded as a
// document of its own whose document element is "aquav".

#include <string>

#include "XMLDoc.h"

class TXMLInfTermCarreg : public TXMLNode {
 public:
  explicit TXMLInfTermCarreg(const NodeInit& init) : TXMLNode(init) {}
  std::u16string cTermCarreg() { return TextProperty(u"cTermCarreg"); }
  std::u16string xTermCarreg() { return TextProperty(u"xTermCarreg"); }
  void set_cTermCarreg(std::u16string_view v) { SetTextProperty(u"cTermCarreg", v); }
  void set_xTermCarreg(std::u16string_view v) { SetTextProperty(u"xTermCarreg", v); }
};
using IXMLInfTermCarreg = Ref<TXMLInfTermCarreg>;
using TXMLInfTermCarregList = TXMLItemList<TXMLInfTermCarreg>;
using IXMLInfTermCarregList = Ref<TXMLInfTermCarregList>;

class TXMLInfTermDescarreg : public TXMLNode {
 public:
  explicit TXMLInfTermDescarreg(const NodeInit& init) : TXMLNode(init) {}
  std::u16string cTermDescarreg() { return TextProperty(u"cTermDescarreg"); }
  std::u16string xTermDescarreg() { return TextProperty(u"xTermDescarreg"); }
  void set_cTermDescarreg(std::u16string_view v) { SetTextProperty(u"cTermDescarreg", v); }
  void set_xTermDescarreg(std::u16string_view v) { SetTextProperty(u"xTermDescarreg", v); }
};
using IXMLInfTermDescarreg = Ref<TXMLInfTermDescarreg>;
using TXMLInfTermDescarregList = TXMLItemList<TXMLInfTermDescarreg>;
using IXMLInfTermDescarregList = Ref<TXMLInfTermDescarregList>;

// One barge of the convoy the vessel pushes or tows.
class TXMLInfEmbComb : public TXMLNode {
 public:
  explicit TXMLInfEmbComb(const NodeInit& init) : TXMLNode(init) {}
  std::u16string cEmbComb() { return TextProperty(u"cEmbComb"); }
  std::u16string xBalsa() { return TextProperty(u"xBalsa"); }
  void set_cEmbComb(std::u16string_view v) { SetTextProperty(u"cEmbComb", v); }
  void set_xBalsa(std::u16string_view v) { SetTextProperty(u"xBalsa", v); }
};
using IXMLInfEmbComb = Ref<TXMLInfEmbComb>;
using TXMLInfEmbCombList = TXMLItemList<TXMLInfEmbComb>;
using IXMLInfEmbCombList = Ref<TXMLInfEmbCombList>;

class TXMLInfUnidCargaVazia : public TXMLNode {
 public:
  explicit TXMLInfUnidCargaVazia(const NodeInit& init) : TXMLNode(init) {}
  std::u16string idUnidCargaVazia() { return TextProperty(u"idUnidCargaVazia"); }
  std::u16string tpUnidCargaVazia() { return TextProperty(u"tpUnidCargaVazia"); }
  void set_idUnidCargaVazia(std::u16string_view v) { SetTextProperty(u"idUnidCargaVazia", v); }
  void set_tpUnidCargaVazia(std::u16string_view v) { SetTextProperty(u"tpUnidCargaVazia", v); }
};
using IXMLInfUnidCargaVazia = Ref<TXMLInfUnidCargaVazia>;
using TXMLInfUnidCargaVaziaList = TXMLItemList<TXMLInfUnidCargaVazia>;
using IXMLInfUnidCargaVaziaList = Ref<TXMLInfUnidCargaVaziaList>;

class TXMLInfUnidTranspVazia : public TXMLNode {
 public:
  explicit TXMLInfUnidTranspVazia(const NodeInit& init) : TXMLNode(init) {}
  std::u16string idUnidTranspVazia() { return TextProperty(u"idUnidTranspVazia"); }
  std::u16string tpUnidTranspVazia() { return TextProperty(u"tpUnidTranspVazia"); }
  void set_idUnidTranspVazia(std::u16string_view v) { SetTextProperty(u"idUnidTranspVazia", v); }
  void set_tpUnidTranspVazia(std::u16string_view v) { SetTextProperty(u"tpUnidTranspVazia", v); }
};
using IXMLInfUnidTranspVazia = Ref<TXMLInfUnidTranspVazia>;
using TXMLInfUnidTranspVaziaList = TXMLItemList<TXMLInfUnidTranspVazia>;
using IXMLInfUnidTranspVaziaList = Ref<TXMLInfUnidTranspVaziaList>;

// The vessel, its voyage and ports, the terminals, the convoy and the empty units it carries.
class TXMLAquav : public TXMLNode {
 public:
  explicit TXMLAquav(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfTermCarreg>(u"infTermCarreg");
    RegisterChildClass<TXMLInfTermDescarreg>(u"infTermDescarreg");
    RegisterChildClass<TXMLInfEmbComb>(u"infEmbComb");
    RegisterChildClass<TXMLInfUnidCargaVazia>(u"infUnidCargaVazia");
    RegisterChildClass<TXMLInfUnidTranspVazia>(u"infUnidTranspVazia");
    infTermCarreg_ = HostCollection<TXMLInfTermCarregList>(u"infTermCarreg");
    infTermDescarreg_ = HostCollection<TXMLInfTermDescarregList>(u"infTermDescarreg");
    infEmbComb_ = HostCollection<TXMLInfEmbCombList>(u"infEmbComb");
    infUnidCargaVazia_ = HostCollection<TXMLInfUnidCargaVaziaList>(u"infUnidCargaVazia");
    infUnidTranspVazia_ = HostCollection<TXMLInfUnidTranspVaziaList>(u"infUnidTranspVazia");
  }
  std::u16string irin() { return TextProperty(u"irin"); }
  std::u16string tpEmb() { return TextProperty(u"tpEmb"); }
  std::u16string cEmbar() { return TextProperty(u"cEmbar"); }
  std::u16string xEmbar() { return TextProperty(u"xEmbar"); }
  std::u16string nViag() { return TextProperty(u"nViag"); }
  std::u16string cPrtEmb() { return TextProperty(u"cPrtEmb"); }
  std::u16string cPrtDest() { return TextProperty(u"cPrtDest"); }
  std::u16string prtTrans() { return TextProperty(u"prtTrans"); }
  std::u16string tpNav() { return TextProperty(u"tpNav"); }
  IXMLInfTermCarregList infTermCarreg() { return CollectionProperty(infTermCarreg_); }
  IXMLInfTermDescarregList infTermDescarreg() { return CollectionProperty(infTermDescarreg_); }
  IXMLInfEmbCombList infEmbComb() { return CollectionProperty(infEmbComb_); }
  IXMLInfUnidCargaVaziaList infUnidCargaVazia() { return CollectionProperty(infUnidCargaVazia_); }
  IXMLInfUnidTranspVaziaList infUnidTranspVazia() { return CollectionProperty(infUnidTranspVazia_); }
  std::u16string MMSI() { return TextProperty(u"MMSI"); }
  void set_irin(std::u16string_view v) { SetTextProperty(u"irin", v); }
  void set_tpEmb(std::u16string_view v) { SetTextProperty(u"tpEmb", v); }
  void set_cEmbar(std::u16string_view v) { SetTextProperty(u"cEmbar", v); }
  void set_xEmbar(std::u16string_view v) { SetTextProperty(u"xEmbar", v); }
  void set_nViag(std::u16string_view v) { SetTextProperty(u"nViag", v); }
  void set_cPrtEmb(std::u16string_view v) { SetTextProperty(u"cPrtEmb", v); }
  void set_cPrtDest(std::u16string_view v) { SetTextProperty(u"cPrtDest", v); }
  void set_prtTrans(std::u16string_view v) { SetTextProperty(u"prtTrans", v); }
  void set_tpNav(std::u16string_view v) { SetTextProperty(u"tpNav", v); }
  void set_MMSI(std::u16string_view v) { SetTextProperty(u"MMSI", v); }

 private:
  TXMLInfTermCarregList* infTermCarreg_;
  TXMLInfTermDescarregList* infTermDescarreg_;
  TXMLInfEmbCombList* infEmbComb_;
  TXMLInfUnidCargaVaziaList* infUnidCargaVazia_;
  TXMLInfUnidTranspVaziaList* infUnidTranspVazia_;
};
using IXMLAquav = Ref<TXMLAquav>;

// Loads a water block file and binds its document element "aquav", which must lie in the
// MDF-e namespace itself (EIntfCastError otherwise).
IXMLAquav LoadAquavDocument(const std::u16string& fileName);
// A new document: the XML declaration and an empty "aquav" in the MDF-e namespace.
IXMLAquav NewAquavDocument();
