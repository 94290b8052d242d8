#pragma once

// An event registered for a manifest after its authorisation, as the issuer's system keeps it:
// the event sent ("eventoMDFe") with the authority's return ("retEventoMDFe").

#include "mdfe_v300.h"

class TXMLEvCancMDFe : public TXMLNode {
 public:
  explicit TXMLEvCancMDFe(const NodeInit& init) : TXMLNode(init) {}
  std::u16string descEvento() { return TextProperty(u"descEvento"); }
  std::u16string nProt() { return TextProperty(u"nProt"); }
  std::u16string xJust() { return TextProperty(u"xJust"); }
  void set_descEvento(std::u16string_view v) { SetTextProperty(u"descEvento", v); }
  void set_nProt(std::u16string_view v) { SetTextProperty(u"nProt", v); }
  void set_xJust(std::u16string_view v) { SetTextProperty(u"xJust", v); }
};
using IXMLEvCancMDFe = Ref<TXMLEvCancMDFe>;

class TXMLEvEncMDFe : public TXMLNode {
 public:
  explicit TXMLEvEncMDFe(const NodeInit& init) : TXMLNode(init) {}
  std::u16string descEvento() { return TextProperty(u"descEvento"); }
  std::u16string nProt() { return TextProperty(u"nProt"); }
  std::u16string dtEnc() { return TextProperty(u"dtEnc"); }
  std::u16string cUF() { return TextProperty(u"cUF"); }
  std::u16string cMun() { return TextProperty(u"cMun"); }
  void set_descEvento(std::u16string_view v) { SetTextProperty(u"descEvento", v); }
  void set_nProt(std::u16string_view v) { SetTextProperty(u"nProt", v); }
  void set_dtEnc(std::u16string_view v) { SetTextProperty(u"dtEnc", v); }
  void set_cUF(std::u16string_view v) { SetTextProperty(u"cUF", v); }
  void set_cMun(std::u16string_view v) { SetTextProperty(u"cMun", v); }
};
using IXMLEvEncMDFe = Ref<TXMLEvEncMDFe>;

