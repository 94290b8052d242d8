#include <gtest/gtest.h>

#include "MdfeTestSupport.h"

namespace {

// An item's lists and its children's wrappers are made when first asked for: what was done
// through the tree before still shows, and what was handed out keeps its identity.
TEST(MdfeLazyBinding, ListMadeOnFirstUseSeesEarlierChildrenAndKeepsIdentity) {
  IXMLTMDFe root =
      LoadManifestText(R"(<MDFe xmlns="http://www.portalfiscal.inf.br/mdfe"><infMDFe><infDoc><infMunDescarga>)"
                       "<infNFe><chNFe>N1</chNFe></infNFe></infMunDescarga></infDoc></infMDFe></MDFe>");
  IXMLInfMunDescarga mun = root->infMDFe()->infDoc()->infMunDescarga()->Item(0);
  IXMLInfNFe nfe = intf_cast<TXMLInfNFe>(mun->ChildList()->NodeAt(0));
  IXMLNode unit = nfe->ChildList()->NodeByName(u"infUnidTransp");

  IXMLTUnidadeTranspList units = nfe->infUnidTransp();
  EXPECT_TRUE(units == nfe->infUnidTransp());
  ASSERT_EQ(units->ItemCount(), 1);
  EXPECT_TRUE(units->Item(0) == unit);
  EXPECT_TRUE(mun->infNFe()->Item(0) == nfe);
  EXPECT_EQ(nfe->chNFe(), u"N1");
  EXPECT_EQ(nfe->peri()->ItemCount(), 0);
}

}  // namespace
