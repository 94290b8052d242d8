#pragma once

// Registered events of the sample manifest, shaped as issuers' systems keep them ("procEventoMDFe").

#include <string>
#include <utility>

inline const std::string kSampleKey = "35261212345678000195580010000012341876543210";

struct EventFields {
  std::string type;    // tpEvento
  std::string detail;  // what detEvento holds
  std::string cStat = "135";
  std::string key = kSampleKey;
  std::string environment = "2";
};

inline EventFields Cancellation() {
  return {"110111",
          "<evCancMDFe><descEvento>Cancelamento</descEvento><nProt>935260000001234</nProt>"
          "<xJust>Carga nao embarcada por falta de veiculo</xJust></evCancMDFe>"};
}

inline EventFields Closing() {
  return {"110112",
          "<evEncMDFe><descEvento>Encerramento</descEvento><nProt>935260000001234</nProt><dtEnc>2026-12-09</dtEnc>"
          "<cUF>43</cUF><cMun>4314902</cMun></evEncMDFe>"};
}

inline EventFields DriverAdded() {
  return {"110114",
          "<evIncCondutorMDFe><descEvento>Inclusao Condutor</descEvento><condutor>"
          "<xNome>CARLOS EDUARDO PEREIRA</xNome><CPF>11144477735</CPF></condutor></evIncCondutorMDFe>"};
}

// The event's own protocol number ends in its type, so each event counts once.
inline std::string EventProtocol(const EventFields& event) { return "93526" + event.type + "0001"; }

inline std::string ProcEvento(const EventFields& e) {
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<procEventoMDFe xmlns="http://www.portalfiscal.inf.br/mdfe" versao="3.00">
  <eventoMDFe versao="3.00">
    <infEvento Id="ID{type}{key}01">
      <cOrgao>35</cOrgao><tpAmb>{environment}</tpAmb><CNPJ>12345678000195</CNPJ><chMDFe>{key}</chMDFe>
      <dhEvento>2026-12-08T16:19:58-03:00</dhEvento><tpEvento>{type}</tpEvento><nSeqEvento>1</nSeqEvento>
      <detEvento versaoEvento="3.00">{detail}</detEvento>
    </infEvento>
  </eventoMDFe>
  <retEventoMDFe versao="3.00">
    <infEvento>
      <tpAmb>{environment}</tpAmb><verAplic>SP-MDFe-3.00</verAplic><cOrgao>35</cOrgao><cStat>{cStat}</cStat>
      <xMotivo>Evento registrado e vinculado a MDF-e</xMotivo><chMDFe>{key}</chMDFe><tpEvento>{type}</tpEvento>
      <nSeqEvento>1</nSeqEvento><dhRegEvento>2026-12-08T16:20:05-03:00</dhRegEvento><nProt>{protocol}</nProt>
    </infEvento>
  </retEventoMDFe>
</procEventoMDFe>
)";
  const std::pair<std::string, std::string> fields[] = {
      {"{type}", e.type},     {"{key}", e.key},     {"{environment}", e.environment},
      {"{detail}", e.detail}, {"{cStat}", e.cStat}, {"{protocol}", EventProtocol(e)}};
  for (const auto& [name, value] : fields) {
    for (size_t at = xml.find(name); at != std::string::npos; at = xml.find(name, at + value.size())) {
      xml.replace(at, name.size(), value);
    }
  }
  return xml;
}
