#pragma once

// Manifests made from the repository's sample by replacing whole elements, for
// the complete DAMDFE's tests and benchmark.

#include <stdexcept>
#include <string>
#include <vector>

#include "TestFiles.h"

inline std::string SampleManifest() { return ReadFileBytes(DAMDFE_SOURCE_DIR "/samples/MDFe_exemplo.xml"); }

// Replaces the first element "<tag>...</tag>" (or "<tag .../>") with the text given.
inline std::string ReplaceElement(std::string xml, const std::string& tag, const std::string& replacement) {
  size_t start = xml.find("<" + tag + ">");
  if (start == std::string::npos) start = xml.find("<" + tag + " ");
  if (start == std::string::npos) throw std::runtime_error("no element " + tag);
  std::string close = "</" + tag + ">";
  size_t end = xml.find(close, start);
  if (end == std::string::npos) throw std::runtime_error("no end of " + tag);
  return xml.replace(start, end + close.size() - start, replacement);
}

// A 44-digit key made of a kind digit and a serial number.
inline std::string Key(int kind, int serial) {
  std::string digits = std::to_string(serial);
  return std::to_string(kind) + std::string(43 - digits.size(), '0') + digits;
}

// Unloading municipalities holding, in turn, a CT-e, three NF-e and an MDF-e, to the count given.
inline std::string LinkedDocuments(int count, int municipalities) {
  static const char* const kKinds[] = {"CTe", "NFe", "NFe", "NFe", "MDFe"};
  std::string xml = "<infDoc>";
  int perMunicipality = (count + municipalities - 1) / municipalities;
  for (int m = 0, serial = 0; m < municipalities && serial < count; ++m) {
    xml += "<infMunDescarga><cMunDescarga>43" + std::to_string(10000 + m) + "</cMunDescarga><xMunDescarga>Cidade " +
           std::to_string(m + 1) + "</xMunDescarga>";
    for (int i = 0; i < perMunicipality && serial < count; ++i, ++serial) {
      std::string kind = kKinds[serial % 5];
      std::string element = kind == "MDFe" ? "infMDFeTransp" : "inf" + kind;
      xml += "<" + element + "><ch" + kind + ">" + Key(serial % 5 + 1, serial) + "</ch" + kind + "></" + element + ">";
    }
    xml += "</infMunDescarga>";
  }
  return xml + "</infDoc>";
}

inline std::string WithLinkedDocuments(int count, int municipalities = 4) {
  return ReplaceElement(SampleManifest(), "infDoc", LinkedDocuments(count, municipalities));
}

inline std::string WithEnvironment(const std::string& xml, const std::string& tpAmb) {
  return ReplaceElement(xml, "tpAmb", "<tpAmb>" + tpAmb + "</tpAmb>");
}

// The observations replaced; an empty infAdFisco is left out.
inline std::string WithObservations(const std::string& xml, const std::string& infCpl,
                                    const std::string& infAdFisco = "") {
  std::string fisco = infAdFisco.empty() ? "" : "<infAdFisco>" + infAdFisco + "</infAdFisco>";
  return ReplaceElement(xml, "infAdic", "<infAdic>" + fisco + "<infCpl>" + infCpl + "</infCpl></infAdic>");
}

// Distinct words ("obs0001", "obs0002", ...) joined by blanks, as long as the schema lets infCpl be.
inline std::vector<std::string> ObservationWords(size_t length = 5000) {
  std::vector<std::string> words;
  for (size_t used = 0, n = 1;; ++n) {
    std::string word = "obs" + std::string(n < 10 ? "000" : n < 100 ? "00" : n < 1000 ? "0" : "") + std::to_string(n);
    if (used + word.size() + (words.empty() ? 0 : 1) > length) break;
    used += word.size() + (words.empty() ? 0 : 1);
    words.push_back(word);
  }
  return words;
}

// Only what the schema requires of a road manifest, and no driver at all.
inline std::string MinimalManifest() {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<MDFe xmlns="http://www.portalfiscal.inf.br/mdfe"><infMDFe versao="3.00" Id="MDFe35261212345678000195580010000000011000000014">
<ide><cUF>35</cUF><tpAmb>1</tpAmb><tpEmit>2</tpEmit><mod>58</mod><serie>1</serie><nMDF>1</nMDF><cMDF>00000001</cMDF>
<cDV>4</cDV><modal>1</modal><dhEmi>2026-01-02T03:04:05-03:00</dhEmi><tpEmis>1</tpEmis><procEmi>0</procEmi>
<verProc>1</verProc><UFIni>SP</UFIni><UFFim>SP</UFFim>
<infMunCarrega><cMunCarrega>3550308</cMunCarrega><xMunCarrega>São Paulo</xMunCarrega></infMunCarrega></ide>
<emit><CNPJ>12345678000195</CNPJ><IE>ISENTO</IE><xNome>EMITENTE MÍNIMO</xNome><enderEmit><xLgr>RUA A</xLgr><nro>1</nro>
<xBairro>CENTRO</xBairro><cMun>3550308</cMun><xMun>São Paulo</xMun><UF>SP</UF></enderEmit></emit>
<infModal versaoModal="3.00"><rodo xmlns="http://www.portalfiscal.inf.br/mdfe"><veicTracao><placa>AAA0A00</placa><tara>1000</tara>
<tpRod>01</tpRod><tpCar>00</tpCar></veicTracao></rodo></infModal>
<infDoc><infMunDescarga><cMunDescarga>3550308</cMunDescarga><xMunDescarga>São Paulo</xMunDescarga>
<infNFe><chNFe>35260112345678000195550010000000011000000010</chNFe></infNFe></infMunDescarga></infDoc>
<tot><qNFe>1</qNFe><vCarga>10.00</vCarga><cUnid>02</cUnid><qCarga>1.0000</qCarga></tot></infMDFe></MDFe>
)";
}

