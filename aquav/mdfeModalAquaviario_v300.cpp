#include "mdfeModalAquaviario_v300.h"

#include "MdfeNamespace.h"

IXMLAquav LoadAquavDocument(const std::u16string& fileName) {
  return BindMdfeBlock<TXMLAquav>(LoadDocumentFile(fileName), u"aquav");
}

IXMLAquav NewAquavDocument() { return BindMdfeBlock<TXMLAquav>(NewDocument(u"1.0"), u"aquav"); }
