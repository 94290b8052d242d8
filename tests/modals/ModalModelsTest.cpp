// The air, water and rail block models: one walk over every property of each, then what
// their documents and collections hold.

#include <gtest/gtest.h>

#include "FailsWith.h"
#include "PropertyWalk.h"
#include "TestFiles.h"
#include "mdfeModalAereo_v300.h"
#include "mdfeModalAquaviario_v300.h"
#include "mdfeModalFerroviario_v300.h"

namespace {

const std::string kNs = R"( xmlns="http://www.portalfiscal.inf.br/mdfe")";

template <class Load>
auto LoadText(Load load, const std::string& xml) {
  TempDir dir;
  return load(FromUtf8(dir.Write("block.xml", xml).string()));
}

// Each element holds its own name, which names its row in the walk.
std::string Elements(std::initializer_list<std::string> names, const std::string& prefix = "") {
  std::string xml;
  for (const std::string& name : names) xml += "<" + name + ">" + prefix + name + "</" + name + ">";
  return xml;
}

TEST(ModalModels, EveryPropertyReadsAndWritesItsOwnElement) {
  IXMLAereo air =
      LoadText(LoadAereoDocument,
               "<aereo" + kNs + ">" + Elements({"nac", "matr", "nVoo", "cAerEmb", "cAerDes", "dVoo"}) + "</aereo>");
  WalkProperties(
      air, std::vector<PropertyRow<IXMLAereo>>{PROPERTY_ROW(r, nac, "nac"), PROPERTY_ROW(r, matr, "matr"),
                                               PROPERTY_ROW(r, nVoo, "nVoo"), PROPERTY_ROW(r, cAerEmb, "cAerEmb"),
                                               PROPERTY_ROW(r, cAerDes, "cAerDes"), PROPERTY_ROW(r, dVoo, "dVoo")});

  IXMLAquav water = LoadText(
      LoadAquavDocument,
      "<aquav" + kNs + ">" +
          Elements({"irin", "tpEmb", "cEmbar", "xEmbar", "nViag", "cPrtEmb", "cPrtDest", "prtTrans", "tpNav"}) +
          "<infTermCarreg>" + Elements({"cTermCarreg", "xTermCarreg"}) + "</infTermCarreg><infTermDescarreg>" +
          Elements({"cTermDescarreg", "xTermDescarreg"}) + "</infTermDescarreg><infEmbComb>" +
          Elements({"cEmbComb", "xBalsa"}) + "</infEmbComb><infUnidCargaVazia>" +
          Elements({"idUnidCargaVazia", "tpUnidCargaVazia"}) + "</infUnidCargaVazia><infUnidTranspVazia>" +
          Elements({"idUnidTranspVazia", "tpUnidTranspVazia"}) + "</infUnidTranspVazia>" + Elements({"MMSI"}) +
          "</aquav>");
  auto loading = [](const IXMLAquav& r) { return r->infTermCarreg()->Item(0); };
  auto unloading = [](const IXMLAquav& r) { return r->infTermDescarreg()->Item(0); };
  auto barge = [](const IXMLAquav& r) { return r->infEmbComb()->Item(0); };
  auto cargoUnit = [](const IXMLAquav& r) { return r->infUnidCargaVazia()->Item(0); };
  auto transportUnit = [](const IXMLAquav& r) { return r->infUnidTranspVazia()->Item(0); };
  WalkProperties(water, std::vector<PropertyRow<IXMLAquav>>{
                            PROPERTY_ROW(r, irin, "irin"),
                            PROPERTY_ROW(r, tpEmb, "tpEmb"),
                            PROPERTY_ROW(r, cEmbar, "cEmbar"),
                            PROPERTY_ROW(r, xEmbar, "xEmbar"),
                            PROPERTY_ROW(r, nViag, "nViag"),
                            PROPERTY_ROW(r, cPrtEmb, "cPrtEmb"),
                            PROPERTY_ROW(r, cPrtDest, "cPrtDest"),
                            PROPERTY_ROW(r, prtTrans, "prtTrans"),
                            PROPERTY_ROW(r, tpNav, "tpNav"),
                            PROPERTY_ROW(loading(r), cTermCarreg, "cTermCarreg"),
                            PROPERTY_ROW(loading(r), xTermCarreg, "xTermCarreg"),
                            PROPERTY_ROW(unloading(r), cTermDescarreg, "cTermDescarreg"),
                            PROPERTY_ROW(unloading(r), xTermDescarreg, "xTermDescarreg"),
                            PROPERTY_ROW(barge(r), cEmbComb, "cEmbComb"),
                            PROPERTY_ROW(barge(r), xBalsa, "xBalsa"),
                            PROPERTY_ROW(cargoUnit(r), idUnidCargaVazia, "idUnidCargaVazia"),
                            PROPERTY_ROW(cargoUnit(r), tpUnidCargaVazia, "tpUnidCargaVazia"),
                            PROPERTY_ROW(transportUnit(r), idUnidTranspVazia, "idUnidTranspVazia"),
                            PROPERTY_ROW(transportUnit(r), tpUnidTranspVazia, "tpUnidTranspVazia"),
                            PROPERTY_ROW(r, MMSI, "MMSI"),
                        });

  IXMLFerrov rail =
      LoadText(LoadFerrovDocument,
               "<ferrov" + kNs + "><trem>" + Elements({"xPref", "dhTrem", "xOri", "xDest", "qVag"}) + "</trem><vag>" +
                   Elements({"pesoBC", "pesoR", "tpVag", "serie", "nVag", "nSeq", "TU"}) + "</vag></ferrov>");
  auto train = [](const IXMLFerrov& r) { return r->trem(); };
  auto wagon = [](const IXMLFerrov& r) { return r->vag()->Item(0); };
  WalkProperties(rail, std::vector<PropertyRow<IXMLFerrov>>{
                           PROPERTY_ROW(train(r), xPref, "xPref"), PROPERTY_ROW(train(r), dhTrem, "dhTrem"),
                           PROPERTY_ROW(train(r), xOri, "xOri"), PROPERTY_ROW(train(r), xDest, "xDest"),
                           PROPERTY_ROW(train(r), qVag, "qVag"), PROPERTY_ROW(wagon(r), pesoBC, "pesoBC"),
                           PROPERTY_ROW(wagon(r), pesoR, "pesoR"), PROPERTY_ROW(wagon(r), tpVag, "tpVag"),
                           PROPERTY_ROW(wagon(r), serie, "serie"), PROPERTY_ROW(wagon(r), nVag, "nVag"),
                           PROPERTY_ROW(wagon(r), nSeq, "nSeq"), PROPERTY_ROW(wagon(r), TU, "TU")});
}

TEST(ModalModels, DocumentsBindOnlyTheirRootInTheMdfeNamespace) {
  EXPECT_EQ(ToUtf8(NewAereoDocument()->XML()), "<aereo" + kNs + "/>");
  EXPECT_EQ(ToUtf8(NewFerrovDocument()->XML()), "<ferrov" + kNs + "/>");
  IXMLAquav water = NewAquavDocument();
  water->infEmbComb()->Add()->set_xBalsa(u"BALSA 1");
  EXPECT_EQ(ToUtf8(water->XML()), "<aquav" + kNs + "><infEmbComb><xBalsa>BALSA 1</xBalsa></infEmbComb></aquav>");

  EXPECT_THAT([] { LoadText(LoadFerrovDocument, "<ferrov><trem/></ferrov>"); },
              FailsWith<EIntfCastError>("Interface not supported"))
      << "a block without namespace bound";
  EXPECT_THAT([] { LoadText(LoadAereoDocument, "<rodo" + kNs + "/>"); },
              FailsWith<EIntfCastError>("Interface not supported"));
}

TEST(ModalModels, CollectionsCountOnlyTheirOwnTags) {
  IXMLAquav water = LoadText(LoadAquavDocument, "<aquav" + kNs +
                                                    "><infTermCarreg/><infTermDescarreg/><infTermCarreg/>"
                                                    "<infEmbComb/><infEmbComb/><infEmbComb/><MMSI>1</MMSI></aquav>");
  EXPECT_EQ(water->infTermCarreg()->ItemCount(), 2);
  EXPECT_EQ(water->infTermDescarreg()->ItemCount(), 1);
  EXPECT_EQ(water->infEmbComb()->ItemCount(), 3);
  EXPECT_EQ(water->infUnidCargaVazia()->ItemCount() + water->infUnidTranspVazia()->ItemCount(), 0);
  IXMLFerrov rail = LoadText(LoadFerrovDocument, "<ferrov" + kNs +
                                                     "><trem/><vag><nVag>1</nVag></vag><note/>"
                                                     "<vag><nVag>2</nVag></vag></ferrov>");
  ASSERT_EQ(rail->vag()->ItemCount(), 2);
  EXPECT_EQ(rail->vag()->Item(1)->nVag(), u"2");
}

}  // namespace
