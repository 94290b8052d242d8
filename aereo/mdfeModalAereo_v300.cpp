#include "mdfeModalAereo_v300.h"

#include "MdfeNamespace.h"

IXMLAereo LoadAereoDocument(const std::u16string& fileName) {
  return BindMdfeBlock<TXMLAereo>(LoadDocumentFile(fileName), u"aereo");
}

IXMLAereo NewAereoDocument() { return BindMdfeBlock<TXMLAereo>(NewDocument(u"1.0"), u"aereo"); }
