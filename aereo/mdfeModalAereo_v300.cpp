#include "mdfeModalAereo_v300.h"

#include "MdfeNamespace.h"

namespace {

IXMLAereo BindAirBlock(const IXMLDocument& document) {
  return intf_cast<TXMLAereo>(BindRoot<TXMLAereo>(document, u"aereo", kMdfeNamespace));
}

}  // namespace

IXMLAereo LoadAereoDocument(const std::u16string& fileName) { return BindAirBlock(LoadDocumentFile(fileName)); }

IXMLAereo NewAereoDocument() { return BindAirBlock(NewDocument(u"1.0")); }
