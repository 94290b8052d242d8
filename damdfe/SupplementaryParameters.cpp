#include "SupplementaryParameters.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

// Text and CDATA content of an element, read without creating or failing: the
// generic way for what the models do not bind.
std::u16string ContentOf(const IXMLNode& element) {
  std::u16string text;
  if (!element) return text;
  IXMLNodeList children = element->ChildList();
  for (int i = 0, count = children->Count(); i < count; ++i) {
    IXMLNode child = children->NodeAt(i);
    if (child->NodeType() == TNodeType::ntText || child->NodeType() == TNodeType::ntCData) text += child->ReadText();
  }
  return text;
}

std::u16string ChildContent(const IXMLNode& parent, std::u16string_view name) {
  return parent ? ContentOf(parent->ChildList()->FindNode(name)) : std::u16string();
}

// Every child element of that name, in document order, where the model binds only the first.
template <class Visit>
void ForEachChildNamed(const IXMLNode& parent, std::u16string_view name, Visit visit) {
  IXMLNodeList children = parent->ChildList();
  for (int i = 0, count = children->Count(); i < count; ++i) {
    IXMLNode child = children->NodeAt(i);
    if (child->NodeType() == TNodeType::ntElement && child->LocalName() == name) visit(child);
  }
}

template <class List, class Visit>
void ForEachItem(const List& list, Visit visit) {
  for (int i = 0, count = list->ItemCount(); i < count; ++i) visit(list->Item(i));
}

// The first of CPF and CNPJ that is set; the template formats it.
std::u16string TaxIdOf(const std::u16string& cpf, const std::u16string& cnpj) { return cpf.empty() ? cnpj : cpf; }

// Builds a list parameter; a cell never breaks its row or column.
class TRows {
 public:
  void Add(std::initializer_list<std::u16string> cells) {
    bool first = true;
    for (const std::u16string& cell : cells) {
      if (!first) text_ += u'\t';
      first = false;
      for (char16_t c : cell) text_ += (c == u'\t' || c == u'\n' || c == u'\r') ? u' ' : c;
    }
    text_ += u'\n';
  }
  const std::u16string& Text() const { return text_; }

 private:
  std::u16string text_;
};

std::u16string Joined(const std::vector<std::u16string>& items) {
  std::u16string text;
  for (const std::u16string& item : items) {
    if (item.empty()) continue;
    if (!text.empty()) text += u", ";
    text += item;
  }
  return text;
}

// A key in groups of four for the eye; unlike the printed access key, nothing is padded.
std::u16string GroupsOfFour(const std::u16string& key) {
  std::u16string text;
  for (size_t i = 0; i < key.size(); ++i) {
    if (i > 0 && i % 4 == 0) text += u' ';
    text += key[i];
  }
  return text;
}

std::u16string InsuranceResponsible(const std::u16string& kind) {
  return kind == u"1" ? u"Emitente" : kind == u"2" ? u"Contratante" : kind;
}

// One row per averbação; the policy's columns only on its first row, so a long
// list reads as one policy.
std::u16string InsuranceRows(const IXMLInfMDFe& infMDFe) {
  TRows rows;
  ForEachItem(infMDFe->seg(), [&](const IXMLSeg& policy) {
    std::vector<std::u16string> averbacoes;
    ForEachChildNamed(policy, u"nAver", [&](const IXMLNode& node) { averbacoes.push_back(ContentOf(node)); });
    if (averbacoes.empty()) averbacoes.emplace_back();
    IXMLInfResp responsible = policy->infResp();
    IXMLInfSeg insurer = policy->infSeg();
    rows.Add({InsuranceResponsible(responsible->respSeg()), TaxIdOf(responsible->CPF(), responsible->CNPJ()),
              insurer->xSeg(), insurer->CNPJ(), policy->nApol(), averbacoes.front()});
    for (size_t n = 1; n < averbacoes.size(); ++n) rows.Add({u"", u"", u"", u"", u"", averbacoes[n]});
  });
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
  ForEachItem(rodo->veicReboque(), [&](const IXMLVeicReboque& trailer) {
    rows.Add({u"Reboque", trailer->placa(), trailer->UF(), trailer->RENAVAM(), ownerRNTRC(trailer->prop())});
  });
  return rows.Text();
}

// Every "condutor", where the model reaches only the first. The fixed settings may
// have created an empty one in a manifest without drivers: it is no driver.
std::u16string DriverRows(const IXMLRodo& rodo) {
  TRows rows;
  ForEachChildNamed(rodo->veicTracao(), u"condutor", [&](const IXMLNode& node) {
    std::u16string cpf = ChildContent(node, u"CPF");
    std::u16string name = ChildContent(node, u"xNome");
    if (!cpf.empty() || !name.empty()) rows.Add({cpf, name});
  });
  return rows.Text();
}

