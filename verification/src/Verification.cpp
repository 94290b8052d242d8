#include "Verification.h"

#include <cctype>
#include <cstdint>
#include <exception>
#include <fstream>
#include <sstream>

#include "Certificates.h"
#include "Dom.h"
#include "ExactDocument.h"
#include "Schemas.h"
#include "Signatures.h"

namespace verification {

namespace {

constexpr size_t kKeyLength = 44;

// Each field of the key and where ide/emit keep it.
struct KeyField {
  size_t at;
  size_t length;
  const char16_t* name;
};
constexpr KeyField kKeyFields[] = {{0, 2, u"cUF"},     {20, 2, u"mod"},    {22, 3, u"serie"}, {25, 9, u"nMDF"},
                                   {34, 1, u"tpEmis"}, {35, 8, u"cMDF"},   {43, 1, u"cDV"}};

std::u16string LeftPadded(std::u16string value, size_t length) {
  return value.size() < length ? std::u16string(length - value.size(), u'0') + value : value;
}

// Modulo 11 over the first 43 characters, weights 2 to 9 from the right; an alphanumeric CNPJ's
// letters weigh their code minus 48, as digits do.
char16_t CheckDigit(std::u16string_view key) {
  int sum = 0;
  int weight = 2;
  for (size_t i = 43; i-- > 0;) {
    sum += (key[i] - u'0') * weight;
    weight = weight == 9 ? 2 : weight + 1;
  }
  const int rest = sum % 11;
  return static_cast<char16_t>(u'0' + (rest < 2 ? 0 : 11 - rest));
}

bool WellFormedKey(std::u16string_view key) {
  if (key.size() != kKeyLength) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    const char16_t c = key[i];
    const bool digit = c >= u'0' && c <= u'9';
    if (!digit && !(i >= 6 && i < 18 && c >= u'A' && c <= u'Z')) return false;
  }
  return true;
}

// The value of a query parameter of the QR code's address; empty when absent.
std::u16string QueryValue(std::u16string_view url, std::u16string_view name) {
  const size_t query = url.find(u'?');
  if (query == std::u16string_view::npos) return {};
  std::u16string_view rest = url.substr(query + 1);
  while (!rest.empty()) {
    const size_t end = std::min(rest.find(u'&'), rest.size());
    std::u16string_view pair = rest.substr(0, end);
    if (pair.substr(0, name.size()) == name && pair.size() > name.size() && pair[name.size()] == u'=') {
      return std::u16string(pair.substr(name.size() + 1));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return {};
}

void CheckAccessKey(const xml::DOMElement* manifest, const xml::DOMElement* infMDFe, std::u16string_view key,
                    std::vector<std::string>& reasons) {
  if (!WellFormedKey(key)) {
    reasons.push_back("chave de acesso \"" + Utf8(key) + "\" não tem 44 caracteres válidos");
    return;
  }
  if (CheckDigit(key) != key[43]) {
    reasons.push_back("dígito verificador da chave de acesso errado (deveria ser " +
                      Utf8(std::u16string(1, CheckDigit(key))) + ")");
  }
  const xml::DOMElement* ide = Child(infMDFe, u"ide");
  auto differs = [&](size_t at, size_t length, const std::u16string& expected, const std::string& what) {
    if (key.substr(at, length) != expected) {
      reasons.push_back("a chave de acesso diz " + what + " " + Utf8(key.substr(at, length)) + ", o MDF-e diz " +
                        Utf8(expected));
    }
  };
  for (const KeyField& field : kKeyFields) {
    differs(field.at, field.length, LeftPadded(TextAt(ide, {field.name}), field.length), Utf8(field.name));
  }
  const std::u16string issued = TextAt(ide, {u"dhEmi"});
  differs(2, 4, issued.size() >= 7 ? issued.substr(2, 2) + issued.substr(5, 2) : issued, "ano e mês de emissão");
  const xml::DOMElement* emit = Child(infMDFe, u"emit");
  const std::u16string cnpj = TextAt(emit, {u"CNPJ"});
  differs(6, 14, cnpj.empty() ? LeftPadded(TextAt(emit, {u"CPF"}), 14) : cnpj, "CNPJ/CPF do emitente");
  const std::u16string qrCode = TextAt(manifest, {u"infMDFeSupl", u"qrCodMDFe"});
  if (qrCode.empty()) return;
  if (const std::u16string inQr = QueryValue(qrCode, u"chMDFe"); inQr != key) {
    reasons.push_back("o QR Code traz a chave " + Utf8(inQr) + ", não a do MDF-e");
  }
  if (const std::u16string inQr = QueryValue(qrCode, u"tpAmb"); inQr != TextAt(ide, {u"tpAmb"})) {
    reasons.push_back("o QR Code traz o ambiente (tpAmb) " + Utf8(inQr) + ", não o do MDF-e");
  }
}

void CheckProtocol(const xml::DOMElement* protocol, const xml::DOMElement* infMDFe, std::u16string_view key,
                   std::u16string_view digest, std::vector<std::string>& reasons) {
  const xml::DOMElement* info = Child(protocol, u"infProt");
  const std::u16string protocolKey = TextAt(info, {u"chMDFe"});
  if (protocolKey != key) reasons.push_back("o protocolo é do MDF-e de chave " + Utf8(protocolKey));
  std::u16string accepted = TextAt(info, {u"digVal"});
  std::erase_if(accepted, [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; });
  if (accepted != digest) {
    reasons.push_back("o resumo autorizado (digVal " + Utf8(accepted) + ") não é o da assinatura (" + Utf8(digest) +
                      ")");
  }
  const std::u16string environment = TextAt(info, {u"tpAmb"});
  if (environment != TextAt(infMDFe, {u"ide", u"tpAmb"})) {
    reasons.push_back("o protocolo é do ambiente (tpAmb) " + Utf8(environment) + ", não do MDF-e");
  }
  const std::u16string status = TextAt(info, {u"cStat"});
  if (status != u"100" && status != u"150") {
    reasons.push_back("o protocolo não autoriza o uso (cStat " + Utf8(status) + ")");
  }
}

void CheckCertificate(X509* signer, const xml::DOMElement* infMDFe, const Settings& settings, Verdict& verdict,
                      std::vector<std::string>& reasons) {
  verdict.certificate = Describe(signer);
  Certificate& described = verdict.certificate;
  const xml::DOMElement* emit = Child(infMDFe, u"emit");
  const std::string cnpj = Utf8(TextAt(emit, {u"CNPJ"}));
  const std::string cpf = Utf8(TextAt(emit, {u"CPF"}));
  if (described.holderKind.empty()) {
    reasons.push_back("o certificado não indica CNPJ nem CPF do titular");
  } else if (!cnpj.empty() ? described.holderKind != "CNPJ" || described.holderId.substr(0, 8) != cnpj.substr(0, 8)
                           : described.holderKind != "CPF" || described.holderId != cpf) {
    reasons.push_back("o certificado é do " + described.holderKind + " " + described.holderId +
                      ", não do emitente (" + (cnpj.empty() ? "CPF " + cpf : "CNPJ " + cnpj) + ")");
  }
  const std::optional<std::time_t> issued = ParseDateTime(TextAt(infMDFe, {u"ide", u"dhEmi"}));
  if (!issued) {
    reasons.push_back("data de emissão (dhEmi) ilegível: a validade do certificado não foi verificada");
    return;
  }
  if (!ValidAt(signer, *issued)) {
    reasons.push_back("o certificado não era válido na emissão (válido de " + described.validFrom + " a " +
                      described.validUntil + ")");
  }
  if (settings.chainFolder.empty()) return;
  CheckChain(signer, settings.chainFolder, *issued, described);
  if (described.chain == Chain::Invalid) reasons.push_back("cadeia do certificado: " + described.chainProblem);
}

void CheckSchemaOf(const std::string& bytes, const xml::DOMElement* infMDFe, const Settings& settings,
                   Verdict& verdict) {
  const std::u16string version = Attribute(infMDFe, u"versao");
  if (version == u"3.00") {
    verdict.schema = CheckSchema(bytes, settings.schemaDirectory);
  } else {
    verdict.schema.notCheckedWhy = "leiaute " + Utf8(version) + ": esquema não verificado";
  }
}

Verdict Unreadable(const std::string& why) {
  Verdict verdict;
  verdict.status = Status::NotConfirmed;
  verdict.reasons.push_back(why);
  verdict.schema.notCheckedWhy = "esquema não verificado";
  return verdict;
}

Verdict Verify(const std::string& bytes, const Settings& settings) {
  ExactDocument document = ParseExactDocument(bytes);
  xml::DOMElement* root = document->getDocumentElement();
  xml::DOMElement* protocol = nullptr;
  xml::DOMElement* manifest = root;
  if (Named(root, u"mdfeProc")) {
    manifest = Child(root, u"MDFe");
    protocol = Child(root, u"protMDFe");
  }
  xml::DOMElement* infMDFe = Child(manifest, u"infMDFe");
  if (!Named(manifest, u"MDFe") || !infMDFe) return Unreadable("o arquivo não é um MDF-e");

  Verdict verdict;
  const std::u16string id = Attribute(infMDFe, u"Id");
  const std::u16string key = id.substr(0, 4) == u"MDFe" ? id.substr(4) : id;
  verdict.accessKey = Utf8(key);
  std::vector<std::string> signatureFaults, identityFaults;
  CheckAccessKey(manifest, infMDFe, key, identityFaults);
  SignatureCheck signature = CheckSignature(document.get(), infMDFe);
  signatureFaults = signature.reasons;
  if (signature.certificate) CheckCertificate(signature.certificate.get(), infMDFe, settings, verdict, signatureFaults);
  if (protocol && signature.present) CheckProtocol(protocol, infMDFe, key, signature.digestValue, identityFaults);
  if (settings.checkSchema) CheckSchemaOf(bytes, infMDFe, settings, verdict);

  verdict.reasons = signatureFaults;
  verdict.reasons.insert(verdict.reasons.end(), identityFaults.begin(), identityFaults.end());
  if (!signature.present) {
    verdict.status = Status::Unsigned;
  } else {
    verdict.status = verdict.reasons.empty() ? Status::Confirmed : Status::NotConfirmed;
    verdict.notice = !signatureFaults.empty()  ? Notice::Signature
                     : !identityFaults.empty() ? Notice::Protocol
                                               : Notice::None;
  }
  return verdict;
}

// As the printing refuses: a hostile file costs a bounded amount of memory.
constexpr std::uintmax_t kMaxManifestBytes = 20 * 1024 * 1024;

std::string ReadAll(const std::filesystem::path& file) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (!error && size > kMaxManifestBytes) {
    throw std::runtime_error("o arquivo tem " + std::to_string(size / (1024 * 1024)) +
                             " MB; um MDF-e tem no máximo 20 MB");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("não foi possível ler o arquivo");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

Verdict VerifyManifest(const std::string& bytes, const Settings& settings) {
  try {
    return Verify(bytes, settings);
  } catch (const EDOMParseError& e) {
    return Unreadable("XML malformado: " + e.Reason() + " (linha " + std::to_string(e.Line()) + ")");
  } catch (const std::exception& e) {
    return Unreadable(e.what());
  }
}

Verdict VerifyManifestFile(const std::filesystem::path& file, const Settings& settings) {
  std::string bytes;
  try {
    bytes = ReadAll(file);
  } catch (const std::exception& e) {
    return Unreadable(e.what());
  }
  return VerifyManifest(bytes, settings);
}

Verdict VerifyEvent(const std::string& bytes) {
  try {
    ExactDocument document = ParseExactDocument(bytes);
    xml::DOMElement* root = document->getDocumentElement();
    xml::DOMElement* event = Named(root, u"procEventoMDFe") ? Child(root, u"eventoMDFe") : root;
    xml::DOMElement* infEvento = Child(event, u"infEvento");
    if (!infEvento) return Unreadable("o arquivo não é um evento de MDF-e");
    SignatureCheck signature = CheckSignature(document.get(), infEvento);
    Verdict verdict;
    verdict.accessKey = Utf8(TextAt(infEvento, {u"chMDFe"}));
    verdict.reasons = std::move(signature.reasons);
    verdict.status = !signature.present       ? Status::Unsigned
                     : verdict.reasons.empty() ? Status::Confirmed
                                               : Status::NotConfirmed;
    if (verdict.status == Status::NotConfirmed) verdict.notice = Notice::Signature;
    return verdict;
  } catch (const EDOMParseError& e) {
    return Unreadable("XML malformado: " + e.Reason() + " (linha " + std::to_string(e.Line()) + ")");
  }
}

std::string StatusWord(Status status) {
  switch (status) {
    case Status::Confirmed: return "confere";
    case Status::NotConfirmed: return "nao_confere";
    case Status::Unsigned: return "sem_assinatura";
  }
  return "";
}

std::string Summary(const Verdict& verdict) {
  switch (verdict.status) {
    case Status::Confirmed: return "confere";
    case Status::Unsigned: return "sem assinatura";
    case Status::NotConfirmed: break;
  }
  std::string text = "não confere: ";
  for (size_t i = 0; i < verdict.reasons.size(); ++i) text += (i ? "; " : "") + verdict.reasons[i];
  return text;
}

std::vector<std::string> DetailLines(const Verdict& verdict) {
  std::vector<std::string> lines;
  const Certificate& certificate = verdict.certificate;
  if (certificate.read) {
    std::string line = "certificado: " +
                       (certificate.holderKind.empty() ? "sem CNPJ/CPF" : certificate.holderKind + " " + certificate.holderId) +
                       ", válido de " + certificate.validFrom + " a " + certificate.validUntil + ", ";
    switch (certificate.chain) {
      case Chain::NotChecked: line += "cadeia não verificada (use --cadeia PASTA)"; break;
      case Chain::Valid: line += "cadeia verificada"; break;
      case Chain::Invalid: line += "cadeia inválida: " + certificate.chainProblem; break;
    }
    lines.push_back(line);
  }
  if (verdict.status == Status::Unsigned) {
    for (const std::string& reason : verdict.reasons) lines.push_back(reason);
  }
  const Schema& schema = verdict.schema;
  if (!schema.checked) {
    lines.push_back("esquema: " + schema.notCheckedWhy);
  } else if (schema.violations.empty()) {
    lines.push_back("esquema: sem violações (o bloco do modal, em infModal, não é validado)");
  }
  for (const SchemaViolation& violation : schema.violations) {
    lines.push_back("esquema: linha " + std::to_string(violation.line) + ", coluna " +
                    std::to_string(violation.column) + ": " + violation.message);
  }
  return lines;
}

}  // namespace verification
