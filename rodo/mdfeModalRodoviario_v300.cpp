#include "mdfeModalRodoviario_v300.h"

#include "MdfeNamespace.h"

IXMLRodo LoadRodoDocument(const std::u16string& fileName) {
  return BindMdfeBlock<TXMLRodo>(LoadDocumentFile(fileName), u"rodo");
}

IXMLRodo NewRodoDocument() { return BindMdfeBlock<TXMLRodo>(NewDocument(u"1.0"), u"rodo"); }
