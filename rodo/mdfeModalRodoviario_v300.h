#pragma once

// The road modal document model: the "rodo" block of an MDF-e 3.00, loaded as a
// document of its own whose document element is "rodo".

#include <string>

#include "RodoVehicles.h"
#include "XMLDoc.h"

class TXMLInfCIOT : public TXMLNode {
 public:
  explicit TXMLInfCIOT(const NodeInit& init) : TXMLNode(init) {}
  std::u16string CIOT() { return TextProperty(u"CIOT"); }
  std::u16string CPF() { return TextProperty(u"CPF"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  void set_CIOT(std::u16string_view v) { SetTextProperty(u"CIOT", v); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
};
using IXMLInfCIOT = Ref<TXMLInfCIOT>;
using TXMLInfCIOTList = TXMLItemList<TXMLInfCIOT>;
using IXMLInfCIOTList = Ref<TXMLInfCIOTList>;

class TXMLDisp : public TXMLNode {
 public:
  explicit TXMLDisp(const NodeInit& init) : TXMLNode(init) {}
  std::u16string CNPJForn() { return TextProperty(u"CNPJForn"); }
  std::u16string CNPJPg() { return TextProperty(u"CNPJPg"); }
  std::u16string CPFPg() { return TextProperty(u"CPFPg"); }
  std::u16string nCompra() { return TextProperty(u"nCompra"); }
  std::u16string vValePed() { return TextProperty(u"vValePed"); }
  void set_CNPJForn(std::u16string_view v) { SetTextProperty(u"CNPJForn", v); }
  void set_CNPJPg(std::u16string_view v) { SetTextProperty(u"CNPJPg", v); }
  void set_CPFPg(std::u16string_view v) { SetTextProperty(u"CPFPg", v); }
  void set_nCompra(std::u16string_view v) { SetTextProperty(u"nCompra", v); }
  void set_vValePed(std::u16string_view v) { SetTextProperty(u"vValePed", v); }
};
using IXMLDisp = Ref<TXMLDisp>;

// "valePed" is itself the collection of its "disp" children.
class TXMLValePed : public TXMLNodeCollection {
 public:
  explicit TXMLValePed(const NodeInit& init) : TXMLNodeCollection(init) {
    RegisterChildClass<TXMLDisp>(u"disp");
    SetItemTag(u"disp");
    SetItemInterface<TXMLDisp>();
  }
  IXMLDisp disp(int index) { return TypedItemAt<TXMLDisp>(index); }
  IXMLDisp Add() { return TypedNewItem<TXMLDisp>(-1); }
  IXMLDisp Insert(int index) { return TypedNewItem<TXMLDisp>(index); }
};
using IXMLValePed = Ref<TXMLValePed>;

class TXMLInfContratante : public TXMLNode {
 public:
  explicit TXMLInfContratante(const NodeInit& init) : TXMLNode(init) {}
  std::u16string CPF() { return TextProperty(u"CPF"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
};
using IXMLInfContratante = Ref<TXMLInfContratante>;
using TXMLInfContratanteList = TXMLItemList<TXMLInfContratante>;
using IXMLInfContratanteList = Ref<TXMLInfContratanteList>;

// One instalment of a freight paid "a prazo".
class TXMLInfPrazo : public TXMLNode {
 public:
  explicit TXMLInfPrazo(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nParcela() { return TextProperty(u"nParcela"); }
  std::u16string dVenc() { return TextProperty(u"dVenc"); }
  std::u16string vParcela() { return TextProperty(u"vParcela"); }
  void set_nParcela(std::u16string_view v) { SetTextProperty(u"nParcela", v); }
  void set_dVenc(std::u16string_view v) { SetTextProperty(u"dVenc", v); }
  void set_vParcela(std::u16string_view v) { SetTextProperty(u"vParcela", v); }
};
using IXMLInfPrazo = Ref<TXMLInfPrazo>;
using TXMLInfPrazoList = TXMLItemList<TXMLInfPrazo>;
using IXMLInfPrazoList = Ref<TXMLInfPrazoList>;

// The payment of the freight to its payee (components and bank data are not bound).
class TXMLInfPag : public TXMLNode {
 public:
  explicit TXMLInfPag(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfPrazo>(u"infPrazo");
    infPrazo_ = HostCollection<TXMLInfPrazoList>(u"infPrazo");
  }
  std::u16string xNome() { return TextProperty(u"xNome"); }
  std::u16string CPF() { return TextProperty(u"CPF"); }
  std::u16string CNPJ() { return TextProperty(u"CNPJ"); }
  std::u16string idEstrangeiro() { return TextProperty(u"idEstrangeiro"); }
  std::u16string vContrato() { return TextProperty(u"vContrato"); }
  std::u16string indPag() { return TextProperty(u"indPag"); }
  IXMLInfPrazoList infPrazo() { return CollectionProperty(infPrazo_); }
  void set_xNome(std::u16string_view v) { SetTextProperty(u"xNome", v); }
  void set_CPF(std::u16string_view v) { SetTextProperty(u"CPF", v); }
  void set_CNPJ(std::u16string_view v) { SetTextProperty(u"CNPJ", v); }
  void set_idEstrangeiro(std::u16string_view v) { SetTextProperty(u"idEstrangeiro", v); }
  void set_vContrato(std::u16string_view v) { SetTextProperty(u"vContrato", v); }
  void set_indPag(std::u16string_view v) { SetTextProperty(u"indPag", v); }

 private:
  TXMLInfPrazoList* infPrazo_;
};
using IXMLInfPag = Ref<TXMLInfPag>;
using TXMLInfPagList = TXMLItemList<TXMLInfPag>;
using IXMLInfPagList = Ref<TXMLInfPagList>;

class TXMLInfANTT : public TXMLNode {
 public:
  explicit TXMLInfANTT(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfCIOT>(u"infCIOT");
    RegisterChildClass<TXMLValePed>(u"valePed");
    RegisterChildClass<TXMLInfContratante>(u"infContratante");
    infCIOT_ = HostCollection<TXMLInfCIOTList>(u"infCIOT");
    infContratante_ = HostCollection<TXMLInfContratanteList>(u"infContratante");
    RegisterChildClass<TXMLInfPag>(u"infPag");
    infPag_ = HostCollection<TXMLInfPagList>(u"infPag");
  }
  std::u16string RNTRC() { return TextProperty(u"RNTRC"); }
  IXMLInfCIOTList infCIOT() { return CollectionProperty(infCIOT_); }
  IXMLValePed valePed() { return ComplexProperty<TXMLValePed>(u"valePed"); }
  IXMLInfContratanteList infContratante() { return CollectionProperty(infContratante_); }
  IXMLInfPagList infPag() { return CollectionProperty(infPag_); }
  void set_RNTRC(std::u16string_view v) { SetTextProperty(u"RNTRC", v); }

 private:
  TXMLInfCIOTList* infCIOT_;
  TXMLInfContratanteList* infContratante_;
  TXMLInfPagList* infPag_;
};
using IXMLInfANTT = Ref<TXMLInfANTT>;

class TXMLRodo : public TXMLNode {
 public:
  explicit TXMLRodo(const NodeInit& init) : TXMLNode(init) {
    RegisterChildClass<TXMLInfANTT>(u"infANTT");
    RegisterChildClass<TXMLVeicTracao>(u"veicTracao");
    RegisterChildClass<TXMLVeicReboque>(u"veicReboque");
    RegisterChildClass<TXMLLacRodo>(u"lacRodo");
    veicReboque_ = HostCollection<TXMLVeicReboqueList>(u"veicReboque");
    lacRodo_ = HostCollection<TXMLLacRodoList>(u"lacRodo");
  }
  IXMLInfANTT infANTT() { return ComplexProperty<TXMLInfANTT>(u"infANTT"); }
  IXMLVeicTracao veicTracao() { return ComplexProperty<TXMLVeicTracao>(u"veicTracao"); }
  IXMLVeicReboqueList veicReboque() { return CollectionProperty(veicReboque_); }
  std::u16string codAgPorto() { return TextProperty(u"codAgPorto"); }
  IXMLLacRodoList lacRodo() { return CollectionProperty(lacRodo_); }
  void set_codAgPorto(std::u16string_view v) { SetTextProperty(u"codAgPorto", v); }

 private:
  TXMLVeicReboqueList* veicReboque_;
  TXMLLacRodoList* lacRodo_;
};
using IXMLRodo = Ref<TXMLRodo>;

// Loads a road block file and binds its document element "rodo", which must lie in
// the MDF-e namespace itself (EIntfCastError otherwise).
IXMLRodo LoadRodoDocument(const std::u16string& fileName);
// A new document: the XML declaration and an empty "rodo" in the MDF-e namespace.
IXMLRodo NewRodoDocument();
