#pragma once

// The issuer of a manifest and its address.

#include "XMLDoc.h"

// Binds "enderEmit"; the class carries the schema's type name.
class TXMLTEndeEmi : public TXMLNode {
 public:
  explicit TXMLTEndeEmi(const NodeInit& init) : TXMLNode(init) {}
  std::u16string xLgr() { return TextProperty(u"xLgr"); }
  std::u16string nro() { return TextProperty(u"nro"); }
  std::u16string xCpl() { return TextProperty(u"xCpl"); }
  std::u16string xBairro() { return TextProperty(u"xBairro"); }
  std::u16string cMun() { return TextProperty(u"cMun"); }
  std::u16string xMun() { return TextProperty(u"xMun"); }
  std::u16string CEP() { return TextProperty(u"CEP"); }
  std::u16string UF() { return TextProperty(u"UF"); }
  std::u16string fone() { return TextProperty(u"fone"); }
  std::u16string email() { return TextProperty(u"email"); }
  void set_xLgr(std::u16string_view v) { SetTextProperty(u"xLgr", v); }
  void set_nro(std::u16string_view v) { SetTextProperty(u"nro", v); }
  void set_xCpl(std::u16string_view v) { SetTextProperty(u"xCpl", v); }
  void set_xBairro(std::u16string_view v) { SetTextProperty(u"xBairro", v); }
  void set_cMun(std::u16string_view v) { SetTextProperty(u"cMun", v); }
  void set_xMun(std::u16string_view v) { SetTextProperty(u"xMun", v); }
  void set_CEP(std::u16string_view v) { SetTextProperty(u"CEP", v); }
  void set_UF(std::u16string_view v) { SetTextProperty(u"UF", v); }
  void set_fone(std::u16string_view v) { SetTextProperty(u"fone", v); }
  void set_email(std::u16string_view v) { SetTextProperty(u"email", v); }
};
using IXMLTEndeEmi = Ref<TXMLTEndeEmi>;

class TXMLEmit : public TXMLNode {
 public:
  explicit TXMLEmit(const NodeInit& init) : TXMLNode(init) { RegisterChildClass<TXMLTEndeEmi>(u"enderEmit"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  std::u16string IE() { return TextProperty(u"IE"); }
  std::u16string xNome() { return TextProperty(u"xNome"); }
  std::u16string xFant() { return TextProperty(u"xFant"); }
  IXMLTEndeEmi enderEmit() { return ComplexProperty<TXMLTEndeEmi>(u"enderEmit"); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
  void set_IE(std::u16string_view v) { SetTextProperty(u"IE", v); }
  void set_xNome(std::u16string_view v) { SetTextProperty(u"xNome", v); }
  void set_xFant(std::u16string_view v) { SetTextProperty(u"xFant", v); }
};
using IXMLEmit = Ref<TXMLEmit>;
