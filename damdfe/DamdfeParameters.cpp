#include "DamdfeParameters.h"

std::u16string InsertBlanks(std::u16string text, std::initializer_list<int> descendingPositions) {
  for (int position : descendingPositions) {
    size_t at = std::min(static_cast<size_t>(position - 1), text.size());
    text.insert(at, 1, u' ');
  }
  return text;
}

std::u16string AccessKey(std::u16string_view id) {
  return id.size() > 4 ? std::u16string(id.substr(4)) : std::u16string();
}

std::u16string PrintedAccessKey(std::u16string_view accessKey) {
  return InsertBlanks(std::u16string(accessKey), {41, 37, 33, 29, 25, 21, 17, 13, 9, 5});
}

namespace {

// cUF, tpEmis, an empty middle piece, the last two characters of dhEmi, then "DV".
std::u16string ContingencyData(const IXMLIde& ide) {
  std::u16string dhEmi = ide->dhEmi();
  std::u16string lastTwo = dhEmi.size() > 2 ? dhEmi.substr(dhEmi.size() - 2) : dhEmi;
  const std::u16string middlePiece;
  return ide->cUF() + ide->tpEmis() + middlePiece + lastTwo + u"DV";
}

}  // namespace

void SetDAMDFEParameters(const IXMLTMDFe& manifest, const IXMLRodo& roadBlock, const std::string& logoPath,
                         const std::string& contingency, const std::string& protocol, IParameterSink& sink) {
  auto set = [&sink](const char* name, const std::u16string& value) { sink.SetParam(name, ToUtf8(value)); };
  auto labelled = [&sink](const char* name, const char* label, const std::u16string& value) {
    sink.SetParam(name, label + ToUtf8(value));
  };

  IXMLInfMDFe infMDFe = manifest->infMDFe();
  IXMLIde ide = infMDFe->ide();
  set("nMDF", ide->nMDF());
  set("Serie", ide->serie());
  set("tpMDF", ide->tpEmis());
  std::u16string accessKey = AccessKey(infMDFe->Id());
  set("chave_acesso", PrintedAccessKey(accessKey));
  set("barra_chave_acesso", accessKey);

  std::u16string contingencyData;
  if (!contingency.empty()) contingencyData = ContingencyData(ide);
  sink.SetParam("contingencia", contingency);
  set("barra_dados_mdfe", contingencyData);
  set("dados_mdfe", contingency.empty() ? u"" : InsertBlanks(contingencyData, {33, 29, 25, 21, 17, 13, 9, 5}));

  IXMLEmit emit = infMDFe->emit();
  IXMLTEndeEmi address = emit->enderEmit();
  labelled("Nome", "Nome:", emit->xNome());
  labelled("End", "End:", address->xLgr());
  labelled("Compl", "Compl:", address->xCpl());
  labelled("Bairro", "Bairro:", address->xBairro());
  labelled("Nro", "Nro:", address->nro());
  labelled("Mun", "Mun:", address->xMun());
  labelled("UF", "UF:", address->UF());
  labelled("CEP", "CEP:", address->CEP());
  sink.SetParam("pFoto", logoPath);
  sink.SetParam("NUM_PROTOCOLO", protocol);
  labelled("CNPJ", "CNPJ:", emit->CNPJ());
  labelled("IE", "IE:", emit->IE());
  set("DhEmi", ide->dhEmi());
  set("Mod", ide->mod());
  set("Serie", ide->serie());
  set("NMDF", ide->nMDF());
  set("UFIni", ide->UFIni());

  IXMLTot tot = infMDFe->tot();
  set("QCTe", tot->qCTe());
  set("QNFe", tot->qNFe());
  set("QCarga", tot->qCarga());

  IXMLVeicTracao tractor = roadBlock->veicTracao();
  set("Placa", tractor->placa());
  IXMLCondutor driver = tractor->condutor();
  set("CPF", driver->CPF());
  set("CNome", driver->xNome());
  sink.SetParam("folha_1", "1 / 1");
}
