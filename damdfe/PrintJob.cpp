#include "PrintJob.h"

#include <cstdint>
#include <exception>
#include <stdexcept>

#include "DamdfeTexts.h"
#include "RoadBlock.h"
#include "RvProject.h"
#include "SupplementaryParameters.h"

namespace {

// The report project as the parameters' sink.
class TProjectSink : public IParameterSink {
 public:
  explicit TProjectSink(TRvProject& project) : project_(project) {}
  void SetParam(const std::string& name, const std::string& value) override { project_.SetParam(name, value); }

 private:
  TRvProject& project_;
};

// Far above any real manifest, low enough that a hostile file costs a bounded amount of memory.
constexpr std::uintmax_t kMaxManifestBytes = 20 * 1024 * 1024;

void RefuseHugeFile(const std::filesystem::path& xmlPath) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(xmlPath, error);
  if (!error && size > kMaxManifestBytes) {
    throw std::runtime_error("o arquivo XML tem " + std::to_string(size / (1024 * 1024)) +
                             " MB; um MDF-e tem no máximo " + std::to_string(kMaxManifestBytes / (1024 * 1024)) +
                             " MB");
  }
}

// The binding's own English text first, then what it means for this file.
[[noreturn]] void NotAManifest(const std::filesystem::path& path) {
  std::string root;
  try {
    root = ToUtf8(LoadDocumentFile(path)->DocumentElement()->NodeName());
  } catch (const std::exception&) {
  }
  throw std::runtime_error(EIntfCastError().what() + std::string(" (o arquivo não é um MDF-e: elemento raiz ") + root +
                           ")");
}

IXMLTMDFe LoadAnyManifest(const std::filesystem::path& path, IXMLMdfeProc& proc) {
  try {
    return LoadMdfeDocument(path);
  } catch (const EIntfCastError&) {
    // Not a bare manifest: perhaps one kept with its protocol.
  }
  try {
    proc = LoadMdfeProcDocument(path);
    return proc->MDFe();
  } catch (const EIntfCastError&) {
    NotAManifest(path);
  }
}

// Xerces' reasons are English; a short Portuguese word on the file follows the reason.
std::string ParseErrorExplanation(const std::string& reason) {
  if (reason.rfind("unable to open", 0) == 0) return "arquivo não encontrado ou sem permissão de leitura";
  if (reason == "invalid document structure") return "o arquivo não é um documento XML";
  if (reason.rfind("elements nested deeper", 0) == 0) return "elementos aninhados fundo demais";
  if (reason.rfind("more than", 0) == 0) return "atributos demais num só elemento";
  return "o XML está malformado";
}

}  // namespace

std::string FailureResult(const std::exception& error) {
  if (const auto* parse = dynamic_cast<const EDOMParseError*>(&error)) {
    return kPrintErrorPrefix + parse->Reason() + " (" + ParseErrorExplanation(parse->Reason()) +
           ")\r\nLine: " + std::to_string(parse->Line()) + "\r\n" + parse->SourceText();
  }
  return kPrintErrorPrefix + error.what();
}

TLoadedManifest LoadManifestForPrinting(const std::string& xmlPath) {
  RefuseHugeFile(xmlPath);
  TLoadedManifest loaded;
  loaded.manifest = LoadAnyManifest(xmlPath, loaded.proc);
  std::string roadBlock = CutRoadBlock(ReadWholeFile(xmlPath));
  // Created only now: the drivers' names and CPF spend as little time on disk as can be.
  TRoadBlockFile roadBlockFile;
  roadBlockFile.Write(roadBlock);
  loaded.roadBlock = LoadRodoDocument(FromUtf8(roadBlockFile.Path().string()));  // our own ASCII name
  return loaded;
}

std::string ProtocolToPrint(const TLoadedManifest& loaded, const std::string& typedProtocol) {
  if (!typedProtocol.empty() || !loaded.proc) return typedProtocol;
  return ToUtf8(loaded.proc->protMDFe()->infProt()->nProt());
}

void FillDAMDFEParameters(const TLoadedManifest& loaded, const std::string& logoPath, const std::string& contingency,
                          const std::string& protocol, IParameterSink& sink, IParameterSink* supplementarySink) {
  const std::string printed = ProtocolToPrint(loaded, protocol);
  SetDAMDFEParameters(loaded.manifest, loaded.roadBlock, logoPath, contingency, printed, sink);
  SetSupplementaryParameters(loaded, printed, supplementarySink ? *supplementarySink : sink);
}

std::string PrintDAMDFEWithTemplates(const std::filesystem::path& templateDirectory, const std::string& xmlPath,
                                     const std::string& logoPath, const std::string& contingency,
                                     const std::string& protocol, int format) {
  try {
    if (!FileExists(xmlPath)) return "-2 ERRO: Caminho do arquivo XML inexistente. Verifique: " + xmlPath;
    if (!FileExists(templateDirectory / kPortraitTemplate)) {
      return "-3 ERRO: Arquivo DAMDFE_Retrato.rav inexistente. Verifique.";
    }
    if (!FileExists(templateDirectory / kLandscapeTemplate)) {
      return "-4 ERRO: Arquivo DAMDFE_Paisagem.rav inexistente. Verifique.";
    }
    TLoadedManifest loaded = LoadManifestForPrinting(xmlPath);
    if (!contingency.empty() && loaded.manifest->infMDFe()->ide()->tpEmis() == u"1") {
      return kPrintErrorPrefix + kNormalEmissionMessage;
    }
    TRvProject project;
    std::filesystem::path templateFile = templateDirectory / (format == 0 ? kPortraitTemplate : kLandscapeTemplate);
    project.SetProjectFile(QString::fromStdString(templateFile.string()));
    TProjectSink sink(project);
    FillDAMDFEParameters(loaded, logoPath, contingency, protocol, sink);
    project.ExecuteReport(kReportName);
    project.Close();
    return "";
  } catch (const std::exception& e) {
    return FailureResult(e);
  } catch (...) {
    return kPrintErrorPrefix + "erro desconhecido";
  }
}

bool FileExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::filesystem::path ExecutableDirectory() {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path(error) : executable.parent_path();
}

std::filesystem::path DataDirectory() {
  const std::filesystem::path executableDirectory = ExecutableDirectory();
  std::filesystem::path installed = executableDirectory.parent_path() / "share" / "damdfe";
  std::error_code error;
  return std::filesystem::is_directory(installed, error) ? installed : executableDirectory;
}

std::string PrintDAMDFE(const std::string& xmlPath, const std::string& logoPath, const std::string& contingency,
                        const std::string& protocol, int format) {
  return PrintDAMDFEWithTemplates(DataDirectory(), xmlPath, logoPath, contingency, protocol, format);
}
