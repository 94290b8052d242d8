#include <gtest/gtest.h>

#include "PropertyWalk.h"
#include "TestFiles.h"
#include "XmlTestSupport.h"
#include "mdfeModalRodoviario_v300.h"

namespace {

using Row = PropertyRow<IXMLRodo>;

IXMLRodo LoadFixture(const std::string& name) {
  return LoadRodoDocument(FromUtf8(DAMDFE_SOURCE_DIR "/tests/rodo/fixtures/" + name));
}

IXMLRodo LoadRodoText(const std::string& xml) {
  TempDir dir;
  return LoadRodoDocument(FromUtf8(dir.Write("rodo.xml", xml).string()));
}

template <class Owner>
std::vector<Row> OwnerRows(Owner prop, const std::string& p) {
  return {
      PROPERTY_ROW(prop(r), CPF, p + ".CPF"),       PROPERTY_ROW(prop(r), CNPJ, p + ".CNPJ"),
      PROPERTY_ROW(prop(r), RNTRC, p + ".RNTRC"),   PROPERTY_ROW(prop(r), xNome, p + ".xNome"),
      PROPERTY_ROW(prop(r), IE, p + ".IE"),         PROPERTY_ROW(prop(r), UF, p + ".UF"),
      PROPERTY_ROW(prop(r), tpProp, p + ".tpProp"),
  };
}

std::vector<Row> RoadRows() {
  auto antt = [](const IXMLRodo& r) { return r->infANTT(); };
  auto disp = [=](const IXMLRodo& r) { return antt(r)->valePed()->disp(0); };
  auto tracao = [](const IXMLRodo& r) { return r->veicTracao(); };
  auto reboque = [](const IXMLRodo& r) { return r->veicReboque()->Item(0); };
  std::vector<Row> rows = {
      PROPERTY_ROW(antt(r), RNTRC, "infANTT.RNTRC"),
      PROPERTY_ROW(antt(r)->infCIOT()->Item(0), CIOT, "infCIOT.CIOT"),
      PROPERTY_ROW(antt(r)->infCIOT()->Item(0), CPF, "infCIOT.CPF"),
      PROPERTY_ROW(antt(r)->infCIOT()->Item(0), CNPJ, "infCIOT.CNPJ"),
      PROPERTY_ROW(disp(r), CNPJForn, "disp.CNPJForn"),
      PROPERTY_ROW(disp(r), CNPJPg, "disp.CNPJPg"),
      PROPERTY_ROW(disp(r), CPFPg, "disp.CPFPg"),
      PROPERTY_ROW(disp(r), nCompra, "disp.nCompra"),
      PROPERTY_ROW(disp(r), vValePed, "disp.vValePed"),
      PROPERTY_ROW(antt(r)->infContratante()->Item(0), CPF, "infContratante.CPF"),
      PROPERTY_ROW(antt(r)->infContratante()->Item(0), CNPJ, "infContratante.CNPJ"),
      PROPERTY_ROW(tracao(r), cInt, "veicTracao.cInt"),
      PROPERTY_ROW(tracao(r), placa, "veicTracao.placa"),
      PROPERTY_ROW(tracao(r), RENAVAM, "veicTracao.RENAVAM"),
      PROPERTY_ROW(tracao(r), tara, "veicTracao.tara"),
      PROPERTY_ROW(tracao(r), capKG, "veicTracao.capKG"),
      PROPERTY_ROW(tracao(r), capM3, "veicTracao.capM3"),
      PROPERTY_ROW(tracao(r)->condutor(), xNome, "condutor.xNome"),
      PROPERTY_ROW(tracao(r)->condutor(), CPF, "condutor.CPF"),
      PROPERTY_ROW(tracao(r), tpRod, "veicTracao.tpRod"),
      PROPERTY_ROW(tracao(r), tpCar, "veicTracao.tpCar"),
      PROPERTY_ROW(tracao(r), UF, "veicTracao.UF"),
      PROPERTY_ROW(reboque(r), cInt, "veicReboque.cInt"),
      PROPERTY_ROW(reboque(r), placa, "veicReboque.placa"),
      PROPERTY_ROW(reboque(r), RENAVAM, "veicReboque.RENAVAM"),
      PROPERTY_ROW(reboque(r), tara, "veicReboque.tara"),
      PROPERTY_ROW(reboque(r), capKG, "veicReboque.capKG"),
      PROPERTY_ROW(reboque(r), capM3, "veicReboque.capM3"),
      PROPERTY_ROW(reboque(r), tpCar, "veicReboque.tpCar"),
      PROPERTY_ROW(reboque(r), UF, "veicReboque.UF"),
      PROPERTY_ROW(r, codAgPorto, "rodo.codAgPorto"),
      PROPERTY_ROW(r->lacRodo()->Item(0), nLacre, "lacRodo.nLacre"),
  };
  auto tracaoProp = [=](const IXMLRodo& r) { return tracao(r)->prop(); };
  auto reboqueProp = [=](const IXMLRodo& r) { return reboque(r)->prop(); };
  for (auto& owners : {OwnerRows(tracaoProp, "tracao.prop"), OwnerRows(reboqueProp, "reboque.prop")}) {
    rows.insert(rows.end(), owners.begin(), owners.end());
  }
  return rows;
}

TEST(RodoModel, EveryPropertyReadsAndWritesItsOwnElement) {
  WalkProperties(LoadFixture("every_element.xml"), RoadRows());
}

TEST(RodoModel, BlockThatDeclaresTheNamespaceBindsAndReadsAsWritten) {
  IXMLRodo rodo = LoadFixture("rodo_declares_namespace.xml");
  EXPECT_EQ(rodo->infANTT()->RNTRC(), u"12345678");
  EXPECT_EQ(rodo->infANTT()->infCIOT()->ItemCount(), 0);
  ASSERT_EQ(rodo->infANTT()->infContratante()->ItemCount(), 1);
  EXPECT_EQ(rodo->infANTT()->infContratante()->Item(0)->CPF(), u"01234567890");
  IXMLVeicTracao tracao = rodo->veicTracao();
  EXPECT_EQ(tracao->placa(), u"ABC1011");
  EXPECT_EQ(tracao->tara(), u"0");
  EXPECT_EQ(tracao->tpRod(), u"01");
  EXPECT_EQ(tracao->prop()->IE(), u"");
  EXPECT_EQ(tracao->condutor()->xNome(), u"CLEITON");
  EXPECT_EQ(tracao->condutor()->CPF(), u"06844990960");
  ASSERT_EQ(rodo->veicReboque()->ItemCount(), 1);
  EXPECT_EQ(rodo->veicReboque()->Item(0)->capM3(), u"180");
  EXPECT_EQ(rodo->veicReboque()->Item(0)->prop()->xNome(), u"ALISSON");
  EXPECT_EQ(rodo->lacRodo()->ItemCount(), 0);
}

TEST(RodoModel, BlockThatInheritedTheNamespaceDoesNotBind) {
  EXPECT_THAT([] { LoadFixture("rodo_inherits_namespace.xml"); }, FailsWith<EIntfCastError>("Interface not supported"))
      << "a \"rodo\" without namespace bound";
}

TEST(RodoModel, NewDocumentIsDeclarationAndEmptyRoot) {
  IXMLRodo rodo = NewRodoDocument();
  IXMLNodeList top = rodo->OwnerDocument().DocumentNode()->ChildList();
  ASSERT_EQ(top->Count(), 2);
  EXPECT_EQ(top->NodeAt(0)->ReadText(), u"version=\"1.0\"");
  EXPECT_EQ(ToUtf8(rodo->XML()), R"(<rodo xmlns="http://www.portalfiscal.inf.br/mdfe"/>)");
  EXPECT_EQ(rodo->veicReboque()->ItemCount() + rodo->lacRodo()->ItemCount(), 0);
  EXPECT_EQ(rodo->veicTracao()->placa(), u"");

  IXMLVeicReboque trailer = rodo->veicReboque()->Add();
  trailer->prop()->set_CNPJ(u"06117473000150");
  IXMLDisp voucher = rodo->infANTT()->valePed()->Add();
  voucher->set_vValePed(u"100.00");
  EXPECT_EQ(ToUtf8(rodo->XML()),
            R"(<rodo xmlns="http://www.portalfiscal.inf.br/mdfe"><veicTracao><placa></placa></veicTracao>)"
            "<veicReboque><prop><CNPJ>06117473000150</CNPJ></prop></veicReboque>"
            "<infANTT><valePed><disp><vValePed>100.00</vValePed></disp></valePed></infANTT></rodo>");
}

TEST(RodoModel, CollectionsCountOwnTagsAndSingleChildrenTakeTheFirst) {
  IXMLRodo rodo = LoadRodoText(R"(<rodo xmlns="http://www.portalfiscal.inf.br/mdfe">
      <infANTT><infCIOT><CIOT>1</CIOT></infCIOT><infContratante><CNPJ>A</CNPJ></infContratante>
        <infCIOT><CIOT>2</CIOT></infCIOT><valePed><disp/><note/><disp/></valePed></infANTT>
      <veicTracao><condutor><xNome>PRIMEIRO</xNome></condutor><condutor><xNome>SEGUNDO</xNome></condutor></veicTracao>
      <lacRodo/><veicReboque/><lacRodo/><lacRodo/></rodo>)");
  IXMLInfANTT antt = rodo->infANTT();
  EXPECT_EQ(antt->infCIOT()->ItemCount(), 2);
  EXPECT_EQ(antt->infCIOT()->Item(1)->CIOT(), u"2");
  EXPECT_EQ(antt->infContratante()->ItemCount(), 1);
  EXPECT_EQ(antt->valePed()->ItemCount(), 2);
  EXPECT_EQ(rodo->veicReboque()->ItemCount(), 1);
  EXPECT_EQ(rodo->lacRodo()->ItemCount(), 3);
  IXMLVeicTracao tracao = rodo->veicTracao();
  EXPECT_EQ(tracao->condutor()->xNome(), u"PRIMEIRO");
  tracao->condutor()->set_CPF(u"00000000191");
  EXPECT_EQ(ToUtf8(tracao->ChildList()->NodeAt(1)->XML()),
            R"(<condutor xmlns="http://www.portalfiscal.inf.br/mdfe"><xNome>SEGUNDO</xNome></condutor>)");
}

}  // namespace
