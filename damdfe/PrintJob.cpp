#include "PrintJob.h"

#include <malloc.h>

#include <exception>

#include "DamdfeTexts.h"
#include "DataFiles.h"
#include "FileAccess.h"
#include "ManifestLoading.h"
#include "RvProject.h"

namespace {

constexpr const char* kReportName = "Report1";

// The report project as the parameters' sink.
class TProjectSink : public IParameterSink {
 public:
  explicit TProjectSink(TRvProject& project) : project_(project) {}
  void SetParam(const std::string& name, const std::string& value) override { project_.SetParam(name, value); }

 private:
  TRvProject& project_;
};

// Xerces' reasons are English; a short Portuguese word on the file follows the reason.
std::string ParseErrorExplanation(const std::string& reason) {
  if (reason.rfind("unable to open", 0) == 0) return "arquivo não encontrado ou sem permissão de leitura";
  if (reason == "invalid document structure") return "o arquivo não é um documento XML";
  if (reason.rfind("elements nested deeper", 0) == 0) return "elementos aninhados fundo demais";
  if (reason.rfind("more than", 0) == 0) return "atributos demais num só elemento";
  if (reason.rfind("document type declaration", 0) == 0)
    return "um MDF-e não tem DOCTYPE: declarações de DTD e entidades são recusadas";
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

namespace {

std::string Print(const TPrintRequest& request, const ReportOutput& output,
                  const std::filesystem::path& templateDirectory, int& sheets) {
  sheets = 0;
  try {
    if (!FileExists(request.xmlPath))
      return "-2 ERRO: Caminho do arquivo XML inexistente. Verifique: " + request.xmlPath;
    if (!FileExists(templateDirectory / kPortraitTemplate)) {
      return "-3 ERRO: Arquivo DAMDFE_Retrato.rav inexistente. Verifique.";
    }
    if (!FileExists(templateDirectory / kLandscapeTemplate)) {
      return "-4 ERRO: Arquivo DAMDFE_Paisagem.rav inexistente. Verifique.";
    }
    TRvProject project;
    {
      // Let go before the report runs, so a long manifest's tree and its pages never add up.
      TLoadedManifest loaded = LoadManifestForPrinting(request.xmlPath, request.eventFiles,
                                                       request.verdict ? &*request.verdict : nullptr);
      if (!request.contingency.empty() && loaded.manifest->infMDFe()->ide()->tpEmis() == u"1") {
        return kPrintErrorPrefix + kNormalEmissionMessage;
      }
      if (const std::string conflict = ProtocolConflict(loaded, request.protocol); !conflict.empty()) {
        return kPrintErrorPrefix + conflict;
      }
      const std::filesystem::path templateFile =
          templateDirectory / (request.format == 0 ? kPortraitTemplate : kLandscapeTemplate);
      project.SetProjectFile(QString::fromStdString(templateFile.string()));
      project.SetOutput(output);
      TProjectSink sink(project);
      FillDAMDFEParameters(loaded, request.logoPath, request.contingency, request.protocol, sink);
    }
    project.ExecuteReport(kReportName);
    sheets = project.SheetCount();
    return "";
  } catch (const std::exception& e) {
    return FailureResult(e);
  } catch (...) {
    return kPrintErrorPrefix + "erro desconhecido";
  }
}

}  // namespace

std::string PrintDAMDFE(const TPrintRequest& request, const ReportOutput& output,
                        const std::filesystem::path& templateDirectory) {
  int sheets = 0;
  return Print(request, output, templateDirectory, sheets);
}

std::string PrintDAMDFE(const TPrintRequest& request, const ReportOutput& output) {
  return PrintDAMDFE(request, output, DataDirectory());
}

std::string PrintDAMDFE(const TPrintRequest& request, const ReportOutput& output, int& sheets) {
  return Print(request, output, DataDirectory(), sheets);
}

std::string PrintDAMDFE(const std::string& xmlPath, const std::string& logoPath, const std::string& contingency,
                        const std::string& protocol, int format) {
  return PrintDAMDFE(TPrintRequest{xmlPath, logoPath, contingency, protocol, format, {}}, rv::PrintPreview{});
}

void KeepFreedMemoryBetweenJobs() {
  // glibc maps each block over 128 KiB apart and unmaps it when freed, and gives the top of the
  // heap back beyond 128 KiB free; Qt's PDF writer takes two 16 MiB buffers for each stream.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
}
