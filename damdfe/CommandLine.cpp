#include "CommandLine.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>

#include "DamdfeTexts.h"
#include "FileAccess.h"

namespace {

constexpr const char* kVersion = "damdfe-imprimir 1.0.0";

constexpr const char* kUsage =
    "Uso: damdfe-imprimir [opções] [--] ARQUIVO.xml [ARQUIVO.xml ...]\n"
    "Imprime o DAMDFE de cada MDF-e (XML do leiaute 3.00, com ou sem o protocolo de autorização).\n"
    "Opções com valor aceitam --opção=valor e --opção valor; depois de --, tudo é arquivo.\n"
    "\n"
    "Arquivos:\n"
    "  --xml ARQUIVO          MDF-e a imprimir (pode repetir; arquivos soltos também valem;\n"
    "                         - lê o XML da entrada padrão, uma vez só)\n"
    "  --logo ARQUIVO         logomarca do cliente (BMP, JPEG ou PNG; opcional)\n"
    "  --evento ARQUIVO       evento registrado do MDF-e (procEventoMDFe): cancelamento, encerramento\n"
    "                         ou inclusão de condutor (pode repetir)\n"
    "  --eventos PASTA        usa os eventos desta pasta cuja chave é a do MDF-e\n"
    "\n"
    "Saída (uma só; sem nenhuma, um PDF por MDF-e na pasta atual, com o nome do XML;\n"
    "o XML da entrada padrão dá damdfe.pdf):\n"
    "  --pdf ARQUIVO          grava o PDF neste arquivo (um único XML; - escreve na saída padrão)\n"
    "  --pasta PASTA          grava um PDF por MDF-e nesta pasta, com o nome do XML\n"
    "  --png PASTA            grava as folhas como imagens PNG (uma subpasta por XML quando forem vários)\n"
    "  --impressora[=NOME]    envia para a impressora NOME, ou para a padrão\n"
    "  --visualizar           abre a visualização de impressão (requer tela)\n"
    "\n"
    "DAMDFE:\n"
    "  --protocolo NÚMERO     número do protocolo de autorização\n"
    "  --tipo TIPO            normal (padrão) ou contingencia\n"
    "  --formato FORMATO      retrato (padrão) ou paisagem\n"
    "\n"
    "Outras:\n"
    "  --parametros           mostra os parâmetros do relatório (nome=valor) e não imprime\n"
    "  --verificar            não imprime: confere assinatura digital, protocolo de autorização, chave\n"
    "                         de acesso, certificado e esquema de cada XML e diz, por arquivo,\n"
    "                         \"confere\", \"não confere: motivo\" ou \"sem assinatura\"\n"
    "  --cadeia PASTA         valida a cadeia do certificado com as raízes e intermediárias desta\n"
    "                         pasta (PEM ou DER); sem ela, a cadeia não é verificada\n"
    "  --json                 uma linha JSON por XML na saída padrão, e nada mais nela: arquivo, saida,\n"
    "                         status (impresso ou erro), erro, chave, folhas e verificacao (com\n"
    "                         --verificar: arquivo, status, chave, motivos, certificado e esquema)\n"
    "  --silencioso           sem as linhas de progresso nem o resumo; os erros continuam\n"
    "  --help                 mostra esta ajuda\n"
    "  --version              mostra a versão\n"
    "\n"
    "Um XML assinado que não confere é impresso com a marca SEM VALOR FISCAL e o motivo no quadro\n"
    "do protocolo, com um aviso na saída de erros.\n"
    "\n"
    "Saída do programa: 0 quando todos foram impressos, 1 quando algum falhou, 2 para uso incorreto;\n"
    "com --verificar, 0 quando todos conferem sem violação do esquema, senão 1.\n";

void ChooseOutput(Options& options, OutputKind kind, std::string path) {
  if (options.output) throw UsageError{"escolha uma só saída (--pdf, --pasta, --png, --impressora ou --visualizar)"};
  options.output = kind;
  options.outputPath = std::move(path);
}

template <std::size_t N>
int ChoiceIndex(const std::string& option, const std::string& value, const std::array<std::string, N>& choices) {
  for (std::size_t i = 0; i < N; ++i) {
    if (choices[i] == value) return static_cast<int>(i);
  }
  throw UsageError{"valor inválido para " + option + ": \"" + value + "\""};
}

const QStringList kValueOptions = {QStringLiteral("xml"),     QStringLiteral("evento"),    QStringLiteral("eventos"),
                                   QStringLiteral("logo"),    QStringLiteral("protocolo"), QStringLiteral("tipo"),
                                   QStringLiteral("formato"), QStringLiteral("pdf"),       QStringLiteral("pasta"),
                                   QStringLiteral("png"),     QStringLiteral("impressora"), QStringLiteral("cadeia")};
const QStringList kSwitches = {QStringLiteral("help"),       QStringLiteral("version"), QStringLiteral("parametros"),
                               QStringLiteral("visualizar"), QStringLiteral("json"),    QStringLiteral("silencioso"),
                               QStringLiteral("verificar")};

// Arguments as the parser reads them, one character a byte, so paths come back as the same bytes.
QString Latin1(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string Bytes(const QString& text) { return text.toLatin1().toStdString(); }

// "--impressora NOME" names a queue only when NOME is no option, no XML and no file: the optional
// value never swallows a manifest.
bool NamesAQueue(const std::string& argument) {
  std::error_code error;
  return argument.rfind('-', 0) != 0 && !HasXmlExtension(argument) && !std::filesystem::exists(argument, error);
}

// The arguments the parser gets, and the usage error that stops them: every file becomes
// "--xml=FILE" and every value is joined to its option, so the parser sees the arguments in their
// order and never guesses. The list ends at the error, which counts only if nothing before it
// ends the run first.
struct Normalised {
  QStringList arguments{QStringLiteral("damdfe-imprimir")};
  std::optional<UsageError> error;
};

Normalised Normalise(const std::vector<std::string>& arguments) {
  Normalised result;
  bool onlyFiles = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const size_t equals = argument.find('=');
    const bool assigned = equals != std::string::npos;
    const QString name = argument.rfind("--", 0) == 0 ? Latin1(argument.substr(2, equals - 2)) : QString();
    const bool hasNext = i + 1 < arguments.size();
    if (onlyFiles || argument.rfind('-', 0) != 0 || argument == kStandardStream) {
      result.arguments << Latin1("--xml=" + argument);
    } else if (argument == "--") {
      onlyFiles = true;
    } else if (argument == "--impressora") {
      result.arguments << Latin1("--impressora=" + (hasNext && NamesAQueue(arguments[i + 1]) ? arguments[++i] : ""));
    } else if (argument == "-h" || (kSwitches.contains(name) && !assigned)) {
      result.arguments << Latin1(argument);
    } else if (kValueOptions.contains(name) && (assigned || hasNext)) {
      result.arguments << Latin1(assigned ? argument : argument + "=" + arguments[++i]);
    } else {
      const bool valueMissing = kValueOptions.contains(name);
      result.error = UsageError{valueMissing ? "falta o valor de " + argument : "opção desconhecida: " + argument};
      return result;
    }
  }
  return result;
}

// Normalise has refused whatever the parser would not take.
void Parse(QCommandLineParser& parser, const QStringList& arguments) {
  for (const QString& name : kValueOptions) parser.addOption(QCommandLineOption(name, QString(), name));
  for (const QString& name : kSwitches) parser.addOption(QCommandLineOption(name));
  parser.addOption(QCommandLineOption(QStringLiteral("h")));
  if (!parser.parse(arguments)) throw UsageError{parser.errorText().toStdString()};
}

// What only the whole set of options can tell.
void RefuseConflicts(const Options& options) {
  if (options.xmlFiles.empty()) throw UsageError{"informe ao menos um arquivo XML"};
  if (std::count(options.xmlFiles.begin(), options.xmlFiles.end(), kStandardStream) > 1) {
    throw UsageError{"a entrada padrão (-) só pode ser lida uma vez"};
  }
  if (options.output == OutputKind::Pdf && options.xmlFiles.size() > 1) {
    throw UsageError{"--pdf grava um único arquivo; para vários XML use --pasta"};
  }
  if (options.verifyOnly && (options.output || options.parametersOnly)) {
    throw UsageError{"--verificar não imprime: não o use com uma saída nem com --parametros"};
  }
  const bool pdfToStandardOutput = options.output == OutputKind::Pdf && options.outputPath == kStandardStream;
  if (options.json && (pdfToStandardOutput || options.parametersOnly)) {
    throw UsageError{std::string("--json e ") + (options.parametersOnly ? "--parametros" : "--pdf -") +
                     " escrevem ambos na saída padrão; escolha um"};
  }
}

}  // namespace

