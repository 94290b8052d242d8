#include "ModalParameters.h"

#include <functional>
#include <string>

#include "ParameterText.h"

namespace {

using TSetter = std::function<void(const char*, const std::u16string&)>;

void SetAircraft(const IXMLAereo& air, const TSetter& set) {
  set("aereo_nac", air->nac());
  set("aereo_matr", air->matr());
  set("aereo_nVoo", air->nVoo());
  set("aereo_cAerEmb", air->cAerEmb());
  set("aereo_cAerDes", air->cAerDes());
  set("aereo_dVoo", air->dVoo());
}

// One row per item of a collection.
template <class List, class AddRow>
std::u16string RowsOf(const List& list, AddRow addRow) {
  TRows rows;
  for (const auto& item : *list) addRow(rows, item);
  return rows.Text();
}

void SetVessel(const IXMLAquav& water, const TSetter& set) {
  set("aquav_irin", water->irin());
  set("aquav_tpEmb", water->tpEmb());
  set("aquav_cEmbar", water->cEmbar());
  set("aquav_xEmbar", water->xEmbar());
  set("aquav_nViag", water->nViag());
  set("aquav_cPrtEmb", water->cPrtEmb());
  set("aquav_cPrtDest", water->cPrtDest());
  set("aquav_prtTrans", water->prtTrans());
  set("aquav_tpNav", water->tpNav());
  set("aquav_terminais_carregamento", RowsOf(water->infTermCarreg(), [](TRows& rows, const IXMLInfTermCarreg& t) {
        rows.Add({t->cTermCarreg(), t->xTermCarreg()});
      }));
  set("aquav_terminais_descarregamento",
      RowsOf(water->infTermDescarreg(), [](TRows& rows, const IXMLInfTermDescarreg& t) {
        rows.Add({t->cTermDescarreg(), t->xTermDescarreg()});
      }));
  set("aquav_comboio", RowsOf(water->infEmbComb(), [](TRows& rows, const IXMLInfEmbComb& barge) {
        rows.Add({barge->cEmbComb(), barge->xBalsa()});
      }));
  set("aquav_unidades_carga_vazias",
      RowsOf(water->infUnidCargaVazia(), [](TRows& rows, const IXMLInfUnidCargaVazia& unit) {
        rows.Add({unit->idUnidCargaVazia(), unit->tpUnidCargaVazia()});
      }));
  set("aquav_unidades_transporte_vazias",
      RowsOf(water->infUnidTranspVazia(), [](TRows& rows, const IXMLInfUnidTranspVazia& unit) {
        rows.Add({unit->idUnidTranspVazia(), unit->tpUnidTranspVazia()});
      }));
  set("aquav_MMSI", water->MMSI());
}

void SetTrain(const IXMLFerrov& rail, const TSetter& set) {
  set("ferrov_xPref", rail->trem()->xPref());
  set("ferrov_dhTrem", rail->trem()->dhTrem());
  set("ferrov_xOri", rail->trem()->xOri());
  set("ferrov_xDest", rail->trem()->xDest());
  set("ferrov_qVag", rail->trem()->qVag());
  set("ferrov_vagoes", RowsOf(rail->vag(), [](TRows& rows, const IXMLVag& wagon) {
        // Series and number first, as the wagon's plate reads.
        rows.Add({wagon->serie(), wagon->nVag(), wagon->nSeq(), wagon->tpVag(), wagon->pesoBC(), wagon->pesoR(),
                  wagon->TU()});
      }));
}

}  // namespace

void SetModalParameters(const TLoadedManifest& loaded, IParameterSink& sink) {
  const TSetter set = [&sink](const char* name, const std::u16string& value) { sink.SetParam(name, ToUtf8(value)); };
  auto flag = [](bool on) { return on ? std::u16string(u"1") : std::u16string(); };
  // The road rows are left out only when this is set, so a template filled with the fixed settings
  // alone still prints a road sheet.
  set("modal_nao_rodoviario", flag(loaded.airBlock || loaded.waterBlock || loaded.railBlock));
  set("modal_aereo", flag(static_cast<bool>(loaded.airBlock)));
  set("modal_aquaviario", flag(static_cast<bool>(loaded.waterBlock)));
  set("modal_ferroviario", flag(static_cast<bool>(loaded.railBlock)));
  // Another modal's values read as those of its block without elements.
  SetAircraft(loaded.airBlock ? loaded.airBlock : NewAereoDocument(), set);
  SetVessel(loaded.waterBlock ? loaded.waterBlock : NewAquavDocument(), set);
  SetTrain(loaded.railBlock ? loaded.railBlock : NewFerrovDocument(), set);
}
