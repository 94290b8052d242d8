// Real manifests written by others, read through the whole model.

#include <gtest/gtest.h>

#include <filesystem>

#include "MdfeTestSupport.h"

namespace {

class Samples : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(DAMDFE_SHARED_SAMPLES)) {
      GTEST_SKIP() << "no sample manifests at " DAMDFE_SHARED_SAMPLES;
    }
  }
  static IXMLTMDFe Load(const std::string& name) {
    return LoadMdfeDocument(FromUtf8(std::string(DAMDFE_SHARED_SAMPLES "/") + name));
  }
};

struct ManifestFacts {
  const char* file;
  const char* id;
  const char* nMDF;
  const char* dhEmi;
  const char* tpEmis;
  const char* cnpj;
  const char* xNome;
  const char* cep;
  const char* fone;
  const char* qCarga;
  int municipalities;
};

TEST_F(Samples, IdentificationIssuerAndTotalsAsWritten) {
  const ManifestFacts facts[] = {
      {"sped_mdfe_fixture_rodo_reboque_unsigned.xml", "MDFe35353535353535353535353535353535353535353535", "28",
       "2016-01-01T00:00:00-02:00", "1", "81452880000139", "COMERCIO E TRANSPORTES WESSLING LTDA", "85630000",
       "004635441252", "1129.9400", 1},
      {"spedmdfe_example_MDFe_rodo_xmlns_2infMunDescarga_reboque_lacres.xml",
       "MDFe41190822545265000108580260000000081326846774", "8", "2019-08-14T11:35:01-03:00", "2", "22545265000108",
       "EMPRESA DEMONSTRACAO LTDA", "85601000", "4635230686", "3.0000", 2},
      {"dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml",
       "MDFe00000000000000000000000000000000000000000000", "6", "2018-10-22T11:06:22-03:00", "1", "00000000000000",
       "INEXISTENTE LTDA ME", "49500133", "00000000", "100.0000", 1},
      {"unimake_example_MDFe_infUnidTransp_2infMunDescarga_2lacres_2nAver.xml",
       "MDFe41220706117473000150580010000008611017220673", "861", "2022-07-20T17:57:31-03:00", "1", "06117473000150",
       "XXXXXX XXXXXX XXXXXX", "87706000", "04433333333", "2879.0000", 2},
      {"nfelib_pr_2veicReboque_infRespTec_unsigned.xml", "MDFe41190876676436000167580010000500001000437558", "50000",
       "2019-08-16T15:00:00-02:00", "1", "76676436000167", "SUL DEFENSIVOS AGRICOLAS LTDA", "83705570", "4121172288",
       "10.0000", 1},
  };
  for (const auto& fact : facts) {
    SCOPED_TRACE(fact.file);
    IXMLInfMDFe inf = Load(fact.file)->infMDFe();
    EXPECT_EQ(ToUtf8(inf->versao()), "3.00");
    EXPECT_EQ(ToUtf8(inf->Id()), fact.id);
    EXPECT_EQ(ToUtf8(inf->ide()->nMDF()), fact.nMDF);
    EXPECT_EQ(ToUtf8(inf->ide()->dhEmi()), fact.dhEmi);
    EXPECT_EQ(ToUtf8(inf->ide()->tpEmis()), fact.tpEmis);
    EXPECT_EQ(ToUtf8(inf->emit()->CNPJ()), fact.cnpj);
    EXPECT_EQ(ToUtf8(inf->emit()->xNome()), fact.xNome);
    EXPECT_EQ(ToUtf8(inf->emit()->enderEmit()->CEP()), fact.cep);
    EXPECT_EQ(ToUtf8(inf->emit()->enderEmit()->fone()), fact.fone);
    EXPECT_EQ(ToUtf8(inf->tot()->qCarga()), fact.qCarga);
    EXPECT_EQ(inf->infDoc()->infMunDescarga()->ItemCount(), fact.municipalities);
    EXPECT_EQ(ToUtf8(inf->infModal()->versaoModal()), "3.00");
  }
}

