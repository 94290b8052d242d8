#include "DisplayFormat.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <functional>
#include <map>

namespace report {

namespace {

// The clock time as the XML writes it: an offset is kept, never converted.
QString dateTime(const QString& value, const QString& pattern) {
  if (!value.contains(u'T')) {
    const QDate day = QDate::fromString(value, Qt::ISODate);
    return day.isValid() ? day.toString(QStringLiteral("dd/MM/yyyy")) : value;
  }
  const QDateTime moment = QDateTime::fromString(value, Qt::ISODateWithMs);
  return moment.isValid() ? moment.toString(pattern) : value;
}

// pt-BR grouping with exactly the decimals the XML wrote.
QString number(const QString& value) {
  static const QRegularExpression decimal(QStringLiteral("^-?\\d+(?:\\.(\\d+))?$"));
  const QRegularExpressionMatch match = decimal.match(value);
  if (!match.hasMatch()) return value;
  const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
  return brazil.toString(value.toDouble(), 'f', static_cast<int>(match.capturedLength(1)));
}

QString masked(const QString& value, const QRegularExpression& shape, const QString& mask) {
  const QRegularExpressionMatch match = shape.match(value);
  return match.hasMatch() ? QString(value).replace(shape, mask) : value;
}

// By length: 11 digits a CPF, 14 characters a CNPJ (12 letters or digits, then two check digits).
QString taxId(const QString& value) {
  static const QRegularExpression cpf(QStringLiteral("^(\\d{3})(\\d{3})(\\d{3})(\\d{2})$"));
  static const QRegularExpression cnpj(
      QStringLiteral("^([0-9A-Z]{2})([0-9A-Z]{3})([0-9A-Z]{3})([0-9A-Z]{4})(\\d{2})$"));
  if (value.size() == 11) return masked(value, cpf, QStringLiteral("\\1.\\2.\\3-\\4"));
  return masked(value, cnpj, QStringLiteral("\\1.\\2.\\3/\\4-\\5"));
}

QString postalCode(const QString& value) {
  static const QRegularExpression cep(QStringLiteral("^(\\d{5})(\\d{3})$"));
  return masked(value, cep, QStringLiteral("\\1-\\2"));
}

using Words = std::map<QString, QString>;

QString inWords(const Words& words, const QString& value) {
  const auto found = words.find(value);
  return found == words.end() ? value : found->second;
}

const Words kEmissionTypes{{"1", "1 - Normal"}, {"2", "2 - Contingência"}};
const Words kWeightUnits{{"01", "KG"}, {"02", "TON"}};
const Words kPaymentForms{{"0", "à vista"}, {"1", "a prazo"}};
const Words kCargoTypes{{"01", "Granel sólido"},
                        {"02", "Granel líquido"},
                        {"03", "Frigorificada"},
                        {"04", "Conteinerizada"},
                        {"05", "Carga geral"},
                        {"06", "Neogranel"},
                        {"07", "Perigosa (granel sólido)"},
                        {"08", "Perigosa (granel líquido)"},
                        {"09", "Perigosa (carga frigorificada)"},
                        {"10", "Perigosa (conteinerizada)"},
                        {"11", "Perigosa (carga geral)"}};

const Words kNavigationTypes{{"0", "Interior"}, {"1", "Cabotagem"}};
const Words kTransportUnits{{"1", "Rodoviário Tração"}, {"2", "Rodoviário Reboque"}, {"3", "Navio"}, {"4", "Balsa"},
                            {"5", "Aeronave"},          {"6", "Vagão"},              {"7", "Outros"}};
const Words kCargoUnits{{"1", "Container"}, {"2", "ULD"}, {"3", "Pallet"}, {"4", "Outros"}};
const Words kPaymentComponents{{"01", "Vale Pedágio"},
                               {"02", "Impostos, taxas e contribuições"},
                               {"03", "Despesas (bancárias, meios de pagamento, outras)"},
                               {"04", "Frete"},
                               {"99", "Outros"}};

using Format = std::function<QString(const QString&)>;

const std::map<QString, Format>& formats() {
  static const std::map<QString, Format> all{
      {"data_hora", [](const QString& v) { return dateTime(v, QStringLiteral("dd/MM/yyyy hh:mm:ss")); }},
      {"data_hora_minutos", [](const QString& v) { return dateTime(v, QStringLiteral("dd/MM/yyyy hh:mm")); }},
      {"numero", number},
      {"quantidade", [](const QString& v) { return v.isEmpty() ? QStringLiteral("0") : number(v); }},
      {"cpf_cnpj", taxId},
      {"cep", postalCode},
      {"tipo_emissao", [](const QString& v) { return inWords(kEmissionTypes, v); }},
      {"unidade", [](const QString& v) { return inWords(kWeightUnits, v); }},
      {"forma_pagamento", [](const QString& v) { return inWords(kPaymentForms, v); }},
      {"tipo_carga", [](const QString& v) { return kCargoTypes.count(v) ? v + " - " + kCargoTypes.at(v) : v; }},
      {"tipo_unidade_transporte", [](const QString& v) { return inWords(kTransportUnits, v); }},
      {"tipo_unidade_carga", [](const QString& v) { return inWords(kCargoUnits, v); }},
      {"tipo_componente", [](const QString& v) { return inWords(kPaymentComponents, v); }},
      {"tipo_navegacao", [](const QString& v) { return inWords(kNavigationTypes, v); }},
  };
  return all;
}

}  // namespace

bool isDisplayFormat(const QString& format) { return formats().count(format) > 0; }

QString displayFormatted(const QString& format, const QString& value) {
  const auto found = formats().find(format);
  return found == formats().end() ? value : found->second(value.trimmed());
}

}  // namespace report
