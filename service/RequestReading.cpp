#include "RequestReading.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "DamdfeTexts.h"

TAnswer ErrorAnswer(int status, const QString& reason) {
  return {status, "application/json", QJsonDocument(QJsonObject{{"erro", reason}}).toJson(QJsonDocument::Compact)};
}

namespace {

struct TChoiceError {
  QString message;
};

template <size_t N>
int ChoiceIndex(const QUrlQuery& query, const QString& key, const std::array<std::string, N>& words) {
  if (!query.hasQueryItem(key)) return 0;
  const std::string value = query.queryItemValue(key, QUrl::FullyDecoded).toStdString();
  const auto found = std::find(words.begin(), words.end(), value);
  if (found != words.end()) return static_cast<int>(found - words.begin());
  QStringList accepted;
  for (const std::string& word : words) accepted << QString::fromStdString(word);
  throw TChoiceError{QStringLiteral("valor inválido para %1: \"%2\" (aceitos: %3)")
                         .arg(key, QString::fromStdString(value), accepted.join(QStringLiteral(", ")))};
}

// Refused rather than ignored: a mistyped name would silently print the default.
std::optional<QString> UnknownQueryItem(const QUrlQuery& query) {
  for (const auto& [key, value] : query.queryItems()) {
    if (key != QLatin1String("formato") && key != QLatin1String("tipo") && key != QLatin1String("protocolo")) {
      return key;
    }
  }
  return std::nullopt;
}

QByteArray MediaType(const QByteArray& contentType) { return contentType.split(';').first().trimmed().toLower(); }

QByteArray Boundary(const QByteArray& contentType) {
  static const QRegularExpression pattern(QStringLiteral("boundary=(\"?)([^\";]+)\\1"),
                                          QRegularExpression::CaseInsensitiveOption);
  return pattern.match(QString::fromLatin1(contentType)).captured(2).toLatin1();
}

QByteArray PartName(const QByteArray& headers) {
  static const QRegularExpression pattern(
      QStringLiteral("^content-disposition:.*;\\s*name=\"([^\"]*)\""),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
  return pattern.match(QString::fromUtf8(headers)).captured(1).toUtf8();
}

// The parts of a multipart/form-data body by name; nullopt when the body is not well formed.
std::optional<std::map<QByteArray, QByteArray>> FormParts(const QByteArray& body, const QByteArray& boundary) {
  if (boundary.isEmpty()) return std::nullopt;
  const QByteArray delimiter = "--" + boundary;
  std::map<QByteArray, QByteArray> parts;
  qsizetype position = body.indexOf(delimiter);
  if (position < 0) return std::nullopt;
  position += delimiter.size();
  while (body.mid(position, 2) != "--") {
    if (body.mid(position, 2) != "\r\n") return std::nullopt;
    const qsizetype headersEnd = body.indexOf("\r\n\r\n", position + 2);
    if (headersEnd < 0) return std::nullopt;
    const qsizetype contentStart = headersEnd + 4;
    const qsizetype next = body.indexOf("\r\n" + delimiter, contentStart);
    if (next < 0) return std::nullopt;
    parts[PartName(body.mid(position + 2, headersEnd - position - 2))] = body.mid(contentStart, next - contentStart);
    position = next + 2 + delimiter.size();
  }
  return parts;
}

// Fills the XML (and logo) from the body, or returns the refusal.
std::optional<TAnswer> ReadBody(const TRequestParts& request, TJobInput& input) {
  const QByteArray mediaType = MediaType(request.contentType);
  if (mediaType.isEmpty() || mediaType == "application/xml" || mediaType == "text/xml") {
    input.xml = request.body;
  } else if (mediaType == "multipart/form-data") {
    const auto parts = FormParts(request.body, Boundary(request.contentType));
    if (!parts) return ErrorAnswer(400, QStringLiteral("corpo multipart/form-data malformado"));
    if (!parts->count("xml")) return ErrorAnswer(400, QStringLiteral("falta a parte \"xml\" do formulário"));
    input.xml = parts->at("xml");
    if (parts->count("logo")) input.logo = parts->at("logo");
  } else {
    return ErrorAnswer(415, QStringLiteral("tipo de conteúdo não aceito: \"%1\"; envie o XML como application/xml, "
                                           "ou como multipart/form-data com as partes \"xml\" e \"logo\"")
                                .arg(QString::fromLatin1(mediaType)));
  }
  if (input.xml.isEmpty()) return ErrorAnswer(400, QStringLiteral("o XML do MDF-e veio vazio"));
  return std::nullopt;
}

}  // namespace

std::variant<TJobInput, TAnswer> ReadJobRequest(TJobInput::Kind kind, const TRequestParts& request, qint64 limitBytes) {
  if (request.body.size() > limitBytes) {
    return ErrorAnswer(413, QStringLiteral("o corpo tem %1 bytes; o limite é %2 MB")
                                .arg(request.body.size())
                                .arg(limitBytes / (1024 * 1024)));
  }
  TJobInput input;
  input.kind = kind;
  if (const auto unknown = UnknownQueryItem(request.query)) {
    return ErrorAnswer(
        400, QStringLiteral("parâmetro desconhecido: \"%1\" (aceitos: formato, tipo, protocolo)").arg(*unknown));
  }
  try {
    input.format = ChoiceIndex(request.query, QStringLiteral("formato"), kFormatWords);
    input.typeIndex = ChoiceIndex(request.query, QStringLiteral("tipo"), kDamdfeTypeWords);
  } catch (const TChoiceError& error) {
    return ErrorAnswer(400, error.message);
  }
  input.protocol = request.query.queryItemValue(QStringLiteral("protocolo"), QUrl::FullyDecoded).toStdString();
  if (auto refusal = ReadBody(request, input)) return *refusal;
  return input;
}