std::optional<Options> ParseArguments(const std::vector<std::string>& arguments) {
  const Normalised normalised = Normalise(arguments);
  QCommandLineParser parser;
  Parse(parser, normalised.arguments);
  Options options;
  std::map<QString, qsizetype> taken;
  // In the order given, so that the first fault found is the one reported.
  for (const QString& name : parser.optionNames()) {
    auto value = [&] { return Bytes(parser.values(name).at(taken[name]++)); };
    const std::string option = "--" + name.toStdString();
    if (name == u"help" || name == u"h") {
      std::cout << kUsage;
      return std::nullopt;
    } else if (name == u"version") {
      std::cout << kVersion << "\n";
      return std::nullopt;
    } else if (name == u"xml") {
      options.xmlFiles.push_back(value());
    } else if (name == u"evento") {
      options.eventFiles.push_back(value());
    } else if (name == u"eventos") {
      options.eventFolders.push_back(value());
    } else if (name == u"logo") {
      options.logo = value();
    } else if (name == u"protocolo") {
      options.protocol = value();
    } else if (name == u"tipo") {
      options.typeIndex = ChoiceIndex(option, value(), kDamdfeTypeWords);
    } else if (name == u"formato") {
      options.format = ChoiceIndex(option, value(), kFormatWords);
    } else if (name == u"parametros") {
      options.parametersOnly = true;
    } else if (name == u"verificar") {
      options.verifyOnly = true;
    } else if (name == u"cadeia") {
      options.chainFolder = value();
    } else if (name == u"json") {
      options.json = true;
    } else if (name == u"silencioso") {
      options.quiet = true;
    } else if (name == u"pdf") {
      ChooseOutput(options, OutputKind::Pdf, value());
    } else if (name == u"pasta") {
      ChooseOutput(options, OutputKind::Folder, value());
    } else if (name == u"png") {
      ChooseOutput(options, OutputKind::Png, value());
    } else if (name == u"visualizar") {
      ChooseOutput(options, OutputKind::Preview, "");
    } else if (name == u"impressora") {
      ChooseOutput(options, OutputKind::Printer, value());
    }
  }
  if (normalised.error) throw *normalised.error;
  RefuseConflicts(options);
  return options;
}
