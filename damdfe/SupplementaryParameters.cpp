#include "SupplementaryParameters.h"

#include <vector>

#include <QString>

#include "DisplayFormat.h"
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

std::u16string Formatted(const char* format, const std::u16string& value) {
  return report::displayFormatted(QString::fromLatin1(format), QString::fromStdU16String(value)).toStdU16String();
}

// Where the freight is paid: a bank's agency, a payment institution or a PIX key.
std::u16string PaymentPlace(const IXMLNode& payment) {
  IXMLNode bank = payment->ChildList()->FindNode(u"infBanc");
  std::u16string code = ChildTextContent(bank, u"codBanco");
  std::u16string agency = ChildTextContent(bank, u"codAgencia");
  std::u16string institution = ChildTextContent(bank, u"CNPJIPEF");
  std::u16string pix = ChildTextContent(bank, u"PIX");
  if (!code.empty() || !agency.empty()) return u"Banco " + code + u", agência " + agency;
  if (!institution.empty()) return u"Instituição de pagamento " + Formatted("cpf_cnpj", institution);
  if (!pix.empty()) return u"PIX " + pix;
  return u"";
}

std::u16string PayeeId(const IXMLInfPag& payment) {
  std::u16string id = TaxIdOf(payment->CPF(), payment->CNPJ());
  return id.empty() ? payment->idEstrangeiro() : id;
}

// The payee, the contract's value, how and where it is paid; a payment in instalments lists them
// in "parcelas", its components in "componentes_pagamento".
std::u16string PaymentRows(const IXMLInfANTT& antt) {
  TRows rows;
  auto payments = antt->infPag();
  for (const IXMLInfPag& payment : *payments) {
    rows.Add({payment->xNome(), PayeeId(payment), payment->vContrato(), payment->indPag(), PaymentPlace(payment)});
  }
  return rows.Text();
}

