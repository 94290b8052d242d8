#pragma once

// The MDF-e 3.00 document model: one bound class per complex element of a manifest.
// Every read goes to the tree and creates a missing element empty; nothing is cached.

#include <string>

#include "MdfeDocuments.h"
#include "MdfeInsuranceAndTotals.h"
#include "MdfeIssuer.h"
#include "MdfeNamespace.h"
#include "MdfeSignature.h"
#include "XMLDoc.h"

class TXMLInfMunCarrega : public TXMLNode {
 public:
  explicit TXMLInfMunCarrega(const NodeInit& init) : TXMLNode(init) {}
  std::u16string cMunCarrega() { return TextProperty(u"cMunCarrega"); }
  std::u16string xMunCarrega() { return TextProperty(u"xMunCarrega"); }
  void set_cMunCarrega(std::u16string_view v) { SetTextProperty(u"cMunCarrega", v); }
  void set_xMunCarrega(std::u16string_view v) { SetTextProperty(u"xMunCarrega", v); }
};
using IXMLInfMunCarrega = Ref<TXMLInfMunCarrega>;
using TXMLInfMunCarregaList = TXMLItemList<TXMLInfMunCarrega>;
using IXMLInfMunCarregaList = Ref<TXMLInfMunCarregaList>;

class TXMLInfPercurso : public TXMLNode {
 public:
  explicit TXMLInfPercurso(const NodeInit& init) : TXMLNode(init) {}
  std::u16string UFPer() { return TextProperty(u"UFPer"); }
  void set_UFPer(std::u16string_view v) { SetTextProperty(u"UFPer", v); }
};
using IXMLInfPercurso = Ref<TXMLInfPercurso>;
using TXMLInfPercursoList = TXMLItemList<TXMLInfPercurso>;
using IXMLInfPercursoList = Ref<TXMLInfPercursoList>;

class TXMLIde : public TXMLNode {
 public:
  explicit TXMLIde(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfMunCarrega>(u"infMunCarrega");
    RegisterChildClass<TXMLInfPercurso>(u"infPercurso");
    infMunCarrega_ = HostCollection<TXMLInfMunCarregaList>(u"infMunCarrega");
    infPercurso_ = HostCollection<TXMLInfPercursoList>(u"infPercurso");
  }
  std::u16string cUF() { return TextProperty(u"cUF"); }
  std::u16string tpAmb() { return TextProperty(u"tpAmb"); }
  std::u16string tpEmit() { return TextProperty(u"tpEmit"); }
  std::u16string tpTransp() { return TextProperty(u"tpTransp"); }
  std::u16string mod() { return TextProperty(u"mod"); }
  std::u16string serie() { return TextProperty(u"serie"); }
  std::u16string nMDF() { return TextProperty(u"nMDF"); }
  std::u16string cMDF() { return TextProperty(u"cMDF"); }
  std::u16string cDV() { return TextProperty(u"cDV"); }
  std::u16string modal() { return TextProperty(u"modal"); }
  std::u16string dhEmi() { return TextProperty(u"dhEmi"); }
  std::u16string tpEmis() { return TextProperty(u"tpEmis"); }
  std::u16string procEmi() { return TextProperty(u"procEmi"); }
  std::u16string verProc() { return TextProperty(u"verProc"); }
  std::u16string UFIni() { return TextProperty(u"UFIni"); }
  std::u16string UFFim() { return TextProperty(u"UFFim"); }
  IXMLInfMunCarregaList infMunCarrega() { return CollectionProperty(infMunCarrega_); }
  IXMLInfPercursoList infPercurso() { return CollectionProperty(infPercurso_); }
  std::u16string dhIniViagem() { return TextProperty(u"dhIniViagem"); }
  std::u16string indCanalVerde() { return TextProperty(u"indCanalVerde"); }
  void set_cUF(std::u16string_view v) { SetTextProperty(u"cUF", v); }
  void set_tpAmb(std::u16string_view v) { SetTextProperty(u"tpAmb", v); }
  void set_tpEmit(std::u16string_view v) { SetTextProperty(u"tpEmit", v); }
  void set_tpTransp(std::u16string_view v) { SetTextProperty(u"tpTransp", v); }
  void set_mod(std::u16string_view v) { SetTextProperty(u"mod", v); }
  void set_serie(std::u16string_view v) { SetTextProperty(u"serie", v); }
  void set_nMDF(std::u16string_view v) { SetTextProperty(u"nMDF", v); }
  void set_cMDF(std::u16string_view v) { SetTextProperty(u"cMDF", v); }
  void set_cDV(std::u16string_view v) { SetTextProperty(u"cDV", v); }
  void set_modal(std::u16string_view v) { SetTextProperty(u"modal", v); }
  void set_dhEmi(std::u16string_view v) { SetTextProperty(u"dhEmi", v); }
  void set_tpEmis(std::u16string_view v) { SetTextProperty(u"tpEmis", v); }
  void set_procEmi(std::u16string_view v) { SetTextProperty(u"procEmi", v); }
  void set_verProc(std::u16string_view v) { SetTextProperty(u"verProc", v); }
  void set_UFIni(std::u16string_view v) { SetTextProperty(u"UFIni", v); }
  void set_UFFim(std::u16string_view v) { SetTextProperty(u"UFFim", v); }
  void set_dhIniViagem(std::u16string_view v) { SetTextProperty(u"dhIniViagem", v); }
  void set_indCanalVerde(std::u16string_view v) { SetTextProperty(u"indCanalVerde", v); }

