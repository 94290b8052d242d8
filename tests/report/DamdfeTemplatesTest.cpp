// The two shipped DAMDFE templates, rendered with the print job's parameters.

#include "ReportTestSupport.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class DamdfeTemplate : public testing::TestWithParam<const char*> {
 protected:
  QString templatePath() const { return templateBesideTests(QString::fromLatin1(GetParam())); }

  static ParameterList with(ParameterList parameters, const ParameterList& changes) {
    parameters.insert(parameters.end(), changes.begin(), changes.end());
    return parameters;
  }

  RenderedReport report;
};

// Text extraction may add or drop blanks between words and break wrapped
// lines; what must survive is every character in order.
QString withoutBlanks(QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); }

// The issuer's lines come from their own parameters, without the glued-on labels; the contingency
// data is a barcode MDF-e does not have.
TEST_P(DamdfeTemplate, UsesEveryParameterOfTheContractButTheRetiredOnes) {
  QFile file(templatePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << templatePath().toStdString();
  const QString content = QString::fromUtf8(file.readAll());
  const QStringList retired = {"contingencia", "barra_dados_mdfe", "dados_mdfe", "CNPJ", "CEP", "Nome", "End",
                               "Compl",        "Bairro",           "Nro",        "Mun",  "UF",  "IE"};
  for (const QString& name : damdfeParameterNames()) {
    const QRegularExpression used(QStringLiteral("\\{%1(\\|[a-z_]+)?\\}").arg(name));
    EXPECT_EQ(content.contains(used), !retired.contains(name)) << name.toStdString();
  }
}

TEST_P(DamdfeTemplate, PrintsTheValuesOnOneSheet) {
  ASSERT_NO_THROW(report.render(templatePath(), realisticDamdfeParameters()));
  EXPECT_EQ(report.pageCount(), 1);
  EXPECT_EQ(report.pdfTitle(), QStringLiteral("DAMDFE 1234"));
  const QStringList fonts =
      runTool(QStringLiteral("pdffonts"), {report.pdfPath()}).split(u'\n', Qt::SkipEmptyParts).mid(2);
  EXPECT_FALSE(fonts.isEmpty());
  const QRegularExpression embedded(QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$"));
  for (const QString& font : fonts)
    EXPECT_EQ(embedded.match(font).captured(1), QStringLiteral("yes")) << font.toStdString();
  const QString text = withoutBlanks(report.streamText());
  for (const char* expected : {
           "DAMDFE - Documento Auxiliar do Manifesto Eletrônico de Documentos Fiscais",
           "CHAVE DE ACESSO",
           "4317 1012 3456 7800 0199 5800 1000 0012 3410 0012 3450",
           "143170000123456",
           "TRANSPORTES RODOVIÁRIOS SÃO JOÃO DA BOA VISTA LTDA",
           "CNPJ/CPF: 12.345.678/0001-99",
           "IE: 0961234567",
           "AVENIDA PRESIDENTE JUSCELINO KUBITSCHEK DE OLIVEIRA, 1500",
           "GALPÃO 3 - DISTRITO INDUSTRIAL",
           "PORTO ALEGRE - RS",
           "CEP: 90010-000",
           "04/10/2017 19:54:12",
           "1 - Normal",
           "Modal Rodoviário de Carga",
           "12.500,0000 KG",
           "ABC1D23",
           "123.456.789-09",
           "JOSÉ DA SILVA PEREIRA",
           "1 / 1",
           "MDF-e nº 1234",
       }) {
    EXPECT_TRUE(text.contains(withoutBlanks(QString::fromUtf8(expected)))) << expected;
  }
  EXPECT_FALSE(text.contains(QStringLiteral("CONTINGÊNCIA")));
  EXPECT_TRUE(report.text().contains(QStringLiteral("4317 1012 3456 7800 0199 5800 1000 0012 3410 0012 3450")));
}

TEST_P(DamdfeTemplate, AccessKeyBarcodeReadsBackAsTheKey) {
  // Keys of an alphanumeric CNPJ carry letters; the barcode holds them as they are.
  for (const char* key :
       {"43171012345678000199580010000012341000123450", "43171012AB3CD4EF01995800100000123410001234XY"}) {
    SCOPED_TRACE(key);
    report.render(templatePath(), with(realisticDamdfeParameters(), {{"barra_chave_acesso", key}}));
    EXPECT_EQ(report.barcodes(), QStringList{QString::fromLatin1(key)});
  }
}

// The manifest's tpEmis decides: the user's contingency text and data print nothing.
TEST_P(DamdfeTemplate, ContingencyNoticeFollowsTheManifestOnly) {
  const ParameterList chosen = {{"contingencia", "DAMDFE EM CONTINGÊNCIA - FS-DA"},
                                {"barra_dados_mdfe", "432123456789012345678901234567890100DV"},
                                {"dados_mdfe", "4321 2345 6789 0123 4567 8901 2345 6789 0100DV"}};
  report.render(templatePath(), with(realisticDamdfeParameters(), chosen));
  EXPECT_FALSE(report.text().contains(QStringLiteral("CONTINGÊNCIA")));
  EXPECT_FALSE(report.text().contains(QStringLiteral("4321 2345")));
  EXPECT_EQ(report.barcodes(), QStringList{QStringLiteral("43171012345678000199580010000012341000123450")});

  report.render(templatePath(), with(realisticDamdfeParameters(), {{"emissao_contingencia", "1"}}));
  EXPECT_TRUE(withoutBlanks(report.streamText())
                  .contains(withoutBlanks(QStringLiteral("EMISSÃO EM CONTINGÊNCIA. Obrigatória a autorização em 168 "
                                                         "horas após esta emissão (04/10/2017 19:54)"))));
  EXPECT_FALSE(report.text().contains(QStringLiteral("143170000123456")));
}

TEST_P(DamdfeTemplate, MaximalLengthsStillPrintWhole) {
  // 60 characters is the most each of these elements may hold; W is the widest letter.
  const std::string sixty(60, 'W');
  const std::string two = sixty + ", " + sixty;
  ParameterList parameters = realisticDamdfeParameters();
  for (const auto& [name, value] : {std::pair{"emit_xNome", sixty}, {"emit_logradouro", two}, {"emit_bairro", two},
                                    {"emit_xMun", sixty}, {"CNome", sixty}})
    parameters.push_back({name, value});
  ASSERT_NO_THROW(report.render(templatePath(), parameters));
  EXPECT_EQ(report.pageCount(), 1);
  const QString text = withoutBlanks(report.streamText());
  EXPECT_EQ(text.count(withoutBlanks(QString::fromStdString(two))), 2);
  EXPECT_GE(text.count(QString::fromStdString(sixty)), 7);
}

INSTANTIATE_TEST_SUITE_P(BothOrientations, DamdfeTemplate,
                         testing::Values("DAMDFE_Retrato.rav", "DAMDFE_Paisagem.rav"));

}  // namespace
