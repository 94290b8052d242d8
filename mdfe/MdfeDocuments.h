#pragma once

// The modal block and the fiscal documents carried, by unloading municipality,
// with their transport units, cargo units, seals and dangerous goods.

#include "XMLDoc.h"

// The modal-specific content ("rodo") has no class here: the road block has a model of its own.
class TXMLInfModal : public TXMLNode {
 public:
  explicit TXMLInfModal(const NodeInit& init) : TXMLNode(init) {}
  std::u16string versaoModal() { return AttributeProperty(u"versaoModal"); }
  void set_versaoModal(std::u16string_view v) { SetAttributeProperty(u"versaoModal", v); }
};
using IXMLInfModal = Ref<TXMLInfModal>;

class TXMLLacUnidCarga : public TXMLNode {
 public:
  explicit TXMLLacUnidCarga(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nLacre() { return TextProperty(u"nLacre"); }
  void set_nLacre(std::u16string_view v) { SetTextProperty(u"nLacre", v); }
};
using IXMLLacUnidCarga = Ref<TXMLLacUnidCarga>;
using TXMLLacUnidCargaList = TXMLItemList<TXMLLacUnidCarga>;
using IXMLLacUnidCargaList = Ref<TXMLLacUnidCargaList>;

// Binds "infUnidCarga"; the class carries the schema's type name.
class TXMLTUnidCarga : public TXMLNode {
 public:
  explicit TXMLTUnidCarga(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLLacUnidCarga>(u"lacUnidCarga");
  }
  std::u16string tpUnidCarga() { return TextProperty(u"tpUnidCarga"); }
  std::u16string idUnidCarga() { return TextProperty(u"idUnidCarga"); }
  IXMLLacUnidCargaList lacUnidCarga() { return CollectionProperty(lacUnidCarga_); }
  std::u16string qtdRat() { return TextProperty(u"qtdRat"); }
  void set_tpUnidCarga(std::u16string_view v) { SetTextProperty(u"tpUnidCarga", v); }
  void set_idUnidCarga(std::u16string_view v) { SetTextProperty(u"idUnidCarga", v); }
  void set_qtdRat(std::u16string_view v) { SetTextProperty(u"qtdRat", v); }

 private:
  THostedList<TXMLLacUnidCargaList> lacUnidCarga_{u"lacUnidCarga"};
};
using IXMLTUnidCarga = Ref<TXMLTUnidCarga>;
using TXMLTUnidCargaList = TXMLItemList<TXMLTUnidCarga>;
using IXMLTUnidCargaList = Ref<TXMLTUnidCargaList>;

class TXMLLacUnidTransp : public TXMLNode {
 public:
  explicit TXMLLacUnidTransp(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nLacre() { return TextProperty(u"nLacre"); }
  void set_nLacre(std::u16string_view v) { SetTextProperty(u"nLacre", v); }
};
using IXMLLacUnidTransp = Ref<TXMLLacUnidTransp>;
using TXMLLacUnidTranspList = TXMLItemList<TXMLLacUnidTransp>;
using IXMLLacUnidTranspList = Ref<TXMLLacUnidTranspList>;

// Binds "infUnidTransp"; the class carries the schema's type name.
class TXMLTUnidadeTransp : public TXMLNode {
 public:
  explicit TXMLTUnidadeTransp(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLLacUnidTransp>(u"lacUnidTransp");
    RegisterChildClass<TXMLTUnidCarga>(u"infUnidCarga");
  }
  std::u16string tpUnidTransp() { return TextProperty(u"tpUnidTransp"); }
  std::u16string idUnidTransp() { return TextProperty(u"idUnidTransp"); }
  IXMLLacUnidTranspList lacUnidTransp() { return CollectionProperty(lacUnidTransp_); }
  IXMLTUnidCargaList infUnidCarga() { return CollectionProperty(infUnidCarga_); }
  std::u16string qtdRat() { return TextProperty(u"qtdRat"); }
  void set_tpUnidTransp(std::u16string_view v) { SetTextProperty(u"tpUnidTransp", v); }
  void set_idUnidTransp(std::u16string_view v) { SetTextProperty(u"idUnidTransp", v); }
  void set_qtdRat(std::u16string_view v) { SetTextProperty(u"qtdRat", v); }

