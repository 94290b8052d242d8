#include "VerificationTexts.h"

#include <QJsonArray>

#include "DataFiles.h"

namespace {

QJsonValue TextOrNull(const std::string& text) {
  return text.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(QString::fromStdString(text));
}

QString ChainWord(verification::Chain chain) {
  switch (chain) {
    case verification::Chain::Valid: return QStringLiteral("verificada");
    case verification::Chain::Invalid: return QStringLiteral("invalida");
    case verification::Chain::NotChecked: break;
  }
  return QStringLiteral("nao_verificada");
}

QJsonValue CertificateJson(const verification::Certificate& certificate) {
  if (!certificate.read) return QJsonValue(QJsonValue::Null);
  return QJsonObject{{QStringLiteral("tipo"), TextOrNull(certificate.holderKind)},
                     {QStringLiteral("numero"), TextOrNull(certificate.holderId)},
                     {QStringLiteral("valido_de"), TextOrNull(certificate.validFrom)},
                     {QStringLiteral("valido_ate"), TextOrNull(certificate.validUntil)},
                     {QStringLiteral("cadeia"), ChainWord(certificate.chain)},
                     {QStringLiteral("problema_cadeia"), TextOrNull(certificate.chainProblem)}};
}

QJsonObject SchemaJson(const verification::Schema& schema) {
  QJsonArray violations;
  for (const verification::SchemaViolation& violation : schema.violations) {
    violations.append(QJsonObject{{QStringLiteral("linha"), violation.line},
                                  {QStringLiteral("coluna"), violation.column},
                                  {QStringLiteral("mensagem"), QString::fromStdString(violation.message)}});
  }
  return {{QStringLiteral("verificado"), schema.checked},
          {QStringLiteral("motivo"), TextOrNull(schema.notCheckedWhy)},
          {QStringLiteral("violacoes"), violations}};
}

}  // namespace

verification::Settings VerificationSettings(const std::filesystem::path& chainFolder, bool checkSchema) {
  return {DataDirectory() / "schemas", chainFolder, checkSchema};
}

std::string SheetNotice(const verification::Verdict& verdict) {
  switch (verdict.notice) {
    case verification::Notice::Signature: return kSignatureNotice;
    case verification::Notice::Protocol: return kProtocolNotice;
    case verification::Notice::None: break;
  }
  return "";
}

std::string PrintWarning(const std::string& file, const verification::Verdict& verdict) {
  if (verdict.status != verification::Status::NotConfirmed) return "";
  return "aviso: " + file + ": " + verification::Summary(verdict) + "; o DAMDFE sai com a marca SEM VALOR FISCAL";
}

QJsonObject VerificationJson(const verification::Verdict& verdict) {
  QJsonArray reasons;
  for (const std::string& reason : verdict.reasons) reasons.append(QString::fromStdString(reason));
  return {{QStringLiteral("status"), QString::fromStdString(verification::StatusWord(verdict.status))},
          {QStringLiteral("chave"), TextOrNull(verdict.accessKey)},
          {QStringLiteral("motivos"), reasons},
          {QStringLiteral("certificado"), CertificateJson(verdict.certificate)},
          {QStringLiteral("esquema"), SchemaJson(verdict.schema)}};
}