std::u16string CiotRows(const IXMLInfANTT& antt) {
  TRows rows;
  ForEachItem(antt->infCIOT(), [&](const IXMLInfCIOT& ciot) {
    rows.Add({ciot->CIOT(), TaxIdOf(ciot->CPF(), ciot->CNPJ())});
  });
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
  ForEachItem(antt->infContratante(), [&](const IXMLInfContratante& contractor) {
    std::u16string id = TaxIdOf(contractor->CPF(), contractor->CNPJ());
    if (id.empty()) id = ChildContent(contractor, u"idEstrangeiro");
    rows.Add({id, ChildContent(contractor, u"xNome")});
  });
  return rows.Text();
}

// The payee, the contract's value and how it is paid; a payment in instalments lists them in "parcelas".
std::u16string PaymentRows(const IXMLInfANTT& antt) {
  TRows rows;
  ForEachItem(antt->infPag(), [&](const IXMLInfPag& payment) {
    std::u16string id = TaxIdOf(payment->CPF(), payment->CNPJ());
    if (id.empty()) id = payment->idEstrangeiro();
    rows.Add({payment->xNome(), id, payment->vContrato(), payment->indPag()});
  });
  return rows.Text();
}

std::u16string InstalmentRows(const IXMLInfANTT& antt) {
  TRows rows;
  ForEachItem(antt->infPag(), [&](const IXMLInfPag& payment) {
    ForEachItem(payment->infPrazo(), [&](const IXMLInfPrazo& instalment) {
      rows.Add({instalment->nParcela(), instalment->dVenc(), instalment->vParcela()});
    });
  });
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
  ForEachItem(rodo->veicReboque(), [&](const IXMLVeicReboque& trailer) { add(trailer->placa(), trailer->prop()); });
  return rows.Text();
}

template <class List>
std::u16string SealNumbers(const List& seals) {
  std::vector<std::u16string> numbers;
  ForEachItem(seals, [&](const auto& seal) { numbers.push_back(seal->nLacre()); });
  return Joined(numbers);
}

std::u16string LinkedDocumentRows(const IXMLInfMDFe& infMDFe) {
  TRows rows;
  ForEachItem(infMDFe->infDoc()->infMunDescarga(), [&](const IXMLInfMunDescarga& municipality) {
    std::u16string name = municipality->xMunDescarga();
    ForEachItem(municipality->infCTe(), [&](const IXMLInfCTe& cte) {
      rows.Add({name, u"CT-e", GroupsOfFour(cte->chCTe())});
    });
    ForEachItem(municipality->infNFe(), [&](const IXMLInfNFe& nfe) {
      rows.Add({name, u"NF-e", GroupsOfFour(nfe->chNFe())});
    });
    ForEachItem(municipality->infMDFeTransp(), [&](const IXMLInfMDFeTransp& mdfe) {
      rows.Add({name, u"MDF-e", GroupsOfFour(mdfe->chMDFe())});
    });
  });
  return rows.Text();
}

// One row for each line of the text that is not blank, so that a table may wrap
// long observations and continue them on further sheets.
std::u16string Paragraphs(const std::u16string& text) {
  TRows rows;
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find(u'\n', start), text.size());
    std::u16string line = text.substr(start, end - start);
    if (line.find_first_not_of(u" \t\r") != std::u16string::npos) rows.Add({line});
    start = end + 1;
  }
  return rows.Text();
}

std::u16string LoadingMunicipalities(const IXMLIde& ide) {
  std::vector<std::u16string> names;
  ForEachItem(ide->infMunCarrega(),
              [&](const IXMLInfMunCarrega& municipality) { names.push_back(municipality->xMunCarrega()); });
  return Joined(names);
}

std::u16string StatesCrossed(const IXMLIde& ide) {
  std::vector<std::u16string> states;
  ForEachItem(ide->infPercurso(), [&](const IXMLInfPercurso& state) { states.push_back(state->UFPer()); });
  return Joined(states);
}

std::u16string QrCode(const IXMLTMDFe& manifest) {
  return ChildContent(manifest->ChildList()->FindNode(u"infMDFeSupl"), u"qrCodMDFe");
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
  set("sem_autorizacao", flag(ide->tpAmb() == u"1" && emissionType == u"1" && protocol.empty()));
  set("dhRecbto", loaded.proc ? loaded.proc->protMDFe()->infProt()->dhRecbto() : u"");
  set("dhIniViagem", ide->dhIniViagem());
  set("UFFim", ide->UFFim());
  set("mun_carregamento", LoadingMunicipalities(ide));
  set("percurso", StatesCrossed(ide));

  IXMLEmit emit = infMDFe->emit();
  set("emit_CNPJ_CPF", TaxIdOf(ChildContent(emit, u"CPF"), emit->CNPJ()));
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
  set("condutores", DriverRows(rodo));
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
