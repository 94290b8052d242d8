#include "JobRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

#include "DamdfeTexts.h"
#include "ManifestLoading.h"
#include "ReportOutput.h"
#include "VerificationTexts.h"

namespace {

// Pairs rather than an object: the fixed settings name "Serie" twice, and order matters.
QJsonArray SettingsArray(const TParameterRecorder& recorder) {
  QJsonArray settings;
  for (const auto& [name, value] : recorder.settings) {
    settings.append(QJsonArray{QString::fromStdString(name), QString::fromStdString(value)});
  }
  return settings;
}

TAnswer ParametersAnswer(const TJobInput& input, const std::string& xmlPath, const std::string& logoPath) {
  TParameterRecorder fixed;
  TParameterRecorder supplementary;
  try {
    TLoadedManifest loaded = LoadManifestForPrinting(xmlPath);
    FillDAMDFEParameters(loaded, logoPath, ContingencyTextFor(input.typeIndex), input.protocol, fixed, &supplementary);
  } catch (const std::exception& error) {
    return ErrorAnswer(422, QString::fromStdString(FailureResult(error)));
  }
  const QJsonObject answer{{"parametros", SettingsArray(fixed)}, {"suplementares", SettingsArray(supplementary)}};
  return {200, "application/json", QJsonDocument(answer).toJson(QJsonDocument::Compact)};
}

TAnswer VerificationAnswer(const std::string& xmlPath) {
  const verification::Verdict verdict = verification::VerifyManifestFile(xmlPath, VerificationSettings());
  return {200, "application/json", QJsonDocument(VerificationJson(verdict)).toJson(QJsonDocument::Compact)};
}

TAnswer PdfAnswer(const TJobInput& input, const std::string& xmlPath, const std::string& logoPath) {
  const verification::Verdict verdict = verification::VerifyManifestFile(xmlPath, VerificationSettings({}, false));
  auto printed = PrintToPdf(
      {xmlPath, logoPath, ContingencyTextFor(input.typeIndex), input.protocol, input.format, {}, verdict});
  if (auto* pdf = std::get_if<QByteArray>(&printed)) {
    return {200, "application/pdf", std::move(*pdf), QByteArray::fromStdString(verification::StatusWord(verdict.status))};
  }
  const std::string& result = std::get<std::string>(printed);
  // "-3" and "-4": the service's own templates are missing, not the client's fault.
  const bool serviceFault = result.rfind("-3", 0) == 0 || result.rfind("-4", 0) == 0;
  return ErrorAnswer(serviceFault ? 500 : 422, QString::fromStdString(result));
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The client never sees where the service keeps its files, only what they were in its request.
void HideTemporaryFolder(TAnswer& answer, const QTemporaryDir& folder) {
  if (answer.status == 200) return;
  answer.body.replace(folder.filePath(QStringLiteral("mdfe.xml")).toUtf8(), "XML do pedido");
  answer.body.replace(folder.filePath(QStringLiteral("logo")).toUtf8(), "logomarca do pedido");
  answer.body.replace(folder.path().toUtf8(), "pasta do pedido");
}

}  // namespace

std::variant<QByteArray, std::string> PrintToPdf(const TPrintRequest& request) {
  const rv::PdfInMemory output;
  std::string result = PrintDAMDFE(request, output);
  if (!result.empty()) return result;
  return std::move(*output.bytes);
}

TAnswer RunJob(const TJobInput& input, const std::string& defaultLogoPath) {
  QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/damdfe-servidor-XXXXXX"));
  const QString xmlPath = folder.filePath(QStringLiteral("mdfe.xml"));
  const QString logoPath = folder.filePath(QStringLiteral("logo"));
  if (!folder.isValid() || !WriteFile(xmlPath, input.xml) ||
      (!input.logo.isEmpty() && !WriteFile(logoPath, input.logo))) {
    std::fprintf(stderr, "damdfe-servidor: não foi possível gravar um pedido em %s\n",
                 QFile::encodeName(QDir::tempPath()).constData());
    return ErrorAnswer(500, QStringLiteral("não foi possível gravar o pedido na pasta temporária do serviço"));
  }
  const std::string xml = QFile::encodeName(xmlPath).toStdString();
  const std::string logo = input.logo.isEmpty() ? defaultLogoPath : QFile::encodeName(logoPath).toStdString();
  TAnswer answer = [&] {
    switch (input.kind) {
      case TJobInput::Kind::Pdf: return PdfAnswer(input, xml, logo);
      case TJobInput::Kind::Parameters: return ParametersAnswer(input, xml, logo);
      case TJobInput::Kind::Verification: return VerificationAnswer(xml);
    }
    return ErrorAnswer(500, QStringLiteral("pedido desconhecido"));
  }();
  HideTemporaryFolder(answer, folder);
  return answer;
}