TEST_F(Samples, LinkedDocumentsUnitsSealsAndInsurance) {
  IXMLInfMDFe inf = Load("unimake_example_MDFe_infUnidTransp_2infMunDescarga_2lacres_2nAver.xml")->infMDFe();
  IXMLInfMunDescarga barueri = inf->infDoc()->infMunDescarga()->Item(0);
  EXPECT_EQ(barueri->xMunDescarga(), u"BARUERI");
  ASSERT_EQ(barueri->infCTe()->ItemCount(), 2);
  EXPECT_EQ(barueri->infCTe()->Item(1)->chCTe(), u"41000000000000000000000000000000000000000004");
  ASSERT_EQ(barueri->infNFe()->ItemCount(), 1);
  EXPECT_EQ(barueri->infMDFeTransp()->ItemCount(), 0);
  IXMLTUnidadeTransp unit = barueri->infNFe()->Item(0)->infUnidTransp()->Item(0);
  EXPECT_EQ(unit->tpUnidTransp(), u"2");
  EXPECT_EQ(unit->idUnidTransp(), u"122");
  EXPECT_EQ(unit->lacUnidTransp()->Item(0)->nLacre(), u"12334");
  IXMLTUnidCarga cargo = unit->infUnidCarga()->Item(0);
  EXPECT_EQ(cargo->idUnidCarga(), u"123");
  EXPECT_EQ(cargo->lacUnidCarga()->Item(0)->nLacre(), u"3333333");
  EXPECT_EQ(inf->infDoc()->infMunDescarga()->Item(1)->infCTe()->Item(0)->chCTe(),
            u"41000000000000000000000000000000000000000000");

  IXMLSeg seg = inf->seg()->Item(0);
  EXPECT_EQ(seg->infResp()->respSeg(), u"1");
  EXPECT_EQ(seg->infSeg()->xSeg(), u"PORTO SEGURO");
  EXPECT_EQ(seg->nApol(), u"033666565656");
  EXPECT_EQ(seg->nAver(), u"0000000000000000000000000000000000000000");
  ASSERT_EQ(inf->lacres()->ItemCount(), 2);
  EXPECT_EQ(inf->lacres()->Item(1)->nLacre(), u"2222222");
  EXPECT_EQ(inf->ide()->dhIniViagem(), u"2022-07-20T17:57:31-03:00");
}

TEST_F(Samples, DangerousGoodsLoadingPlacesAndAdditionalInformation) {
  IXMLInfMDFe inf = Load("dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml")->infMDFe();
  EXPECT_EQ(inf->ide()->infMunCarrega()->ItemCount(), 3);
  EXPECT_EQ(inf->ide()->infMunCarrega()->Item(2)->cMunCarrega(), u"0000000");
  IXMLPeri peri = inf->infDoc()->infMunDescarga()->Item(0)->infCTe()->Item(0)->peri()->Item(0);
  EXPECT_EQ(peri->nONU(), u"0000");
  EXPECT_EQ(peri->qTotProd(), u"quantidade 20");
  EXPECT_EQ(inf->emit()->enderEmit()->xCpl(), u"1 andar");
  EXPECT_EQ(inf->infAdic()->infCpl(), u"TESTE");
}

TEST_F(Samples, PrettyPrintedFileReadsWithoutItsIndentation) {
  IXMLInfMDFe inf = Load("nfelib_pr_2veicReboque_infRespTec_unsigned.xml")->infMDFe();
  EXPECT_EQ(inf->ide()->cMDF(), u"00043755");
  EXPECT_EQ(inf->infAdic()->infCpl(), u"Distancia: 12 KM Passar por: BR105");
  // This address has no "xCpl": it is created empty after "fone", the last child.
  IXMLTEndeEmi address = inf->emit()->enderEmit();
  EXPECT_EQ(address->xCpl(), u"");
  EXPECT_EQ(address->ChildList()->NodeAt(address->ChildList()->Count() - 1)->NodeName(), u"xCpl");
  EXPECT_EQ(address->ChildList()->NodeAt(address->ChildList()->Count() - 2)->NodeName(), u"fone");
}

TEST_F(Samples, SignatureInTheXmlSignatureNamespaceIsNotFound) {
  IXMLTMDFe root = Load("dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml");
  ASSERT_EQ(root->ChildList()->Count(), 2);
  IXMLNode signed_ = root->ChildList()->NodeAt(1);
  const std::string original = Xml(signed_);
  EXPECT_THROW(intf_cast<TXMLSignatureType>(signed_), EIntfCastError);

  IXMLSignatureType signature = root->Signature();
  ASSERT_EQ(root->ChildList()->Count(), 3);
  EXPECT_EQ(root->ChildList()->NodeAt(2), signature);
  EXPECT_EQ(signature->NamespaceURI(), kMdfeNamespace);
  EXPECT_EQ(signature->SignedInfo()->Reference()->DigestValue(), u"");
  EXPECT_EQ(Xml(signed_), original);
}

TEST_F(Samples, AuthorisedWrapperDoesNotBindAsManifest) {
  EXPECT_THAT([] { Load("dfenet_mdfeProc_tabs_signed_wrappedcert.xml"); }, FailsWith("Interface not supported"));
}

}  // namespace