// Every list as long as the schema lets it be, or longer than one sheet holds.
struct MaximalManifest {
  std::vector<std::string> drivers, trailerPlates, averbacoes, ciots, contractors, vouchers, keys;
  std::string xml;
};

inline MaximalManifest Maximal() {
  MaximalManifest m;
  std::string drivers;
  for (int i = 0; i < 10; ++i) {
    m.drivers.push_back("CONDUTOR NÚMERO " + std::to_string(i + 1) + " DE SOBRENOME BEM COMPRIDO");
    drivers += "<condutor><xNome>" + m.drivers.back() + "</xNome><CPF>" + std::to_string(10000000000LL + i) +
               "</CPF></condutor>";
  }
  std::string trailers;
  for (int i = 0; i < 3; ++i) {
    m.trailerPlates.push_back("REB" + std::to_string(i) + "A0" + std::to_string(i));
    trailers += "<veicReboque><placa>" + m.trailerPlates.back() + "</placa><RENAVAM>9988776655" + std::to_string(i) +
                "</RENAVAM><tara>5000</tara><capKG>20000</capKG><tpCar>02</tpCar><UF>PR</UF></veicReboque>";
  }
  std::string antt = "<infANTT><RNTRC>87654321</RNTRC>";
  for (int i = 0; i < 12; ++i) {
    m.ciots.push_back(std::to_string(900000000000LL + i));
    antt += "<infCIOT><CIOT>" + m.ciots.back() + "</CIOT><CPF>12345678909</CPF></infCIOT>";
  }
  antt += "<valePed>";
  for (int i = 0; i < 12; ++i) {
    m.vouchers.push_back(std::to_string(700000000000LL + i));
    antt += "<disp><CNPJForn>11222333000181</CNPJForn><CNPJPg>12345678000195</CNPJPg><nCompra>" + m.vouchers.back() +
            "</nCompra><vValePed>1234.56</vValePed></disp>";
  }
  antt += "</valePed>";
  for (int i = 0; i < 12; ++i) {
    m.contractors.push_back("CONTRATANTE " + std::to_string(i + 1) + " COMÉRCIO E INDÚSTRIA LTDA");
    antt += "<infContratante><xNome>" + m.contractors.back() + "</xNome><CNPJ>445556660001" + std::to_string(10 + i) +
            "</CNPJ></infContratante>";
  }
  antt += "</infANTT>";
  std::string insurance;
  for (int policy = 0; policy < 3; ++policy) {
    insurance +=
        "<seg><infResp><respSeg>2</respSeg><CNPJ>44555666000172</CNPJ></infResp><infSeg><xSeg>SEGURADORA "
        "NACIONAL DE CARGAS E TRANSPORTES S.A.</xSeg><CNPJ>33444555000190</CNPJ></infSeg><nApol>APOLICE-" +
        std::to_string(policy) + "</nApol>";
    for (int i = 0; i < 15; ++i) {
      m.averbacoes.push_back("AVB" + std::to_string(policy) + std::string(30, '0') + std::to_string(10 + i));
      insurance += "<nAver>" + m.averbacoes.back() + "</nAver>";
    }
    insurance += "</seg>";
  }
  std::string loading = "<UFFim>RS</UFFim>";
  for (int i = 0; i < 50; ++i) {
    loading += "<infMunCarrega><cMunCarrega>35" + std::to_string(10000 + i) +
               "</cMunCarrega><xMunCarrega>Município "
               "de Carregamento " +
               std::to_string(i + 1) + "</xMunCarrega></infMunCarrega>";
  }
  for (const char* uf : {"PR", "SC", "MG", "GO", "MT", "MS", "TO", "BA", "PE", "PB", "RN", "CE", "PI", "MA", "PA"}) {
    loading += std::string("<infPercurso><UFPer>") + uf + "</UFPer></infPercurso>";
  }

  std::string xml = SampleManifest();
  size_t loadingStart = xml.find("<UFFim>");
  size_t loadingEnd = xml.find("<dhIniViagem>");
  xml.replace(loadingStart, loadingEnd - loadingStart, loading);
  std::string rodo = "<rodo>" + antt +
                     "<veicTracao><cInt>001</cInt><placa>ABC1D23</placa><RENAVAM>00987654321</RENAVAM>"
                     "<tara>8500</tara><capKG>27000</capKG>" +
                     drivers +
                     "<tpRod>03</tpRod><tpCar>02</tpCar><UF>SP</UF>"
                     "</veicTracao>" +
                     trailers + "</rodo>";
  xml = ReplaceElement(xml, "rodo", rodo);
  xml = ReplaceElement(xml, "seg", insurance);
  xml = ReplaceElement(xml, "infDoc", LinkedDocuments(3000, 100));
  xml = ReplaceElement(xml, "infAdic",
                       "<infAdic><infAdFisco>" + std::string(400, 'F') + "</infAdFisco><infCpl>" +
                           std::string(1500, 'C') + "</infCpl></infAdic>");
  for (int serial = 0; serial < 3000; ++serial) m.keys.push_back(Key(serial % 5 + 1, serial));
  m.xml = std::move(xml);
  return m;
}
