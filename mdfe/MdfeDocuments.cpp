#include "MdfeDocuments.h"

TXMLUnitsAndGoods BindUnitsAndGoods(TXMLNode& parent) {
  parent.RegisterChildClass<TXMLTUnidadeTransp>(u"infUnidTransp");
  parent.RegisterChildClass<TXMLPeri>(u"peri");
  return {};
}
