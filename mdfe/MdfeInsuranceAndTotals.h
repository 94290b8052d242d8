#pragma once

// Cargo insurance, totals, the manifest's seals, the party authorised to obtain
// the XML and the additional information.

#include "XMLDoc.h"

class TXMLInfResp : public TXMLNode {
 public:
  explicit TXMLInfResp(const NodeInit& init) : TXMLNode(init) {}
  std::u16string respSeg() { return TextProperty(u"respSeg"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  std::u16string CPF() { return TextProperty(u"CPF"); }
  void set_respSeg(std::u16string_view v) { SetTextProperty(u"respSeg", v); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
};
using IXMLInfResp = Ref<TXMLInfResp>;

class TXMLInfSeg : public TXMLNode {
 public:
  explicit TXMLInfSeg(const NodeInit& init) : TXMLNode(init) {}
  std::u16string xSeg() { return TextProperty(u"xSeg"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  void set_xSeg(std::u16string_view v) { SetTextProperty(u"xSeg", v); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
};
using IXMLInfSeg = Ref<TXMLInfSeg>;

// The "nAver" children of "seg" as text values; an empty one fails to read. A class
// of its own, so that no other text list (a "Transform") casts to it.
class TXMLNAverList : public TXMLTextList {
 public:
  using TXMLTextList::TXMLTextList;
};
using IXMLNAverList = Ref<TXMLNAverList>;

class TXMLSeg : public TXMLNode {
 public:
  explicit TXMLSeg(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfResp>(u"infResp");
    RegisterChildClass<TXMLInfSeg>(u"infSeg");
    // Hosted for the element's life, yet no property returns it: "nAver" below
    // reads and writes the first "nAver" child directly.
    HostCollection<TXMLNAverList>(u"nAver");
  }
  IXMLInfResp infResp() { return ComplexProperty<TXMLInfResp>(u"infResp"); }
  IXMLInfSeg infSeg() { return ComplexProperty<TXMLInfSeg>(u"infSeg"); }
  std::u16string nApol() { return TextProperty(u"nApol"); }
  std::u16string nAver() { return TextProperty(u"nAver"); }
  void set_nApol(std::u16string_view v) { SetTextProperty(u"nApol", v); }
  void set_nAver(std::u16string_view v) { SetTextProperty(u"nAver", v); }
};
using IXMLSeg = Ref<TXMLSeg>;
using TXMLSegList = TXMLItemList<TXMLSeg>;
using IXMLSegList = Ref<TXMLSegList>;

class TXMLTot : public TXMLNode {
 public:
  explicit TXMLTot(const NodeInit& init) : TXMLNode(init) {}
  std::u16string qCTe() { return TextProperty(u"qCTe"); }
  std::u16string qNFe() { return TextProperty(u"qNFe"); }
  std::u16string qMDFe() { return TextProperty(u"qMDFe"); }
  std::u16string vCarga() { return TextProperty(u"vCarga"); }
  std::u16string cUnid() { return TextProperty(u"cUnid"); }
  std::u16string qCarga() { return TextProperty(u"qCarga"); }
  void set_qCTe(std::u16string_view v) { SetTextProperty(u"qCTe", v); }
  void set_qNFe(std::u16string_view v) { SetTextProperty(u"qNFe", v); }
  void set_qMDFe(std::u16string_view v) { SetTextProperty(u"qMDFe", v); }
  void set_vCarga(std::u16string_view v) { SetTextProperty(u"vCarga", v); }
  void set_cUnid(std::u16string_view v) { SetTextProperty(u"cUnid", v); }
  void set_qCarga(std::u16string_view v) { SetTextProperty(u"qCarga", v); }
};
using IXMLTot = Ref<TXMLTot>;

// The predominant product; its "infLotacao" is not bound.
class TXMLProdPred : public TXMLNode {
 public:
  explicit TXMLProdPred(const NodeInit& init) : TXMLNode(init) {}
  std::u16string tpCarga() { return TextProperty(u"tpCarga"); }
  std::u16string xProd() { return TextProperty(u"xProd"); }
  std::u16string cEAN() { return TextProperty(u"cEAN"); }
  std::u16string NCM() { return TextProperty(u"NCM"); }
  void set_tpCarga(std::u16string_view v) { SetTextProperty(u"tpCarga", v); }
  void set_xProd(std::u16string_view v) { SetTextProperty(u"xProd", v); }
  void set_cEAN(std::u16string_view v) { SetTextProperty(u"cEAN", v); }
  void set_NCM(std::u16string_view v) { SetTextProperty(u"NCM", v); }
};
using IXMLProdPred = Ref<TXMLProdPred>;

class TXMLLacres : public TXMLNode {
 public:
  explicit TXMLLacres(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nLacre() { return TextProperty(u"nLacre"); }
  void set_nLacre(std::u16string_view v) { SetTextProperty(u"nLacre", v); }
};
using IXMLLacres = Ref<TXMLLacres>;
using TXMLLacresList = TXMLItemList<TXMLLacres>;
using IXMLLacresList = Ref<TXMLLacresList>;

// Bound as a single child: its parent's property returns the first "autXML".
class TXMLAutXML : public TXMLNode {
 public:
  explicit TXMLAutXML(const NodeInit& init) : TXMLNode(init) {}
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  std::u16string CPF() { return TextProperty(u"CPF"); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
};
using IXMLAutXML = Ref<TXMLAutXML>;

class TXMLInfAdic : public TXMLNode {
 public:
  explicit TXMLInfAdic(const NodeInit& init) : TXMLNode(init) {}
  std::u16string infAdFisco() { return TextProperty(u"infAdFisco"); }
  std::u16string infCpl() { return TextProperty(u"infCpl"); }
  void set_infAdFisco(std::u16string_view v) { SetTextProperty(u"infAdFisco", v); }
  void set_infCpl(std::u16string_view v) { SetTextProperty(u"infCpl", v); }
};
using IXMLInfAdic = Ref<TXMLInfAdic>;