 private:
  TXMLInfMunCarregaList* infMunCarrega_;
  TXMLInfPercursoList* infPercurso_;
};
using IXMLIde = Ref<TXMLIde>;

class TXMLInfMDFe : public TXMLNode {
 public:
  explicit TXMLInfMDFe(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLIde>(u"ide");
    RegisterChildClass<TXMLEmit>(u"emit");
    RegisterChildClass<TXMLInfModal>(u"infModal");
    RegisterChildClass<TXMLInfDoc>(u"infDoc");
    RegisterChildClass<TXMLSeg>(u"seg");
    RegisterChildClass<TXMLTot>(u"tot");
    RegisterChildClass<TXMLLacres>(u"lacres");
    RegisterChildClass<TXMLAutXML>(u"autXML");
    RegisterChildClass<TXMLInfAdic>(u"infAdic");
    seg_ = HostCollection<TXMLSegList>(u"seg");
    lacres_ = HostCollection<TXMLLacresList>(u"lacres");
    RegisterChildClass<TXMLProdPred>(u"prodPred");
  }
  std::u16string versao() { return AttributeProperty(u"versao"); }
  std::u16string Id() { return AttributeProperty(u"Id"); }
  IXMLIde ide() { return ComplexProperty<TXMLIde>(u"ide"); }
  IXMLEmit emit() { return ComplexProperty<TXMLEmit>(u"emit"); }
  IXMLInfModal infModal() { return ComplexProperty<TXMLInfModal>(u"infModal"); }
  IXMLInfDoc infDoc() { return ComplexProperty<TXMLInfDoc>(u"infDoc"); }
  IXMLSegList seg() { return CollectionProperty(seg_); }
  IXMLTot tot() { return ComplexProperty<TXMLTot>(u"tot"); }
  IXMLLacresList lacres() { return CollectionProperty(lacres_); }
  IXMLAutXML autXML() { return ComplexProperty<TXMLAutXML>(u"autXML"); }
  IXMLInfAdic infAdic() { return ComplexProperty<TXMLInfAdic>(u"infAdic"); }
  IXMLProdPred prodPred() { return ComplexProperty<TXMLProdPred>(u"prodPred"); }
  void set_versao(std::u16string_view v) { SetAttributeProperty(u"versao", v); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }

 private:
  TXMLSegList* seg_;
  TXMLLacresList* lacres_;
};
using IXMLInfMDFe = Ref<TXMLInfMDFe>;

class TXMLTMDFe : public TXMLNode {
 public:
  explicit TXMLTMDFe(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfMDFe>(u"infMDFe");
    RegisterChildClass<TXMLSignatureType>(u"Signature");
  }
  IXMLInfMDFe infMDFe() { return ComplexProperty<TXMLInfMDFe>(u"infMDFe"); }
  IXMLSignatureType Signature() { return ComplexProperty<TXMLSignatureType>(u"Signature"); }
};
using IXMLTMDFe = Ref<TXMLTMDFe>;

// Loads a manifest file and binds its document element "MDFe"; fails with
// EDOMParseError on an unreadable file and EIntfCastError on any other root.
IXMLTMDFe LoadMdfeDocument(const std::u16string& fileName);
IXMLTMDFe LoadMdfeDocument(const std::filesystem::path& file);  // a name in any bytes
// The same binding for a document already loaded.
IXMLTMDFe BindMdfeDocument(const IXMLDocument& document);
// A new document: the XML declaration and an empty "MDFe" in the MDF-e namespace.
IXMLTMDFe NewMdfeDocument();
