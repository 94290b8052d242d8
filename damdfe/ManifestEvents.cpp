#include "ManifestEvents.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "DisplayFormat.h"
#include "FileAccess.h"
#include "Verification.h"

namespace {

constexpr std::u16string_view kCancellation = u"110111";
constexpr std::u16string_view kClosing = u"110112";
constexpr std::u16string_view kDriverAdded = u"110114";
// The root and the key (in the event's Id and chMDFe) stand in an event file's first lines, so a
// folder of thousands of manifests is looked through quickly.
constexpr std::size_t kEventHead = 8192;

bool IsRegistered(const std::u16string& cStat) { return cStat == u"135" || cStat == u"136"; }

// IBGE state codes, as events carry them.
std::u16string StateOf(const std::u16string& cUF) {
  static const std::map<std::u16string, std::u16string> kStates = {
      {u"11", u"RO"}, {u"12", u"AC"}, {u"13", u"AM"}, {u"14", u"RR"}, {u"15", u"PA"}, {u"16", u"AP"}, {u"17", u"TO"},
      {u"21", u"MA"}, {u"22", u"PI"}, {u"23", u"CE"}, {u"24", u"RN"}, {u"25", u"PB"}, {u"26", u"PE"}, {u"27", u"AL"},
      {u"28", u"SE"}, {u"29", u"BA"}, {u"31", u"MG"}, {u"32", u"ES"}, {u"33", u"RJ"}, {u"35", u"SP"}, {u"41", u"PR"},
      {u"42", u"SC"}, {u"43", u"RS"}, {u"50", u"MS"}, {u"51", u"MT"}, {u"52", u"GO"}, {u"53", u"DF"}};
  auto found = kStates.find(cUF);
  return found == kStates.end() ? cUF : found->second;
}

// Dates as the templates' display formats show them: the clock time as written, no offset.
std::u16string DateTime(const std::u16string& iso) {
  return report::displayFormatted(QStringLiteral("data_hora"), QString::fromStdU16String(iso)).toStdU16String();
}
std::u16string Date(const std::u16string& iso) { return DateTime(iso.substr(0, 10)); }

std::u16string CancellationStatement(const IXMLInfEventoRet& registration) {
  return u"MDF-e cancelado em " + DateTime(registration->dhRegEvento()) + u" – protocolo " + registration->nProt();
}

std::u16string ClosingStatement(const IXMLEvEncMDFe& closing, const IXMLInfEventoRet& registration) {
  return u"MDF-e encerrado em " + Date(closing->dtEnc()) + u" – UF " + StateOf(closing->cUF()) + u" – município " +
         closing->cMun() + u" – protocolo " + registration->nProt();
}

std::string Warning(const TEventFile& event, const std::string& why) {
  return "aviso: evento " + ToUtf8(event.proc->eventoMDFe()->infEvento()->tpEvento()) + " em " + event.path + " " +
         why + "; ignorado";
}

bool ContainsText(const std::string& text, std::u16string_view what) {
  return text.find(ToUtf8(what)) != std::string::npos;
}

bool MentionsEventOf(const std::filesystem::path& file, std::u16string_view accessKey) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error) || !HasXmlExtension(file)) return false;
  std::string head;
  try {
    head = ReadFileStart(file, kEventHead);
  } catch (const std::runtime_error&) {
    return false;  // unreadable: not an event we could print
  }
  return ContainsText(head, u"procEventoMDFe") && ContainsText(head, accessKey);
}

}  // namespace

TManifestIdentity IdentityOf(const IXMLTMDFe& manifest) {
  IXMLInfMDFe infMDFe = manifest->infMDFe();
  return {AccessKey(infMDFe->Id()), infMDFe->ide()->tpAmb()};
}

TEventFile LoadEventFile(const std::string& path) {
  auto failure = [&](const std::string& why) { return std::runtime_error("arquivo de evento " + path + ": " + why); };
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw failure("arquivo não encontrado");
  TEventFile event{path, nullptr};
  try {
    RefuseHugeXmlFile(path, "um evento");
    event.proc = LoadProcEventoMDFeDocument(std::filesystem::path(path));
  } catch (const EIntfCastError&) {
    throw failure("não é um evento de MDF-e registrado (procEventoMDFe)");
  } catch (const std::exception& e) {
    throw failure(std::string("não foi possível ler o XML: ") + e.what());
  }
  if (event.AccessKey().size() != 44) throw failure("evento sem a chave de acesso do MDF-e (chMDFe)");
  const verification::Verdict signature = verification::VerifyEvent(ReadWholeFile(path));
  if (signature.status == verification::Status::NotConfirmed) event.signatureFault = verification::Summary(signature);
  return event;
}

std::vector<std::string> EventFilesInFolder(const std::filesystem::path& folder, std::u16string_view accessKey) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (MentionsEventOf(entry.path(), accessKey)) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TManifestEvents EventsFor(const TManifestIdentity& manifest, const std::vector<TEventFile>& events) {
  TManifestEvents result;
  std::u16string cancelled, closed;
  std::set<std::u16string> protocolsSeen;  // one event given twice counts once
  for (const TEventFile& event : events) {
    IXMLInfEvento sent = event.proc->eventoMDFe()->infEvento();
    IXMLInfEventoRet registration = event.proc->retEventoMDFe()->infEvento();
    std::u16string type = sent->tpEvento();
    bool handled = type == kCancellation || type == kClosing || type == kDriverAdded;
    if (sent->chMDFe() != manifest.accessKey || !handled) continue;
    if (!event.signatureFault.empty()) {
      result.warnings.push_back(Warning(event, "tem assinatura que " + event.signatureFault));
      continue;
    }
    if (sent->tpAmb() != manifest.environment) {
      result.warnings.push_back(Warning(event, "é de outro ambiente (tpAmb " + ToUtf8(sent->tpAmb()) + ")"));
      continue;
    }
    if (!IsRegistered(registration->cStat())) {
      result.warnings.push_back(Warning(event, "não foi registrado (cStat " + ToUtf8(registration->cStat()) + ")"));
      continue;
    }
    if (!protocolsSeen.insert(registration->nProt()).second) continue;
    IXMLDetEvento detail = sent->detEvento();
    if (type == kCancellation && cancelled.empty()) cancelled = CancellationStatement(registration);
    if (type == kClosing && closed.empty()) closed = ClosingStatement(detail->evEncMDFe(), registration);
    if (type == kDriverAdded) {
      IXMLEvCondutor driver = detail->evIncCondutorMDFe()->condutor();
      result.addedDrivers.push_back({driver->CPF(), driver->xNome(), Date(registration->dhRegEvento())});
    }
  }
  if (!cancelled.empty()) {
    result.mark = u"CANCELADO";
    result.statement = cancelled;
  } else if (!closed.empty()) {
    result.mark = u"ENCERRADO";
    result.statement = closed;
  }
  return result;
}

void SetEventParameters(const TManifestEvents& events, IParameterSink& sink) {
  sink.SetParam("marca_evento", ToUtf8(events.mark));
  sink.SetParam("texto_evento", ToUtf8(events.statement));
}
