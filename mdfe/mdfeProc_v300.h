#pragma once

// The file a carrier keeps after authorisation: the manifest wrapped with its protocol.

#include "mdfe_v300.h"

class TXMLInfProt : public TXMLNode {
 public:
  explicit TXMLInfProt(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nProt() { return TextProperty(u"nProt"); }
  std::u16string dhRecbto() { return TextProperty(u"dhRecbto"); }
  std::u16string cStat() { return TextProperty(u"cStat"); }
  std::u16string xMotivo() { return TextProperty(u"xMotivo"); }
  void set_nProt(std::u16string_view v) { SetTextProperty(u"nProt", v); }
  void set_dhRecbto(std::u16string_view v) { SetTextProperty(u"dhRecbto", v); }
  void set_cStat(std::u16string_view v) { SetTextProperty(u"cStat", v); }
  void set_xMotivo(std::u16string_view v) { SetTextProperty(u"xMotivo", v); }
};
using IXMLInfProt = Ref<TXMLInfProt>;

class TXMLProtMDFe : public TXMLNode {
 public:
  explicit TXMLProtMDFe(const NodeInit& init) : TXMLNode(init) { RegisterChildClass<TXMLInfProt>(u"infProt"); }
  std::u16string versao() { return AttributeProperty(u"versao"); }
  IXMLInfProt infProt() { return ComplexProperty<TXMLInfProt>(u"infProt"); }
  void set_versao(std::u16string_view v) { SetAttributeProperty(u"versao", v); }
};
using IXMLProtMDFe = Ref<TXMLProtMDFe>;

class TXMLMdfeProc : public TXMLNode {
 public:
  explicit TXMLMdfeProc(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLTMDFe>(u"MDFe");
    RegisterChildClass<TXMLProtMDFe>(u"protMDFe");
  }
  std::u16string versao() { return AttributeProperty(u"versao"); }
  IXMLTMDFe MDFe() { return ComplexProperty<TXMLTMDFe>(u"MDFe"); }
  IXMLProtMDFe protMDFe() { return ComplexProperty<TXMLProtMDFe>(u"protMDFe"); }
  void set_versao(std::u16string_view v) { SetAttributeProperty(u"versao", v); }
};
using IXMLMdfeProc = Ref<TXMLMdfeProc>;

// Loads an authorised manifest; any other document element fails with "Interface not supported".
IXMLMdfeProc LoadMdfeProcDocument(const std::u16string& fileName);
IXMLMdfeProc LoadMdfeProcDocument(const std::filesystem::path& file);  // a name in any bytes
// The same binding for a document already loaded.
IXMLMdfeProc BindMdfeProcDocument(const IXMLDocument& document);
