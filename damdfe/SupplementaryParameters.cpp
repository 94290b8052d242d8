#include "SupplementaryParameters.h"

#include <vector>

#include "ParameterText.h"
#include "VerificationTexts.h"

namespace {

std::u16string InsuranceResponsible(const std::u16string& kind) {
  return kind == u"1" ? u"Emitente" : kind == u"2" ? u"Contratante" : kind;
}

// One row per averbação; the policy's columns only on its first row, so a long
// list reads as one policy.
std::u16string InsuranceRows(const IXMLInfMDFe& infMDFe) {
  TRows rows;
  auto policies = infMDFe->seg();
  for (const IXMLSeg& policy : *policies) {
    std::vector<std::u16string> averbacoes;
    for (const IXMLNode& node : ChildElementsNamed(policy, u"nAver")) averbacoes.push_back(TextContent(node));
    if (averbacoes.empty()) averbacoes.emplace_back();
    IXMLInfResp responsible = policy->infResp();
    IXMLInfSeg insurer = policy->infSeg();
    rows.Add({InsuranceResponsible(responsible->respSeg()), TaxIdOf(responsible->CPF(), responsible->CNPJ()),
              insurer->xSeg(), insurer->CNPJ(), policy->nApol(), averbacoes.front()});
    for (size_t n = 1; n < averbacoes.size(); ++n) rows.Add({u"", u"", u"", u"", u"", averbacoes[n]});
  }
  return rows.Text();
}

// Tractor first, then each trailer; a vehicle of a third party shows its owner's RNTRC.
std::u16string VehicleRows(const IXMLRodo& rodo, const std::u16string& carrierRNTRC) {
  TRows rows;
  auto ownerRNTRC = [&](const IXMLProp& owner) {
    std::u16string rntrc = owner->RNTRC();
    return rntrc.empty() ? carrierRNTRC : rntrc;
  };
  IXMLVeicTracao tractor = rodo->veicTracao();
  rows.Add({u"Tração", tractor->placa(), tractor->UF(), tractor->RENAVAM(), ownerRNTRC(tractor->prop())});
  auto trailers = rodo->veicReboque();
  for (const IXMLVeicReboque& trailer : *trailers) {
    rows.Add({u"Reboque", trailer->placa(), trailer->UF(), trailer->RENAVAM(), ownerRNTRC(trailer->prop())});
  }
  return rows.Text();
}

// Every "condutor", where the model reaches only the first, then those added by event.
// The fixed settings may have created an empty one in a manifest without drivers: it is no driver.
std::u16string DriverRows(const IXMLRodo& rodo, const std::vector<TAddedDriver>& added) {
  TRows rows;
  for (const IXMLNode& node : ChildElementsNamed(rodo->veicTracao(), u"condutor")) {
    std::u16string cpf = ChildTextContent(node, u"CPF");
    std::u16string name = ChildTextContent(node, u"xNome");
    if (!cpf.empty() || !name.empty()) rows.Add({cpf, name});
  }
  for (const TAddedDriver& driver : added) {
    rows.Add({driver.cpf, driver.name + u" (incluído em " + driver.date + u")"});
  }
  return rows.Text();
}

std::u16string CiotRows(const IXMLInfANTT& antt) {
  TRows rows;
  auto ciots = antt->infCIOT();
  for (const IXMLInfCIOT& ciot : *ciots) rows.Add({ciot->CIOT(), TaxIdOf(ciot->CPF(), ciot->CNPJ())});
  return rows.Text();
}

std::u16string TollVoucherRows(const IXMLInfANTT& antt) {
  TRows rows;
  IXMLValePed vouchers = antt->valePed();
  for (int i = 0; i < vouchers->ItemCount(); ++i) {
    IXMLDisp voucher = vouchers->disp(i);
    rows.Add(
        {voucher->CNPJForn(), TaxIdOf(voucher->CPFPg(), voucher->CNPJPg()), voucher->nCompra(), voucher->vValePed()});
  }
  return rows.Text();
}

// The model binds CPF and CNPJ; a name and a foreign id are read generically.
std::u16string ContractorRows(const IXMLInfANTT& antt) {
  TRows rows;
  auto contractors = antt->infContratante();
  for (const IXMLInfContratante& contractor : *contractors) {
    std::u16string id = TaxIdOf(contractor->CPF(), contractor->CNPJ());
    if (id.empty()) id = ChildTextContent(contractor, u"idEstrangeiro");
    rows.Add({id, ChildTextContent(contractor, u"xNome")});
  }
  return rows.Text();
}

// The payee, the contract's value and how it is paid; a payment in instalments lists them in "parcelas".
std::u16string PaymentRows(const IXMLInfANTT& antt) {
  TRows rows;
  auto payments = antt->infPag();
  for (const IXMLInfPag& payment : *payments) {
    std::u16string id = TaxIdOf(payment->CPF(), payment->CNPJ());
    if (id.empty()) id = payment->idEstrangeiro();
    rows.Add({payment->xNome(), id, payment->vContrato(), payment->indPag()});
  }
  return rows.Text();
}

std::u16string InstalmentRows(const IXMLInfANTT& antt) {
  TRows rows;
  auto payments = antt->infPag();
  for (const IXMLInfPag& payment : *payments) {
    auto instalments = payment->infPrazo();
    for (const IXMLInfPrazo& instalment : *instalments) {
      rows.Add({instalment->nParcela(), instalment->dVenc(), instalment->vParcela()});
    }
  }
  return rows.Text();
}

// Vehicles of a third party, with their owner; an empty "prop" (as reading creates one) is no owner.
std::u16string OwnerRows(const IXMLRodo& rodo) {
  TRows rows;
  auto add = [&](const std::u16string& plate, const IXMLProp& owner) {
    std::u16string id = TaxIdOf(owner->CPF(), owner->CNPJ());
    std::u16string name = owner->xNome();
    std::u16string rntrc = owner->RNTRC();
    if (!id.empty() || !name.empty() || !rntrc.empty()) rows.Add({plate, name, id, rntrc});
  };
  IXMLVeicTracao tractor = rodo->veicTracao();
  add(tractor->placa(), tractor->prop());
  auto trailers = rodo->veicReboque();
  for (const IXMLVeicReboque& trailer : *trailers) add(trailer->placa(), trailer->prop());
  return rows.Text();
}

template <class List>
std::u16string SealNumbers(const List& seals) {
  std::vector<std::u16string> numbers;
  for (const auto& seal : *seals) numbers.push_back(seal->nLacre());
  return Joined(numbers);
}

std::u16string LinkedDocumentRows(const IXMLInfMDFe& infMDFe) {
  TRows rows;
  auto municipalities = infMDFe->infDoc()->infMunDescarga();
  for (const IXMLInfMunDescarga& municipality : *municipalities) {
    std::u16string name = municipality->xMunDescarga();
    auto ctes = municipality->infCTe();
    for (const IXMLInfCTe& cte : *ctes) rows.Add({name, u"CT-e", GroupsOfFour(cte->chCTe())});
    auto nfes = municipality->infNFe();
    for (const IXMLInfNFe& nfe : *nfes) rows.Add({name, u"NF-e", GroupsOfFour(nfe->chNFe())});
    auto mdfes = municipality->infMDFeTransp();
    for (const IXMLInfMDFeTransp& mdfe : *mdfes) rows.Add({name, u"MDF-e", GroupsOfFour(mdfe->chMDFe())});
  }
  return rows.Text();
}

std::u16string LoadingMunicipalities(const IXMLIde& ide) {
  std::vector<std::u16string> names;
  auto municipalities = ide->infMunCarrega();
  for (const IXMLInfMunCarrega& municipality : *municipalities) names.push_back(municipality->xMunCarrega());
  return Joined(names);
}

std::u16string StatesCrossed(const IXMLIde& ide) {
  std::vector<std::u16string> states;
  auto route = ide->infPercurso();
  for (const IXMLInfPercurso& state : *route) states.push_back(state->UFPer());
  return Joined(states);
}

std::u16string QrCode(const IXMLTMDFe& manifest) {
  return ChildTextContent(manifest->ChildList()->FindNode(u"infMDFeSupl"), u"qrCodMDFe");
}

}  // namespace

