#include "PrintJob.h"

#include <exception>

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

IXMLTMDFe LoadAnyManifest(const std::string& xmlPath, IXMLMdfeProc& proc) {
  std::u16string path = FromUtf8(xmlPath);
  try {
    return LoadMdfeDocument(path);
  } catch (const EIntfCastError&) {
    // Not a bare manifest: perhaps one kept with its protocol; if not, that cast fails alike.
    proc = LoadMdfeProcDocument(path);
    return proc->MDFe();
  }
}

}  // namespace

TLoadedManifest LoadManifestForPrinting(const std::string& xmlPath) {
  TLoadedManifest loaded;
  loaded.manifest = LoadAnyManifest(xmlPath, loaded.proc);
  TRoadBlockFile roadBlockFile;
  roadBlockFile.Write(CutRoadBlock(ReadWholeFile(xmlPath)));
  loaded.roadBlock = LoadRodoDocument(FromUtf8(roadBlockFile.Path().string()));
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
    return kPrintErrorPrefix + e.what();
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