// Binds the "condutor" of the event; the road block's driver is TXMLCondutor.
class TXMLEvCondutor : public TXMLNode {
 public:
  explicit TXMLEvCondutor(const NodeInit& init) : TXMLNode(init) {}
  std::u16string xNome() { return TextProperty(u"xNome"); }
  std::u16string CPF() { return TextProperty(u"CPF"); }
  void set_xNome(std::u16string_view v) { SetTextProperty(u"xNome", v); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
};
using IXMLEvCondutor = Ref<TXMLEvCondutor>;

class TXMLEvIncCondutorMDFe : public TXMLNode {
 public:
  explicit TXMLEvIncCondutorMDFe(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLEvCondutor>(u"condutor");
  }
  std::u16string descEvento() { return TextProperty(u"descEvento"); }
  IXMLEvCondutor condutor() { return ComplexProperty<TXMLEvCondutor>(u"condutor"); }
  void set_descEvento(std::u16string_view v) { SetTextProperty(u"descEvento", v); }
};
using IXMLEvIncCondutorMDFe = Ref<TXMLEvIncCondutorMDFe>;

// The detail's content depends on tpEvento: read only the element of the event's type.
class TXMLDetEvento : public TXMLNode {
 public:
  explicit TXMLDetEvento(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLEvCancMDFe>(u"evCancMDFe");
    RegisterChildClass<TXMLEvEncMDFe>(u"evEncMDFe");
    RegisterChildClass<TXMLEvIncCondutorMDFe>(u"evIncCondutorMDFe");
  }
  std::u16string versaoEvento() { return AttributeProperty(u"versaoEvento"); }
  IXMLEvCancMDFe evCancMDFe() { return ComplexProperty<TXMLEvCancMDFe>(u"evCancMDFe"); }
  IXMLEvEncMDFe evEncMDFe() { return ComplexProperty<TXMLEvEncMDFe>(u"evEncMDFe"); }
  IXMLEvIncCondutorMDFe evIncCondutorMDFe() { return ComplexProperty<TXMLEvIncCondutorMDFe>(u"evIncCondutorMDFe"); }
  void set_versaoEvento(std::u16string_view v) { SetAttributeProperty(u"versaoEvento", v); }
};
using IXMLDetEvento = Ref<TXMLDetEvento>;

// Binds "infEvento" of the event sent.
class TXMLInfEvento : public TXMLNode {
 public:
  explicit TXMLInfEvento(const NodeInit& init) : TXMLNode(init) { RegisterChildClass<TXMLDetEvento>(u"detEvento"); }
  std::u16string Id() { return AttributeProperty(u"Id"); }
  std::u16string cOrgao() { return TextProperty(u"cOrgao"); }
  std::u16string tpAmb() { return TextProperty(u"tpAmb"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  std::u16string CPF() { return TextProperty(u"CPF"); }
  std::u16string chMDFe() { return TextProperty(u"chMDFe"); }
  std::u16string dhEvento() { return TextProperty(u"dhEvento"); }
  std::u16string tpEvento() { return TextProperty(u"tpEvento"); }
  std::u16string nSeqEvento() { return TextProperty(u"nSeqEvento"); }
  IXMLDetEvento detEvento() { return ComplexProperty<TXMLDetEvento>(u"detEvento"); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }
  void set_cOrgao(std::u16string_view v) { SetTextProperty(u"cOrgao", v); }
  void set_tpAmb(std::u16string_view v) { SetTextProperty(u"tpAmb", v); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
  void set_chMDFe(std::u16string_view v) { SetTextProperty(u"chMDFe", v); }
  void set_dhEvento(std::u16string_view v) { SetTextProperty(u"dhEvento", v); }
  void set_tpEvento(std::u16string_view v) { SetTextProperty(u"tpEvento", v); }
  void set_nSeqEvento(std::u16string_view v) { SetTextProperty(u"nSeqEvento", v); }
};
using IXMLInfEvento = Ref<TXMLInfEvento>;

class TXMLEventoMDFe : public TXMLNode {
 public:
  explicit TXMLEventoMDFe(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfEvento>(u"infEvento");
    RegisterChildClass<TXMLSignatureType>(u"Signature");
  }
  std::u16string versao() { return AttributeProperty(u"versao"); }
  IXMLInfEvento infEvento() { return ComplexProperty<TXMLInfEvento>(u"infEvento"); }
  IXMLSignatureType Signature() { return ComplexProperty<TXMLSignatureType>(u"Signature"); }
  void set_versao(std::u16string_view v) { SetAttributeProperty(u"versao", v); }
};
using IXMLEventoMDFe = Ref<TXMLEventoMDFe>;

// Binds "infEvento" of the authority's return.
class TXMLInfEventoRet : public TXMLNode {
 public:
  explicit TXMLInfEventoRet(const NodeInit& init) : TXMLNode(init) {}
  std::u16string Id() { return AttributeProperty(u"Id"); }
  std::u16string tpAmb() { return TextProperty(u"tpAmb"); }
  std::u16string verAplic() { return TextProperty(u"verAplic"); }
  std::u16string cOrgao() { return TextProperty(u"cOrgao"); }
  std::u16string cStat() { return TextProperty(u"cStat"); }
  std::u16string xMotivo() { return TextProperty(u"xMotivo"); }
  std::u16string chMDFe() { return TextProperty(u"chMDFe"); }
  std::u16string tpEvento() { return TextProperty(u"tpEvento"); }
  std::u16string xEvento() { return TextProperty(u"xEvento"); }
  std::u16string nSeqEvento() { return TextProperty(u"nSeqEvento"); }
  std::u16string dhRegEvento() { return TextProperty(u"dhRegEvento"); }
  std::u16string nProt() { return TextProperty(u"nProt"); }
  void set_Id(std::u16string_view v) { SetAttributeProperty(u"Id", v); }
  void set_tpAmb(std::u16string_view v) { SetTextProperty(u"tpAmb", v); }
  void set_verAplic(std::u16string_view v) { SetTextProperty(u"verAplic", v); }
  void set_cOrgao(std::u16string_view v) { SetTextProperty(u"cOrgao", v); }
  void set_cStat(std::u16string_view v) { SetTextProperty(u"cStat", v); }
  void set_xMotivo(std::u16string_view v) { SetTextProperty(u"xMotivo", v); }
  void set_chMDFe(std::u16string_view v) { SetTextProperty(u"chMDFe", v); }
  void set_tpEvento(std::u16string_view v) { SetTextProperty(u"tpEvento", v); }
  void set_xEvento(std::u16string_view v) { SetTextProperty(u"xEvento", v); }
  void set_nSeqEvento(std::u16string_view v) { SetTextProperty(u"nSeqEvento", v); }
  void set_dhRegEvento(std::u16string_view v) { SetTextProperty(u"dhRegEvento", v); }
  void set_nProt(std::u16string_view v) { SetTextProperty(u"nProt", v); }
};
using IXMLInfEventoRet = Ref<TXMLInfEventoRet>;

class TXMLRetEventoMDFe : public TXMLNode {
 public:
  explicit TXMLRetEventoMDFe(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfEventoRet>(u"infEvento");
  }
  std::u16string versao() { return AttributeProperty(u"versao"); }
  IXMLInfEventoRet infEvento() { return ComplexProperty<TXMLInfEventoRet>(u"infEvento"); }
  void set_versao(std::u16string_view v) { SetAttributeProperty(u"versao", v); }
};
using IXMLRetEventoMDFe = Ref<TXMLRetEventoMDFe>;

class TXMLProcEventoMDFe : public TXMLNode {
 public:
  explicit TXMLProcEventoMDFe(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLEventoMDFe>(u"eventoMDFe");
    RegisterChildClass<TXMLRetEventoMDFe>(u"retEventoMDFe");
  }
  std::u16string versao() { return AttributeProperty(u"versao"); }
  IXMLEventoMDFe eventoMDFe() { return ComplexProperty<TXMLEventoMDFe>(u"eventoMDFe"); }
  IXMLRetEventoMDFe retEventoMDFe() { return ComplexProperty<TXMLRetEventoMDFe>(u"retEventoMDFe"); }
  void set_versao(std::u16string_view v) { SetAttributeProperty(u"versao", v); }
};
using IXMLProcEventoMDFe = Ref<TXMLProcEventoMDFe>;

// Loads a registered event; any other document element fails with "Interface not supported".
IXMLProcEventoMDFe LoadProcEventoMDFeDocument(const std::filesystem::path& file);  // a name in any bytes
