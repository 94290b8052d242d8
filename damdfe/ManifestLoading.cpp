#include "ManifestLoading.h"

#include <exception>
#include <filesystem>
#include <stdexcept>

#include "FileAccess.h"
#include "ManifestModal.h"
#include "ModalParameters.h"
#include "SupplementaryParameters.h"
#include "VerificationTexts.h"

namespace {

// The binding's own English text first, then what it means for this file.
[[noreturn]] void NotAManifest(const IXMLDocument& document) {
  const IXMLNode root = document->DocumentElement();
  throw std::runtime_error(EIntfCastError().what() + std::string(" (o arquivo não é um MDF-e: elemento raiz ") +
                           (root ? ToUtf8(root->NodeName()) : std::string()) + ")");
}

// Parsed once, then bound as a bare manifest or as one kept with its protocol.
IXMLTMDFe LoadAnyManifest(const std::filesystem::path& path, IXMLMdfeProc& proc) {
  const IXMLDocument document = LoadDocumentFile(path);
  try {
    return BindMdfeDocument(document);
  } catch (const EIntfCastError&) {
  }
  try {
    proc = BindMdfeProcDocument(document);
    return proc->MDFe();
  } catch (const EIntfCastError&) {
    NotAManifest(document);
  }
}

}  // namespace

TLoadedManifest LoadManifestForPrinting(const std::string& xmlPath, const std::vector<std::string>& eventFiles,
                                        const verification::Verdict* knownVerdict) {
  RefuseHugeXmlFile(xmlPath, "um MDF-e");
  TLoadedManifest loaded;
  loaded.manifest = LoadAnyManifest(xmlPath, loaded.proc);
  std::vector<TEventFile> events;
  for (const std::string& file : eventFiles) events.push_back(LoadEventFile(file));
  loaded.events = EventsFor(IdentityOf(loaded.manifest), events);
  const std::string bytes = ReadWholeFile(xmlPath);
  loaded.verdict = knownVerdict ? *knownVerdict
                                : verification::VerifyManifest(bytes, VerificationSettings({}, false));
  LoadModalBlock(loaded, bytes);
  return loaded;
}

TManifestIdentity ManifestIdentity(const std::string& xmlPath) {
  IXMLMdfeProc proc;
  return IdentityOf(LoadAnyManifest(xmlPath, proc));
}

namespace {

std::string AuthorisedProtocol(const TLoadedManifest& loaded) {
  return loaded.proc ? ToUtf8(loaded.proc->protMDFe()->infProt()->nProt()) : std::string();
}

}  // namespace

std::string ProtocolToPrint(const TLoadedManifest& loaded, const std::string& typedProtocol) {
  const std::string authorised = AuthorisedProtocol(loaded);
  return authorised.empty() ? typedProtocol : authorised;
}

std::string ProtocolConflict(const TLoadedManifest& loaded, const std::string& typedProtocol) {
  const std::string authorised = AuthorisedProtocol(loaded);
  if (typedProtocol.empty() || authorised.empty() || typedProtocol == authorised) return "";
  return "o protocolo digitado (" + typedProtocol + ") difere do protocolo de autorização do arquivo (" + authorised +
         "). O DAMDFE mostra o protocolo autorizado: deixe o número do protocolo em branco ou digite " + authorised +
         ".";
}

void FillDAMDFEParameters(const TLoadedManifest& loaded, const std::string& logoPath, const std::string& contingency,
                          const std::string& protocol, IParameterSink& sink, IParameterSink* supplementarySink) {
  const std::string printed = ProtocolToPrint(loaded, protocol);
  SetDAMDFEParameters(loaded.manifest, loaded.roadBlock, logoPath, contingency, printed, sink);
  SetSupplementaryParameters(loaded, printed, supplementarySink ? *supplementarySink : sink);
  SetEventParameters(loaded.events, supplementarySink ? *supplementarySink : sink);
  SetModalParameters(loaded, supplementarySink ? *supplementarySink : sink);
}