 private:
  THostedList<TXMLLacUnidTranspList> lacUnidTransp_{u"lacUnidTransp"};
  THostedList<TXMLTUnidCargaList> infUnidCarga_{u"infUnidCarga"};
};
using IXMLTUnidadeTransp = Ref<TXMLTUnidadeTransp>;
using TXMLTUnidadeTranspList = TXMLItemList<TXMLTUnidadeTransp>;
using IXMLTUnidadeTranspList = Ref<TXMLTUnidadeTranspList>;

class TXMLPeri : public TXMLNode {
 public:
  explicit TXMLPeri(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nONU() { return TextProperty(u"nONU"); }
  std::u16string xNomeAE() { return TextProperty(u"xNomeAE"); }
  std::u16string xClaRisco() { return TextProperty(u"xClaRisco"); }
  std::u16string grEmb() { return TextProperty(u"grEmb"); }
  std::u16string qTotProd() { return TextProperty(u"qTotProd"); }
  std::u16string qVolTipo() { return TextProperty(u"qVolTipo"); }
  void set_nONU(std::u16string_view v) { SetTextProperty(u"nONU", v); }
  void set_xNomeAE(std::u16string_view v) { SetTextProperty(u"xNomeAE", v); }
  void set_xClaRisco(std::u16string_view v) { SetTextProperty(u"xClaRisco", v); }
  void set_grEmb(std::u16string_view v) { SetTextProperty(u"grEmb", v); }
  void set_qTotProd(std::u16string_view v) { SetTextProperty(u"qTotProd", v); }
  void set_qVolTipo(std::u16string_view v) { SetTextProperty(u"qVolTipo", v); }
};
using IXMLPeri = Ref<TXMLPeri>;
using TXMLPeriList = TXMLItemList<TXMLPeri>;
using IXMLPeriList = Ref<TXMLPeriList>;

// Transport units and dangerous goods are bound alike under a CT-e, an NF-e and an
// MDF-e: BindUnitsAndGoods makes the two registrations and gives the two lists.
struct TXMLUnitsAndGoods {
  THostedList<TXMLTUnidadeTranspList> infUnidTransp{u"infUnidTransp"};
  THostedList<TXMLPeriList> peri{u"peri"};
};
TXMLUnitsAndGoods BindUnitsAndGoods(TXMLNode& parent);

class TXMLInfCTe : public TXMLNode {
 public:
  explicit TXMLInfCTe(const NodeInit& init) : TXMLNode(init), lists_(BindUnitsAndGoods(*this)) {}
  std::u16string chCTe() { return TextProperty(u"chCTe"); }
  std::u16string SegCodBarra() { return TextProperty(u"SegCodBarra"); }
  std::u16string indReentrega() { return TextProperty(u"indReentrega"); }
  IXMLTUnidadeTranspList infUnidTransp() { return CollectionProperty(lists_.infUnidTransp); }
  IXMLPeriList peri() { return CollectionProperty(lists_.peri); }
  void set_chCTe(std::u16string_view v) { SetTextProperty(u"chCTe", v); }
  void set_SegCodBarra(std::u16string_view v) { SetTextProperty(u"SegCodBarra", v); }
  void set_indReentrega(std::u16string_view v) { SetTextProperty(u"indReentrega", v); }

 private:
  TXMLUnitsAndGoods lists_;
};
using IXMLInfCTe = Ref<TXMLInfCTe>;
using TXMLInfCTeList = TXMLItemList<TXMLInfCTe>;
using IXMLInfCTeList = Ref<TXMLInfCTeList>;

class TXMLInfNFe : public TXMLNode {
 public:
  explicit TXMLInfNFe(const NodeInit& init) : TXMLNode(init), lists_(BindUnitsAndGoods(*this)) {}
  std::u16string chNFe() { return TextProperty(u"chNFe"); }
  std::u16string SegCodBarra() { return TextProperty(u"SegCodBarra"); }
  std::u16string indReentrega() { return TextProperty(u"indReentrega"); }
  IXMLTUnidadeTranspList infUnidTransp() { return CollectionProperty(lists_.infUnidTransp); }
  IXMLPeriList peri() { return CollectionProperty(lists_.peri); }
  void set_chNFe(std::u16string_view v) { SetTextProperty(u"chNFe", v); }
  void set_SegCodBarra(std::u16string_view v) { SetTextProperty(u"SegCodBarra", v); }
  void set_indReentrega(std::u16string_view v) { SetTextProperty(u"indReentrega", v); }

