#pragma once

// The air modal document model: the "aereo" block of an MDF-e 3.00, loaded as a
// document of its own whose document element is "aereo".

#include <string>

#include "XMLDoc.h"

// The aircraft (nationality and registration marks) and its flight.
class TXMLAereo : public TXMLNode {
 public:
  explicit TXMLAereo(const NodeInit& init) : TXMLNode(init) {}
  std::u16string nac() { return TextProperty(u"nac"); }
  std::u16string matr() { return TextProperty(u"matr"); }
  std::u16string nVoo() { return TextProperty(u"nVoo"); }
  std::u16string cAerEmb() { return TextProperty(u"cAerEmb"); }
  std::u16string cAerDes() { return TextProperty(u"cAerDes"); }
  std::u16string dVoo() { return TextProperty(u"dVoo"); }
  void set_nac(std::u16string_view v) { SetTextProperty(u"nac", v); }
  void set_matr(std::u16string_view v) { SetTextProperty(u"matr", v); }
  void set_nVoo(std::u16string_view v) { SetTextProperty(u"nVoo", v); }
  void set_cAerEmb(std::u16string_view v) { SetTextProperty(u"cAerEmb", v); }
  void set_cAerDes(std::u16string_view v) { SetTextProperty(u"cAerDes", v); }
  void set_dVoo(std::u16string_view v) { SetTextProperty(u"dVoo", v); }
};
using IXMLAereo = Ref<TXMLAereo>;

// Loads an air block file and binds its document element "aereo", which must lie in the
// MDF-e namespace itself (EIntfCastError otherwise).
IXMLAereo LoadAereoDocument(const std::u16string& fileName);
// A new document: the XML declaration and an empty "aereo" in the MDF-e namespace.
IXMLAereo NewAereoDocument();
