#include <gtest/gtest.h>

#include "MdfeTestSupport.h"
#include "PropertyWalk.h"

namespace {

using Row = PropertyRow<IXMLTMDFe>;

const std::string kOpen = R"(<MDFe xmlns="http://www.portalfiscal.inf.br/mdfe"><infMDFe>)";
const std::string kClose = "</infMDFe></MDFe>";

// Transport units, their seals and cargo units, and dangerous goods, under one parent.
template <class Parent>
std::vector<Row> UnitRows(Parent parent, const std::string& p) {
  auto unit = [=](const IXMLTMDFe& r) { return parent(r)->infUnidTransp()->Item(0); };
  auto cargo = [=](const IXMLTMDFe& r) { return unit(r)->infUnidCarga()->Item(0); };
  auto peri = [=](const IXMLTMDFe& r) { return parent(r)->peri()->Item(0); };
  return {
      PROPERTY_ROW(unit(r), tpUnidTransp, p + ".tpUnidTransp"),
      PROPERTY_ROW(unit(r), idUnidTransp, p + ".idUnidTransp"),
      PROPERTY_ROW(unit(r)->lacUnidTransp()->Item(0), nLacre, p + ".lacUnidTransp.nLacre"),
      PROPERTY_ROW(cargo(r), tpUnidCarga, p + ".tpUnidCarga"),
      PROPERTY_ROW(cargo(r), idUnidCarga, p + ".idUnidCarga"),
      PROPERTY_ROW(cargo(r)->lacUnidCarga()->Item(0), nLacre, p + ".lacUnidCarga.nLacre"),
      PROPERTY_ROW(cargo(r), qtdRat, p + ".infUnidCarga.qtdRat"),
      PROPERTY_ROW(unit(r), qtdRat, p + ".infUnidTransp.qtdRat"),
      PROPERTY_ROW(peri(r), nONU, p + ".nONU"),
      PROPERTY_ROW(peri(r), xNomeAE, p + ".xNomeAE"),
      PROPERTY_ROW(peri(r), xClaRisco, p + ".xClaRisco"),
      PROPERTY_ROW(peri(r), grEmb, p + ".grEmb"),
      PROPERTY_ROW(peri(r), qTotProd, p + ".qTotProd"),
      PROPERTY_ROW(peri(r), qVolTipo, p + ".qVolTipo"),
  };
}

// No property returns the list that "seg" hosts; a second one over the same children stands in.
IXMLNAverList NAverListOf(const IXMLSeg& seg) {
  TXMLNAverList* list = seg->HostCollection<TXMLNAverList>(u"nAver");
  return IXMLNAverList(seg.document(), std::shared_ptr<TXMLNAverList>(seg.shared(), list));
}

std::vector<Row> ManifestRows() {
  auto inf = [](const IXMLTMDFe& r) { return r->infMDFe(); };
  auto ide = [=](const IXMLTMDFe& r) { return inf(r)->ide(); };
  auto emit = [=](const IXMLTMDFe& r) { return inf(r)->emit(); };
  auto ender = [=](const IXMLTMDFe& r) { return emit(r)->enderEmit(); };
  auto mun = [=](const IXMLTMDFe& r) { return inf(r)->infDoc()->infMunDescarga()->Item(0); };
  auto cte = [=](const IXMLTMDFe& r) { return mun(r)->infCTe()->Item(0); };
  auto nfe = [=](const IXMLTMDFe& r) { return mun(r)->infNFe()->Item(0); };
  auto mdfe = [=](const IXMLTMDFe& r) { return mun(r)->infMDFeTransp()->Item(0); };
  auto seg = [=](const IXMLTMDFe& r) { return inf(r)->seg()->Item(0); };
  auto tot = [=](const IXMLTMDFe& r) { return inf(r)->tot(); };
  auto sig = [](const IXMLTMDFe& r) { return r->Signature(); };
  auto ref = [=](const IXMLTMDFe& r) { return sig(r)->SignedInfo()->Reference(); };
  std::vector<Row> rows = {
      PROPERTY_ROW(inf(r), versao, "infMDFe.versao"),
      PROPERTY_ROW(inf(r), Id, "infMDFe.Id"),
      PROPERTY_ROW(ide(r), cUF, "ide.cUF"),
      PROPERTY_ROW(ide(r), tpAmb, "ide.tpAmb"),
      PROPERTY_ROW(ide(r), tpEmit, "ide.tpEmit"),
      PROPERTY_ROW(ide(r), tpTransp, "ide.tpTransp"),
      PROPERTY_ROW(ide(r), mod, "ide.mod"),
      PROPERTY_ROW(ide(r), serie, "ide.serie"),
      PROPERTY_ROW(ide(r), nMDF, "ide.nMDF"),
      PROPERTY_ROW(ide(r), cMDF, "ide.cMDF"),
      PROPERTY_ROW(ide(r), cDV, "ide.cDV"),
      PROPERTY_ROW(ide(r), modal, "ide.modal"),
      PROPERTY_ROW(ide(r), dhEmi, "ide.dhEmi"),
      PROPERTY_ROW(ide(r), tpEmis, "ide.tpEmis"),
      PROPERTY_ROW(ide(r), procEmi, "ide.procEmi"),
      PROPERTY_ROW(ide(r), verProc, "ide.verProc"),
      PROPERTY_ROW(ide(r), UFIni, "ide.UFIni"),
      PROPERTY_ROW(ide(r), UFFim, "ide.UFFim"),
      PROPERTY_ROW(ide(r)->infMunCarrega()->Item(0), cMunCarrega, "infMunCarrega.cMunCarrega"),
      PROPERTY_ROW(ide(r)->infMunCarrega()->Item(0), xMunCarrega, "infMunCarrega.xMunCarrega"),
      PROPERTY_ROW(ide(r)->infPercurso()->Item(0), UFPer, "infPercurso.UFPer"),
      PROPERTY_ROW(ide(r), dhIniViagem, "ide.dhIniViagem"),
      PROPERTY_ROW(ide(r), indCanalVerde, "ide.indCanalVerde"),
      PROPERTY_ROW(emit(r), CNPJ, "emit.CNPJ"),
      PROPERTY_ROW(emit(r), IE, "emit.IE"),
      PROPERTY_ROW(emit(r), xNome, "emit.xNome"),
      PROPERTY_ROW(emit(r), xFant, "emit.xFant"),
      PROPERTY_ROW(ender(r), xLgr, "enderEmit.xLgr"),
      PROPERTY_ROW(ender(r), nro, "enderEmit.nro"),
      PROPERTY_ROW(ender(r), xCpl, "enderEmit.xCpl"),
      PROPERTY_ROW(ender(r), xBairro, "enderEmit.xBairro"),
      PROPERTY_ROW(ender(r), cMun, "enderEmit.cMun"),
      PROPERTY_ROW(ender(r), xMun, "enderEmit.xMun"),
      PROPERTY_ROW(ender(r), CEP, "enderEmit.CEP"),
      PROPERTY_ROW(ender(r), UF, "enderEmit.UF"),
      PROPERTY_ROW(ender(r), fone, "enderEmit.fone"),
      PROPERTY_ROW(ender(r), email, "enderEmit.email"),
      PROPERTY_ROW(inf(r)->infModal(), versaoModal, "infModal.versaoModal"),
      PROPERTY_ROW(mun(r), cMunDescarga, "infMunDescarga.cMunDescarga"),
      PROPERTY_ROW(mun(r), xMunDescarga, "infMunDescarga.xMunDescarga"),
      PROPERTY_ROW(cte(r), chCTe, "infCTe.chCTe"),
      PROPERTY_ROW(cte(r), SegCodBarra, "infCTe.SegCodBarra"),
      PROPERTY_ROW(cte(r), indReentrega, "infCTe.indReentrega"),
      PROPERTY_ROW(nfe(r), chNFe, "infNFe.chNFe"),
      PROPERTY_ROW(nfe(r), SegCodBarra, "infNFe.SegCodBarra"),
      PROPERTY_ROW(nfe(r), indReentrega, "infNFe.indReentrega"),
      PROPERTY_ROW(mdfe(r), chMDFe, "infMDFeTransp.chMDFe"),
      PROPERTY_ROW(mdfe(r), indReentrega, "infMDFeTransp.indReentrega"),
      PROPERTY_ROW(seg(r)->infResp(), respSeg, "infResp.respSeg"),
      PROPERTY_ROW(seg(r)->infResp(), CNPJ, "infResp.CNPJ"),
      PROPERTY_ROW(seg(r)->infResp(), CPF, "infResp.CPF"),
      PROPERTY_ROW(seg(r)->infSeg(), xSeg, "infSeg.xSeg"),
      PROPERTY_ROW(seg(r)->infSeg(), CNPJ, "infSeg.CNPJ"),
      PROPERTY_ROW(seg(r), nApol, "seg.nApol"),
      PROPERTY_ROW(seg(r), nAver, "seg.nAver"),
      PROPERTY_ROW(tot(r), qCTe, "tot.qCTe"),
      PROPERTY_ROW(tot(r), qNFe, "tot.qNFe"),
      PROPERTY_ROW(tot(r), qMDFe, "tot.qMDFe"),
      PROPERTY_ROW(tot(r), vCarga, "tot.vCarga"),
      PROPERTY_ROW(tot(r), cUnid, "tot.cUnid"),
      PROPERTY_ROW(tot(r), qCarga, "tot.qCarga"),
      PROPERTY_ROW(inf(r)->lacres()->Item(0), nLacre, "lacres.nLacre"),
      PROPERTY_ROW(inf(r)->autXML(), CNPJ, "autXML.CNPJ"),
      PROPERTY_ROW(inf(r)->autXML(), CPF, "autXML.CPF"),
      PROPERTY_ROW(inf(r)->infAdic(), infAdFisco, "infAdic.infAdFisco"),
      PROPERTY_ROW(inf(r)->infAdic(), infCpl, "infAdic.infCpl"),
      PROPERTY_ROW(sig(r), Id, "Signature.Id"),
      PROPERTY_ROW(sig(r)->SignedInfo(), Id, "SignedInfo.Id"),
      PROPERTY_ROW(sig(r)->SignedInfo()->CanonicalizationMethod(), Algorithm, "CanonicalizationMethod.Algorithm"),
      PROPERTY_ROW(sig(r)->SignedInfo()->SignatureMethod(), Algorithm, "SignatureMethod.Algorithm"),
      PROPERTY_ROW(ref(r), Id, "Reference.Id"),
      PROPERTY_ROW(ref(r), URI, "Reference.URI"),
      PROPERTY_ROW(ref(r), Type, "Reference.Type"),
      PROPERTY_ROW(ref(r)->Transforms()->Transform(0), Algorithm, "Transform.Algorithm"),
      PROPERTY_ROW(ref(r)->DigestMethod(), Algorithm, "DigestMethod.Algorithm"),
      PROPERTY_ROW(ref(r), DigestValue, "Reference.DigestValue"),
      PROPERTY_ROW(sig(r)->SignatureValue(), Id, "SignatureValue.Id"),
      PROPERTY_ROW(sig(r)->KeyInfo(), Id, "KeyInfo.Id"),
      PROPERTY_ROW(sig(r)->KeyInfo()->X509Data(), X509Certificate, "X509Data.X509Certificate"),
  };
  for (auto& units : {UnitRows(cte, "cte"), UnitRows(nfe, "nfe"), UnitRows(mdfe, "mdfe")}) {
    rows.insert(rows.end(), units.begin(), units.end());
  }
  return rows;
}

TEST(MdfeModel, EveryPropertyReadsAndWritesItsOwnElement) {
  IXMLTMDFe root = LoadMdfeDocument(FromUtf8(DAMDFE_SOURCE_DIR "/tests/mdfe/fixtures/every_element.xml"));
  WalkProperties(root, ManifestRows());

  IXMLReferenceType reference = root->Signature()->SignedInfo()->Reference();
  EXPECT_EQ(reference->Transforms()->Transform(0)->XPath(0), u"Transform.XPath");
  EXPECT_EQ(root->Signature()->SignatureValue()->ReadText(), u"c2lnbmF0dXJl");
  EXPECT_EQ(Xml(root->infMDFe()->infModal()->ChildList()->NodeAt(0)),
            R"(<rodo xmlns="http://www.portalfiscal.inf.br/mdfe"><codAgPorto>untouched</codAgPorto></rodo>)");
}

TEST(MdfeModel, NewDocumentIsDeclarationAndEmptyRootThatGrowsOnReading) {
  IXMLTMDFe root = NewMdfeDocument();
  IXMLNodeList top = root->OwnerDocument().DocumentNode()->ChildList();
  ASSERT_EQ(top->Count(), 2);
  EXPECT_EQ(top->NodeAt(0)->ReadText(), u"version=\"1.0\"");
  EXPECT_EQ(Xml(root), R"(<MDFe xmlns="http://www.portalfiscal.inf.br/mdfe"/>)");

  EXPECT_EQ(root->infMDFe()->Id(), u"");
  EXPECT_EQ(Xml(root), R"(<MDFe xmlns="http://www.portalfiscal.inf.br/mdfe"><infMDFe Id=""/></MDFe>)");
  // A signature block built through the model lies in the MDF-e namespace throughout.
  IXMLX509DataType x509 = root->Signature()->KeyInfo()->X509Data();
  x509->set_X509Certificate(u"not base64 at all");
  EXPECT_EQ(x509->X509Certificate(), u"not base64 at all");
  EXPECT_EQ(x509->NamespaceURI(), kMdfeNamespace);
  EXPECT_EQ(root->ChildList()->NodeAt(1)->NodeName(), u"Signature");
}

TEST(MdfeModel, MissingElementsAreCreatedEmptyAtTheEndOfTheirParent) {
  IXMLTMDFe root = LoadManifestText(kOpen +
                                    "<emit><xNome>X</xNome><enderEmit><UF>PR</UF><email>a@b</email></enderEmit>"
                                    "<extra>kept</extra></emit>" +
                                    kClose);
  IXMLEmit emit = root->infMDFe()->emit();
  EXPECT_EQ(emit->enderEmit()->xCpl(), u"");
  EXPECT_EQ(emit->CNPJ(), u"");
  EXPECT_EQ(root->infMDFe()->tot()->qCarga(), u"");
  EXPECT_EQ(Xml(root), kOpen +
                           "<emit><xNome>X</xNome><enderEmit><UF>PR</UF><email>a@b</email><xCpl></xCpl></enderEmit>"
                           "<extra>kept</extra><CNPJ></CNPJ></emit><tot><qCarga></qCarga></tot>" +
                           kClose);
}

TEST(MdfeModel, SingleChildPropertiesTakeTheFirstOfSeveral) {
  IXMLTMDFe root = LoadManifestText(kOpen +
                                    "<autXML><CNPJ>111</CNPJ></autXML><autXML><CPF>222</CPF></autXML>"
                                    "<seg><nAver>A1</nAver><nAver>A2</nAver></seg>" +
                                    kClose);
  IXMLInfMDFe inf = root->infMDFe();
  EXPECT_EQ(inf->autXML()->CNPJ(), u"111");
  EXPECT_EQ(inf->autXML()->CPF(), u"");
  inf->seg()->Item(0)->set_nAver(u"A1b");
  EXPECT_EQ(inf->seg()->Item(0)->nAver(), u"A1b");
  EXPECT_EQ(Xml(root), kOpen +
                           "<autXML><CNPJ>111</CNPJ><CPF></CPF></autXML><autXML><CPF>222</CPF></autXML>"
                           "<seg><nAver>A1b</nAver><nAver>A2</nAver></seg>" +
                           kClose);
}

TEST(MdfeModel, AppendsGoAfterTheLastChildAndInsertsCountEveryChild) {
  IXMLTMDFe root = LoadManifestText(kOpen +
                                    "<ide><cUF>41</cUF><infMunCarrega><xMunCarrega>B</xMunCarrega></infMunCarrega>"
                                    "<indCanalVerde>1</indCanalVerde></ide><infDoc/>" +
                                    kClose);
  IXMLInfMunCarregaList loads = root->infMDFe()->ide()->infMunCarrega();
  loads->Add()->set_xMunCarrega(u"C");
  loads->Insert(0)->set_xMunCarrega(u"A");
  ASSERT_EQ(loads->ItemCount(), 3);
  char16_t expected = u'A';
  for (auto load : *loads) EXPECT_EQ(load->xMunCarrega(), std::u16string(1, expected++));
  EXPECT_EQ(
      Xml(root->infMDFe()->ide()),
      R"(<ide xmlns="http://www.portalfiscal.inf.br/mdfe"><infMunCarrega><xMunCarrega>A</xMunCarrega></infMunCarrega>)"
      "<cUF>41</cUF><infMunCarrega><xMunCarrega>B</xMunCarrega></infMunCarrega><indCanalVerde>1</indCanalVerde>"
      "<infMunCarrega><xMunCarrega>C</xMunCarrega></infMunCarrega></ide>");

  IXMLInfMunDescargaList unloads = root->infMDFe()->infDoc()->infMunDescarga();
  EXPECT_EQ(unloads->ItemCount(), 0);
  IXMLInfMunDescarga first = unloads->Add();
  EXPECT_EQ(first->infCTe()->ItemCount() + first->infNFe()->ItemCount() + first->infMDFeTransp()->ItemCount(), 0);
  first->infNFe()->Add()->infUnidTransp()->Add()->infUnidCarga()->Add()->lacUnidCarga()->Add()->set_nLacre(u"L1");
  EXPECT_EQ(Xml(first), R"(<infMunDescarga xmlns="http://www.portalfiscal.inf.br/mdfe"><infNFe><infUnidTransp>)"
                        "<infUnidCarga><lacUnidCarga><nLacre>L1</nLacre></lacUnidCarga></infUnidCarga>"
                        "</infUnidTransp></infNFe></infMunDescarga>");
}

TEST(MdfeModel, EachDocumentListCountsOnlyItsOwnTag) {
  IXMLTMDFe root = LoadManifestText(
      kOpen +
      "<infDoc><infMunDescarga><infCTe><chCTe>C1</chCTe></infCTe><infNFe><chNFe>N1</chNFe></infNFe>"
      "<infMDFeTransp><chMDFe>M1</chMDFe></infMDFeTransp><infCTe><segCodBarra>small s</segCodBarra></infCTe>"
      "<infNFe><chNFe>N2</chNFe></infNFe></infMunDescarga></infDoc>" +
      kClose);
  IXMLInfMunDescarga mun = root->infMDFe()->infDoc()->infMunDescarga()->Item(0);
  ASSERT_EQ(mun->infCTe()->ItemCount(), 2);
  ASSERT_EQ(mun->infNFe()->ItemCount(), 2);
  ASSERT_EQ(mun->infMDFeTransp()->ItemCount(), 1);
  EXPECT_EQ(mun->infCTe()->Item(0)->chCTe(), u"C1");
  EXPECT_EQ(mun->infNFe()->Item(1)->chNFe(), u"N2");
  EXPECT_EQ(mun->infMDFeTransp()->Item(0)->chMDFe(), u"M1");
  EXPECT_EQ(mun->infCTe()->Item(1)->SegCodBarra(), u"") << "the name is matched with its capital S";
  EXPECT_THAT([&] { mun->infCTe()->Item(2); }, FailsWith("List index out of bounds (2)"));
}

TEST(MdfeModel, EmptyNAverItemFailsWhileEmptyXPathReadsEmpty) {
  IXMLTMDFe root = LoadManifestText(
      R"(<MDFe xmlns="http://www.portalfiscal.inf.br/mdfe"><infMDFe><seg><nAver/><nAver>0042</nAver></seg></infMDFe>)"
      R"(<Signature><SignedInfo><Reference><Transforms><Transform Algorithm="a"><XPath/><other/></Transform>)"
      R"(</Transforms></Reference></SignedInfo></Signature></MDFe>)");
  IXMLSeg seg = root->infMDFe()->seg()->Item(0);
  IXMLNAverList averbacoes = NAverListOf(seg);
  EXPECT_THAT([&] { averbacoes->Item(0); }, FailsWith("Could not convert variant of type (Null) into type (OleStr)"));
  EXPECT_EQ(averbacoes->Item(1), u"0042");
  EXPECT_EQ(averbacoes->Add(u"0099")->ReadText(), u"0099");
  EXPECT_EQ(averbacoes->Item(2), u"0099");
  EXPECT_EQ(seg->nAver(), u"") << "the text property reads the empty first one without error";

  IXMLTransformType transform = root->Signature()->SignedInfo()->Reference()->Transforms()->Transform(0);
  EXPECT_EQ(transform->XPath(0), u"");
  transform->Add(u"not(ancestor-or-self::ds:Signature)");
  transform->Insert(0, u"first");
  ASSERT_EQ(transform->ItemCount(), 3) << "\"other\" is no item";
  EXPECT_EQ(transform->XPath(0), u"first");
  EXPECT_EQ(transform->XPath(2), u"not(ancestor-or-self::ds:Signature)");
  EXPECT_EQ(transform->Algorithm(), u"a");
  // Both are text lists, yet a "Transform" must not pass for the list of "nAver" values.
  EXPECT_THROW(intf_cast<TXMLNAverList>(IXMLNode(transform)), EIntfCastError);
}

TEST(MdfeModel, ValuesAreKeptAsTheExactText) {
  IXMLTMDFe root = NewMdfeDocument();
  IXMLInfMDFe inf = root->infMDFe();
  const std::u16string values[] = {u"Transportes São João Ltda — ÁÉÍÓÚ ç", u"000123", u"2879.0000",
                                   u" 2024-01-31T08:00:00-03:00 "};
  for (const auto& value : values) {
    inf->emit()->set_xNome(value);
    inf->ide()->set_dhEmi(value);
    inf->tot()->set_qCarga(value);
    EXPECT_EQ(inf->emit()->xNome(), value);
    EXPECT_EQ(inf->ide()->dhEmi(), value);
    EXPECT_EQ(inf->tot()->qCarga(), value);
  }
}

TEST(MdfeModel, RootMustBeMdfeInItsNamespace) {
  EXPECT_NO_THROW(LoadManifestText(R"(<MDFe xmlns="HTTP://WWW.PORTALFISCAL.INF.BR/MDFE"/>)"));
  EXPECT_THAT([] { LoadManifestText("<MDFe/>"); }, FailsWith("Interface not supported"));
  EXPECT_THROW(LoadManifestText("<MDFe"), EDOMParseError);
}

}  // namespace