 private:
  TXMLUnitsAndGoods lists_;
};
using IXMLInfNFe = Ref<TXMLInfNFe>;
using TXMLInfNFeList = TXMLItemList<TXMLInfNFe>;
using IXMLInfNFeList = Ref<TXMLInfNFeList>;

// No "SegCodBarra" here, unlike the CT-e and the NF-e.
class TXMLInfMDFeTransp : public TXMLNode {
 public:
  explicit TXMLInfMDFeTransp(const NodeInit& init) : TXMLNode(init), lists_(BindUnitsAndGoods(*this)) {}
  std::u16string chMDFe() { return TextProperty(u"chMDFe"); }
  std::u16string indReentrega() { return TextProperty(u"indReentrega"); }
  IXMLTUnidadeTranspList infUnidTransp() { return CollectionProperty(lists_.infUnidTransp); }
  IXMLPeriList peri() { return CollectionProperty(lists_.peri); }
  void set_chMDFe(std::u16string_view v) { SetTextProperty(u"chMDFe", v); }
  void set_indReentrega(std::u16string_view v) { SetTextProperty(u"indReentrega", v); }

 private:
  TXMLUnitsAndGoods lists_;
};
using IXMLInfMDFeTransp = Ref<TXMLInfMDFeTransp>;
using TXMLInfMDFeTranspList = TXMLItemList<TXMLInfMDFeTransp>;
using IXMLInfMDFeTranspList = Ref<TXMLInfMDFeTranspList>;

class TXMLInfMunDescarga : public TXMLNode {
 public:
  explicit TXMLInfMunDescarga(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfCTe>(u"infCTe");
    RegisterChildClass<TXMLInfNFe>(u"infNFe");
    RegisterChildClass<TXMLInfMDFeTransp>(u"infMDFeTransp");
  }
  std::u16string cMunDescarga() { return TextProperty(u"cMunDescarga"); }
  std::u16string xMunDescarga() { return TextProperty(u"xMunDescarga"); }
  IXMLInfCTeList infCTe() { return CollectionProperty(infCTe_); }
  IXMLInfNFeList infNFe() { return CollectionProperty(infNFe_); }
  IXMLInfMDFeTranspList infMDFeTransp() { return CollectionProperty(infMDFeTransp_); }
  void set_cMunDescarga(std::u16string_view v) { SetTextProperty(u"cMunDescarga", v); }
  void set_xMunDescarga(std::u16string_view v) { SetTextProperty(u"xMunDescarga", v); }

 private:
  THostedList<TXMLInfCTeList> infCTe_{u"infCTe"};
  THostedList<TXMLInfNFeList> infNFe_{u"infNFe"};
  THostedList<TXMLInfMDFeTranspList> infMDFeTransp_{u"infMDFeTransp"};
};
using IXMLInfMunDescarga = Ref<TXMLInfMunDescarga>;
using TXMLInfMunDescargaList = TXMLItemList<TXMLInfMunDescarga>;
using IXMLInfMunDescargaList = Ref<TXMLInfMunDescargaList>;

class TXMLInfDoc : public TXMLNode {
 public:
  explicit TXMLInfDoc(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfMunDescarga>(u"infMunDescarga");
  }
  IXMLInfMunDescargaList infMunDescarga() { return CollectionProperty(infMunDescarga_); }

 private:
  THostedList<TXMLInfMunDescargaList> infMunDescarga_{u"infMunDescarga"};
};
using IXMLInfDoc = Ref<TXMLInfDoc>;