void SetSupplementaryParameters(const TLoadedManifest& loaded, const std::string& protocol, IParameterSink& sink) {
  auto set = [&sink](const char* name, const std::u16string& value) { sink.SetParam(name, ToUtf8(value)); };
  auto flag = [](bool on) { return on ? std::u16string(u"1") : std::u16string(); };

  IXMLInfMDFe infMDFe = loaded.manifest->infMDFe();
  IXMLIde ide = infMDFe->ide();
  std::u16string emissionType = ide->tpEmis();
  set("qrCodMDFe", QrCode(loaded.manifest));
  set("homologacao", flag(ide->tpAmb() == u"2"));
  set("emissao_contingencia", flag(emissionType == u"2"));
  // Printed in production as a normal emission with no protocol: nothing shows it was authorised.
  const bool unauthorised = ide->tpAmb() == u"1" && emissionType == u"1" && protocol.empty();
  set("sem_autorizacao", flag(unauthorised));
  // A file changed after signing, or another manifest's protocol: the clerk sees why on the sheet.
  const std::string notice = SheetNotice(loaded.verdict);
  sink.SetParam("verificacao_aviso", notice);
  set("verificacao_sem_valor", flag(!notice.empty() && ide->tpAmb() != u"2" && !unauthorised));
  set("dhRecbto", loaded.proc ? loaded.proc->protMDFe()->infProt()->dhRecbto() : u"");
  set("dhIniViagem", ide->dhIniViagem());
  set("UFFim", ide->UFFim());
  set("mun_carregamento", LoadingMunicipalities(ide));
  set("percurso", StatesCrossed(ide));

  IXMLEmit emit = infMDFe->emit();
  set("emit_CNPJ_CPF", TaxIdOf(ChildTextContent(emit, u"CPF"), emit->CNPJ()));
  set("emit_CEP", emit->enderEmit()->CEP());

  IXMLTot tot = infMDFe->tot();
  set("QMDFe", tot->qMDFe());
  set("vCarga", tot->vCarga());
  set("unidade_carga", tot->cUnid());

  IXMLProdPred product = infMDFe->prodPred();
  set("prod_tpCarga", product->tpCarga());
  set("prod_xProd", product->xProd());
  set("prod_NCM", product->NCM());
  set("lacres", SealNumbers(infMDFe->lacres()));

  const IXMLRodo& rodo = loaded.roadBlock;
  IXMLInfANTT antt = rodo->infANTT();
  std::u16string carrierRNTRC = antt->RNTRC();
  set("RNTRC", carrierRNTRC);
  set("RENAVAM", rodo->veicTracao()->RENAVAM());
  set("proprietarios", OwnerRows(rodo));
  set("veiculos", VehicleRows(rodo, carrierRNTRC));
  set("condutores", DriverRows(rodo, loaded.events.addedDrivers));
  set("ciot", CiotRows(antt));
  set("contratantes", ContractorRows(antt));
  set("vale_pedagio", TollVoucherRows(antt));
  set("pagamentos", PaymentRows(antt));
  set("parcelas", InstalmentRows(antt));
  set("lacres_rodo", SealNumbers(rodo->lacRodo()));
  set("seguros", InsuranceRows(infMDFe));

  IXMLInfAdic additional = infMDFe->infAdic();
  std::u16string complementary = additional->infCpl();
  std::u16string forTheTaxAuthority = additional->infAdFisco();
  set("infCpl", complementary);
  set("infAdFisco", forTheTaxAuthority);
  set("observacoes", Paragraphs(complementary));
  set("observacoes_fisco", Paragraphs(forTheTaxAuthority));
  set("documentos", LinkedDocumentRows(infMDFe));
}
