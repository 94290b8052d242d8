#pragma once

// The vehicles of the road block: the traction vehicle with its owner and driver,
// the trailers with their owners, and the road seals.

#include "XMLDoc.h"

// The owner of a vehicle, under "veicTracao" and under each "veicReboque".
class TXMLProp : public TXMLNode {
 public:
  explicit TXMLProp(const NodeInit& init) : TXMLNode(init) {}
  std::u16string CPF() { return TextProperty(u"CPF"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  std::u16string RNTRC() { return TextProperty(u"RNTRC"); }
  std::u16string xNome() { return TextProperty(u"xNome"); }
  std::u16string IE() { return TextProperty(u"IE"); }
  std::u16string UF() { return TextProperty(u"UF"); }
  std::u16string tpProp() { return TextProperty(u"tpProp"); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
  void set_RNTRC(std::u16string_view v) { SetTextProperty(u"RNTRC", v); }
  void set_xNome(std::u16string_view v) { SetTextProperty(u"xNome", v); }
  void set_IE(std::u16string_view v) { SetTextProperty(u"IE", v); }
  void set_UF(std::u16string_view v) { SetTextProperty(u"UF", v); }
  void set_tpProp(std::u16string_view v) { SetTextProperty(u"tpProp", v); }
};
using IXMLProp = Ref<TXMLProp>;

class TXMLCondutor : public TXMLNode {
 public:
  explicit TXMLCondutor(const NodeInit& init) : TXMLNode(init) {}
  std::u16string xNome() { return TextProperty(u"xNome"); }
  std::u16string CPF() { return TextProperty(u"CPF"); }
  void set_xNome(std::u16string_view v) { SetTextProperty(u"xNome", v); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
};
using IXMLCondutor = Ref<TXMLCondutor>;

// "condutor" is a single child: the property reaches only the first driver.
class TXMLVeicTracao : public TXMLNode {
 public:
  explicit TXMLVeicTracao(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLProp>(u"prop");
    RegisterChildClass<TXMLCondutor>(u"condutor");
  }
  std::u16string cInt() { return TextProperty(u"cInt"); }
  std::u16string placa() { return TextProperty(u"placa"); }
  std::u16string RENAVAM() { return TextProperty(u"RENAVAM"); }
  std::u16string tara() { return TextProperty(u"tara"); }
  std::u16string capKG() { return TextProperty(u"capKG"); }
  std::u16string capM3() { return TextProperty(u"capM3"); }
  IXMLProp prop() { return ComplexProperty<TXMLProp>(u"prop"); }
  IXMLCondutor condutor() { return ComplexProperty<TXMLCondutor>(u"condutor"); }
  std::u16string tpRod() { return TextProperty(u"tpRod"); }
  std::u16string tpCar() { return TextProperty(u"tpCar"); }
  std::u16string UF() { return TextProperty(u"UF"); }
  void set_cInt(std::u16string_view v) { SetTextProperty(u"cInt", v); }
  void set_placa(std::u16string_view v) { SetTextProperty(u"placa", v); }
  void set_RENAVAM(std::u16string_view v) { SetTextProperty(u"RENAVAM", v); }
  void set_tara(std::u16string_view v) { SetTextProperty(u"tara", v); }
  void set_capKG(std::u16string_view v) { SetTextProperty(u"capKG", v); }
  void set_capM3(std::u16string_view v) { SetTextProperty(u"capM3", v); }
  void set_tpRod(std::u16string_view v) { SetTextProperty(u"tpRod", v); }
  void set_tpCar(std::u16string_view v) { SetTextProperty(u"tpCar", v); }
  void set_UF(std::u16string_view v) { SetTextProperty(u"UF", v); }
};
using IXMLVeicTracao = Ref<TXMLVeicTracao>;

// A trailer has no driver and no wheelset type.
class TXMLVeicReboque : public TXMLNode {
 public:
  explicit TXMLVeicReboque(const NodeInit& init) : TXMLNode(init) { RegisterChildClass<TXMLProp>(u"prop"); }
  std::u16string cInt() { return TextProperty(u"cInt"); }
  std::u16string placa() { return TextProperty(u"placa"); }
  std::u16string RENAVAM() { return TextProperty(u"RENAVAM"); }
  std::u16string tara() { return TextProperty(u"tara"); }
  std::u16string capKG() { return TextProperty(u"capKG"); }
  std::u16string capM3() { return TextProperty(u"capM3"); }
  IXMLProp prop() { return ComplexProperty<TXMLProp>(u"prop"); }
  std::u16string tpCar() { return TextProperty(u"tpCar"); }
  std::u16string UF() { return TextProperty(u"UF"); }
  void set_cInt(std::u16string_view v) { SetTextProperty(u"cInt", v); }
  void set_placa(std::u16string_view v) { SetTextProperty(u"placa", v); }
  void set_RENAVAM(std::u16string_view v) { SetTextProperty(u"RENAVAM", v); }
  void set_tara(std::u16string_view v) { SetTextProperty(u"tara", v); }
  void set_capKG(std::u16string_view v) { SetTextProperty(u"capKG", v); }
  void set_capM3(std::u16string_view v) { SetTextProperty(u"capM3", v); }
  void set_tpCar(std::u16string_view v) { SetTextProperty(u"tpCar", v); }
  void set_UF(std::u16string_view v) { SetTextProperty(u"UF", v); }
};
using IXMLVeicReboque = Ref<TXMLVeicReboque>;
using TXMLVeicReboqueList = TXMLItemList<TXMLVeicReboque>;
using IXMLVeicReboqueList = Ref<TXMLVeicReboqueList>;

class TXMLLacRodo : public TXMLNode {
 public:
  explicit TXMLLacRodo(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nLacre() { return TextProperty(u"nLacre"); }
  void set_nLacre(std::u16string_view v) { SetTextProperty(u"nLacre", v); }
};
using IXMLLacRodo = Ref<TXMLLacRodo>;
using TXMLLacRodoList = TXMLItemList<TXMLLacRodo>;
using IXMLLacRodoList = Ref<TXMLLacRodoList>;