// Grouped by payee.
std::u16string PaymentComponentRows(const IXMLInfANTT& antt) {
  TRows rows;
  auto payments = antt->infPag();
  for (const IXMLInfPag& payment : *payments) {
    for (const IXMLNode& component : ChildElementsNamed(payment, u"Comp")) {
      rows.Add({payment->xNome(), ChildTextContent(component, u"tpComp"), ChildTextContent(component, u"vComp"),
                ChildTextContent(component, u"xComp")});
    }
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

std::u16string SealsOf(const IXMLNode& unit, std::u16string_view list) {
  std::vector<std::u16string> numbers;
  for (const IXMLNode& seal : ChildElementsNamed(unit, list)) numbers.push_back(ChildTextContent(seal, u"nLacre"));
  return Joined(numbers);
}

// Every linked document of every unloading municipality, with how it reads in a group row.
template <class Visit>
void ForEachLinkedDocument(const IXMLInfMDFe& infMDFe, Visit visit) {
  static constexpr std::pair<std::u16string_view, std::u16string_view> kinds[] = {
      {u"infCTe", u"chCTe"}, {u"infNFe", u"chNFe"}, {u"infMDFeTransp", u"chMDFe"}};
  static constexpr std::u16string_view names[] = {u"CT-e ", u"NF-e ", u"MDF-e "};
  auto municipalities = infMDFe->infDoc()->infMunDescarga();
  for (const IXMLInfMunDescarga& municipality : *municipalities) {
    for (size_t kind = 0; kind < std::size(kinds); ++kind) {
      for (const IXMLNode& document : ChildElementsNamed(municipality, kinds[kind].first)) {
        visit(std::u16string(names[kind]) + GroupsOfFour(ChildTextContent(document, kinds[kind].second)), document);
      }
    }
  }
}

// Under each document, its transport units with their seals and, beside and below each, the cargo
// units it carries with theirs.
std::u16string UnitRows(const IXMLInfMDFe& infMDFe) {
  TRows rows;
  ForEachLinkedDocument(infMDFe, [&rows](const std::u16string& document, const IXMLNode& node) {
    for (const IXMLNode& transport : ChildElementsNamed(node, u"infUnidTransp")) {
      std::vector<IXMLNode> cargo = ChildElementsNamed(transport, u"infUnidCarga");
      auto cargoCells = [&cargo](size_t n) {
        if (n >= cargo.size()) return std::vector<std::u16string>(3);
        return std::vector<std::u16string>{ChildTextContent(cargo[n], u"tpUnidCarga"),
                                           ChildTextContent(cargo[n], u"idUnidCarga"),
                                           SealsOf(cargo[n], u"lacUnidCarga")};
      };
      for (size_t n = 0; n < std::max<size_t>(1, cargo.size()); ++n) {
        const std::vector<std::u16string> unit = cargoCells(n);
        if (n == 0) {
          rows.Add({document, ChildTextContent(transport, u"tpUnidTransp"), ChildTextContent(transport, u"idUnidTransp"),
                    SealsOf(transport, u"lacUnidTransp"), unit[0], unit[1], unit[2]});
        } else {
          rows.Add({document, u"", u"", u"", unit[0], unit[1], unit[2]});
        }
      }
    }
  });
  return rows.Text();
}

std::u16string DangerousGoodsRows(const IXMLInfMDFe& infMDFe) {
  TRows rows;
  ForEachLinkedDocument(infMDFe, [&rows](const std::u16string& document, const IXMLNode& node) {
    for (const IXMLNode& goods : ChildElementsNamed(node, u"peri")) {
      rows.Add({document, ChildTextContent(goods, u"nONU"), ChildTextContent(goods, u"xNomeAE"),
                ChildTextContent(goods, u"xClaRisco"), ChildTextContent(goods, u"grEmb"),
                ChildTextContent(goods, u"qTotProd"), ChildTextContent(goods, u"qVolTipo")});
    }
  });
  return rows.Text();
}

// A place of a full load: its CEP, or where it lies.
std::u16string LoadPlace(const IXMLNode& place) {
  std::u16string cep = ChildTextContent(place, u"CEP");
  if (!cep.empty()) return u"CEP " + Formatted("cep", cep);
  std::u16string latitude = ChildTextContent(place, u"latitude");
  std::u16string longitude = ChildTextContent(place, u"longitude");
  if (latitude.empty() && longitude.empty()) return u"";
  return u"Latitude " + latitude + u", longitude " + longitude;
}

// An address in two lines, leaving out what is empty: "street, number" and "complement - district".
std::u16string StreetLine(const IXMLTEndeEmi& address) { return Joined({address->xLgr(), address->nro()}); }

std::u16string DistrictLine(const IXMLTEndeEmi& address) {
  std::u16string complement = address->xCpl();
  std::u16string district = address->xBairro();
  return complement.empty() || district.empty() ? complement + district : complement + u" - " + district;
}

// Brazilian numbers with their area code: "(44) 3333-4444", "(44) 93333-4444"; a leading trunk 0 goes.
std::u16string PhoneNumber(std::u16string digits) {
  if (digits.size() == 11 && digits.front() == u'0') digits.erase(0, 1);
  if (digits.size() != 10 && digits.size() != 11) return digits;
  if (digits.find_first_not_of(u"0123456789") != std::u16string::npos) return digits;
  const size_t local = digits.size() - 2;
  return u"(" + digits.substr(0, 2) + u") " + digits.substr(2, local - 4) + u"-" + digits.substr(digits.size() - 4);
}

std::u16string Contacts(const IXMLEmit& emit) {
  IXMLTEndeEmi address = emit->enderEmit();
  std::u16string phone = address->fone();
  std::u16string email = address->email();
  std::u16string line = phone.empty() ? u"" : u"Fone: " + PhoneNumber(phone);
  if (!email.empty()) line += (line.empty() ? u"" : u"   ") + (u"E-mail: " + email);
  return line;
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
  // The 1.00 layout has the carrier's RNTRC directly under "rodo".
  std::u16string carrierRNTRC = antt->RNTRC();
  if (carrierRNTRC.empty()) carrierRNTRC = ChildTextContent(rodo, u"RNTRC");
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

  IXMLTEndeEmi address = emit->enderEmit();
  set("emit_xNome", emit->xNome());
  set("emit_logradouro", StreetLine(address));
  set("emit_bairro", DistrictLine(address));
  set("emit_xMun", address->xMun());
  set("emit_UF", address->UF());
  set("emit_IE", emit->IE());
  set("emit_contato", Contacts(emit));
  set("prod_cEAN", product->cEAN());
  IXMLNode fullLoad = product->ChildList()->FindNode(u"infLotacao");
  set("lotacao_carregamento", LoadPlace(fullLoad ? fullLoad->ChildList()->FindNode(u"infLocalCarrega") : IXMLNode()));
  set("lotacao_descarregamento",
      LoadPlace(fullLoad ? fullLoad->ChildList()->FindNode(u"infLocalDescarrega") : IXMLNode()));
  set("unidades", UnitRows(infMDFe));
  set("perigosos", DangerousGoodsRows(infMDFe));
  set("componentes_pagamento", PaymentComponentRows(antt));
}
