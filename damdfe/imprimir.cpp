// damdfe-imprimir: prints the DAMDFE of one or more MDF-e files from the command line.

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DamdfeTexts.h"
#include "FileAccess.h"
#include "ManifestLoading.h"
#include "PrintJob.h"
#include "QtTranslation.h"
#include "ReportOutput.h"
#include "SafeFiles.h"

namespace {

constexpr const char* kVersion = "damdfe-imprimir 1.0.0";

constexpr const char* kUsage =
    "Uso: damdfe-imprimir [opções] ARQUIVO.xml [ARQUIVO.xml ...]\n"
    "Imprime o DAMDFE de cada MDF-e (XML do leiaute 3.00, com ou sem o protocolo de autorização).\n"
    "\n"
    "Arquivos:\n"
    "  --xml ARQUIVO          MDF-e a imprimir (pode repetir; arquivos soltos também valem)\n"
    "  --logo ARQUIVO         logomarca do cliente (BMP, JPEG ou PNG; opcional)\n"
    "  --evento ARQUIVO       evento registrado do MDF-e (procEventoMDFe): cancelamento, encerramento\n"
    "                         ou inclusão de condutor (pode repetir)\n"
    "  --eventos PASTA        usa os eventos desta pasta cuja chave é a do MDF-e\n"
    "\n"
    "Saída (uma só; sem nenhuma, um PDF por MDF-e na pasta atual, com o nome do XML):\n"
    "  --pdf ARQUIVO          grava o PDF neste arquivo (um único XML)\n"
    "  --pasta PASTA          grava um PDF por MDF-e nesta pasta, com o nome do XML\n"
    "  --png PASTA            grava as folhas como imagens PNG (uma subpasta por XML quando forem vários)\n"
    "  --impressora[=NOME]    envia para a impressora NOME, ou para a padrão\n"
    "  --visualizar           abre a visualização de impressão (requer tela)\n"
    "\n"
    "DAMDFE:\n"
    "  --protocolo NÚMERO     número do protocolo de autorização\n"
    "  --tipo TIPO            normal (padrão), contingencia ou dpec\n"
    "  --formato FORMATO      retrato (padrão) ou paisagem\n"
    "\n"
    "Outras:\n"
    "  --parametros           mostra os parâmetros do relatório (nome=valor) e não imprime\n"
    "  --help                 mostra esta ajuda\n"
    "  --version              mostra a versão\n"
    "\n"
    "Saída do programa: 0 quando todos foram impressos, 1 quando algum falhou, 2 para uso incorreto.\n";

enum class OutputKind { Folder, Pdf, Png, Printer, Preview };

struct Options {
  std::vector<std::string> xmlFiles;
  std::string logo;
  std::string protocol;
  int typeIndex = 0;
  int format = 0;
  bool parametersOnly = false;
  std::optional<OutputKind> output;
  std::string outputPath;  // file, folder or printer name
  std::vector<std::string> eventFiles;
  std::vector<std::string> eventFolders;
};

struct UsageError {
  std::string message;
  bool showUsage = true;
};

void ChooseOutput(Options& options, OutputKind kind, std::string path) {
  if (options.output) throw UsageError{"escolha uma só saída (--pdf, --pasta, --png, --impressora ou --visualizar)"};
  options.output = kind;
  options.outputPath = std::move(path);
}

int ChoiceIndex(const std::string& option, const std::string& value, const std::vector<std::string>& choices) {
  for (size_t i = 0; i < choices.size(); ++i) {
    if (choices[i] == value) return static_cast<int>(i);
  }
  throw UsageError{"valor inválido para " + option + ": \"" + value + "\""};
}

const QStringList kValueOptions = {QStringLiteral("xml"),     QStringLiteral("evento"),    QStringLiteral("eventos"),
                                   QStringLiteral("logo"),    QStringLiteral("protocolo"), QStringLiteral("tipo"),
                                   QStringLiteral("formato"), QStringLiteral("pdf"),       QStringLiteral("pasta"),
                                   QStringLiteral("png"),     QStringLiteral("impressora")};
const QStringList kSwitches = {QStringLiteral("help"), QStringLiteral("version"), QStringLiteral("parametros"),
                               QStringLiteral("visualizar")};

// Arguments as the parser reads them, one character a byte, so paths come back as the same bytes.
QString Latin1(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string Bytes(const QString& text) { return text.toLatin1().toStdString(); }

// The arguments the parser gets, and the usage error that stops them: a loose file becomes
// "--xml=FILE" and "--impressora" takes the next argument only when it names no option and no
// XML, so the parser sees the arguments in their order and never guesses. The list ends at the
// error, which counts only if nothing before it ends the run first.
struct Normalised {
  QStringList arguments{QStringLiteral("damdfe-imprimir")};
  std::optional<UsageError> error;
};

Normalised Normalise(const std::vector<std::string>& arguments) {
  Normalised result;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const size_t equals = argument.find('=');
    const QString name = argument.rfind("--", 0) == 0 ? Latin1(argument.substr(2, equals - 2)) : QString();
    if (argument == "--impressora") {
      bool named =
          i + 1 < arguments.size() && arguments[i + 1].rfind("-", 0) != 0 && !HasXmlExtension(arguments[i + 1]);
      result.arguments << Latin1("--impressora=" + (named ? arguments[++i] : std::string()));
    } else if (argument.rfind("-", 0) != 0 || argument == "-") {
      result.arguments << Latin1("--xml=" + argument);
    } else if (argument == "-h" || (kSwitches.contains(name) && equals == std::string::npos)) {
      result.arguments << Latin1(argument);
    } else if (name == u"impressora" && equals != std::string::npos) {
      result.arguments << Latin1(argument);
    } else if (kValueOptions.contains(name) && equals == std::string::npos && i + 1 < arguments.size()) {
      result.arguments << Latin1(argument + "=" + arguments[++i]);
    } else {
      const bool valueMissing = kValueOptions.contains(name) && equals == std::string::npos;
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

// Returns nullopt when the run ends at once (help, version).
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
      options.typeIndex = ChoiceIndex(option, value(), {"normal", "contingencia", "dpec"});
    } else if (name == u"formato") {
      options.format = ChoiceIndex(option, value(), {"retrato", "paisagem"});
    } else if (name == u"parametros") {
      options.parametersOnly = true;
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
  if (options.xmlFiles.empty()) throw UsageError{"informe ao menos um arquivo XML"};
  if (options.output == OutputKind::Pdf && options.xmlFiles.size() > 1) {
    throw UsageError{"--pdf grava um único arquivo; para vários XML use --pasta"};
  }
  return options;
}

// Arguments are bytes: paths keep them, whatever the locale thinks of them.
QString QtPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// Where one manifest goes: a file (PDF) or folder (PNG) path, and a note when its name was changed.
struct PlannedOutput {
  std::filesystem::path path;
  std::string note;
};

std::filesystem::path DefaultPath(const Options& options, const std::string& xmlPath) {
  const std::filesystem::path stem = std::filesystem::path(xmlPath).stem();
  switch (options.output.value_or(OutputKind::Folder)) {
    case OutputKind::Pdf: return options.outputPath;
    case OutputKind::Folder:
      return std::filesystem::path(options.outputPath.empty() ? "." : options.outputPath) / (stem.native() + ".pdf");
    case OutputKind::Png:
      return options.xmlFiles.size() > 1 ? std::filesystem::path(options.outputPath) / stem
                                         : std::filesystem::path(options.outputPath);
    default: return {};
  }
}

// Same file or folder, existing or not.
bool SamePlace(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  return std::filesystem::weakly_canonical(a, error) == std::filesystem::weakly_canonical(b, error);
}

// Two manifests of one run never share an output: a later one gets "-2", "-3", ... appended.
std::vector<PlannedOutput> PlanOutputs(const Options& options) {
  std::vector<PlannedOutput> planned;
  for (const std::string& xmlPath : options.xmlFiles) {
    std::filesystem::path path = DefaultPath(options, xmlPath);
    const std::filesystem::path wanted = path;
    auto taken = [&planned](const std::filesystem::path& candidate) {
      return std::any_of(planned.begin(), planned.end(),
                         [&](const PlannedOutput& earlier) { return SamePlace(earlier.path, candidate); });
    };
    for (int n = 2; !path.empty() && taken(path); ++n) {
      path = wanted.parent_path() / (wanted.stem().native() + "-" + std::to_string(n) + wanted.extension().native());
    }
    std::string note = path == wanted ? "" : " em " + path.string() + " (" + wanted.string() + " já é de outro XML)";
    planned.push_back({path, note});
  }
  return planned;
}

// An output may never replace an input: refused before anything is written.
void RefuseOverwritingInputs(const Options& options, const std::vector<PlannedOutput>& planned) {
  std::vector<std::filesystem::path> inputs(options.xmlFiles.begin(), options.xmlFiles.end());
  if (!options.logo.empty()) inputs.push_back(options.logo);
  for (const PlannedOutput& output : planned) {
    if (output.path.empty()) continue;
    if (HasXmlExtension(output.path) && options.output != OutputKind::Png) {
      throw UsageError{"a saída " + output.path.string() + " termina em .xml; o PDF não substitui um XML", false};
    }
    for (const auto& input : inputs) {
      if (SamePlace(output.path, input)) {
        throw UsageError{"a saída " + output.path.string() + " é o arquivo de entrada " + input.string(), false};
      }
    }
  }
}

ReportOutput OutputFor(const Options& options, const PlannedOutput& planned) {
  switch (options.output.value_or(OutputKind::Folder)) {
    case OutputKind::Pdf:
    case OutputKind::Folder: return rv::PdfFile{QtPath(planned.path)};
    case OutputKind::Png: return rv::PngPages{QtPath(planned.path)};
    case OutputKind::Printer: return rv::Printer{QString::fromStdString(options.outputPath)};
    case OutputKind::Preview: return rv::PrintPreview{};
  }
  return rv::PrintPreview{};
}

// Values may hold line breaks (lists, observations): escaped so each setting stays one line.
std::string Escaped(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

// Returns the result text, as the print job does; the file is known to exist.
std::string ShowParameters(const Options& options, const std::string& xmlPath,
                           const std::vector<std::string>& eventFiles) {
  TParameterRecorder fixed;
  TParameterRecorder supplementary;
  try {
    TLoadedManifest loaded = LoadManifestForPrinting(xmlPath, eventFiles);
    FillDAMDFEParameters(loaded, options.logo, ContingencyTextFor(options.typeIndex), options.protocol, fixed,
                         &supplementary);
  } catch (const std::exception& e) {
    return FailureResult(e);
  }
  for (const auto& [name, value] : fixed.settings) std::cout << name << "=" << Escaped(value) << "\n";
  if (!supplementary.settings.empty()) std::cout << "\n";
  for (const auto& [name, value] : supplementary.settings) std::cout << name << "=" << Escaped(value) << "\n";
  return "";
}

std::string RunOne(const Options& options, const std::string& xmlPath, const PlannedOutput& planned,
                   const std::vector<std::string>& eventFiles) {
  if (options.parametersOnly) return ShowParameters(options, xmlPath, eventFiles);
  return PrintDAMDFE(
      {xmlPath, options.logo, ContingencyTextFor(options.typeIndex), options.protocol, options.format, eventFiles},
      OutputFor(options, planned));
}

// The events of one manifest: those given by name with its key (marked used), then those of the folders.
std::vector<TEventFile> EventsOfManifest(const TManifestIdentity& identity, const std::vector<TEventFile>& named,
                                         std::vector<bool>& used, const std::vector<std::string>& folders) {
  std::vector<TEventFile> events;
  for (size_t e = 0; e < named.size(); ++e) {
    if (named[e].AccessKey() != identity.accessKey) continue;
    used[e] = true;
    events.push_back(named[e]);
  }
  for (const std::string& folder : folders) {
    for (const std::string& file : EventFilesInFolder(folder, identity.accessKey)) {
      events.push_back(LoadEventFile(file));
    }
  }
  return events;
}

// The event files of each manifest, found and read before anything is printed: a bad event file
// stops the run (std::runtime_error), one given by name for no manifest of the run is a usage error.
std::vector<std::vector<std::string>> EventFilesPerManifest(const Options& options) {
  std::vector<std::vector<std::string>> perManifest(options.xmlFiles.size());
  if (options.eventFiles.empty() && options.eventFolders.empty()) return perManifest;
  for (const std::string& folder : options.eventFolders) {
    if (!std::filesystem::is_directory(folder)) throw UsageError{"a pasta de eventos não existe: " + folder, false};
  }
  std::vector<TEventFile> named;
  for (const std::string& file : options.eventFiles) named.push_back(LoadEventFile(file));
  std::vector<bool> used(named.size(), false);
  bool everyManifestRead = true;
  for (size_t m = 0; m < options.xmlFiles.size(); ++m) {
    TManifestIdentity identity;
    try {
      identity = ManifestIdentity(options.xmlFiles[m]);
    } catch (const std::exception&) {
      everyManifestRead = false;  // its print says why
      continue;
    }
    std::vector<TEventFile> events = EventsOfManifest(identity, named, used, options.eventFolders);
    for (const std::string& warning : EventsFor(identity, events).warnings) std::cerr << warning << "\n";
    for (const TEventFile& event : events) perManifest[m].push_back(event.path);
  }
  for (size_t e = 0; e < named.size() && everyManifestRead; ++e) {
    if (used[e]) continue;
    throw UsageError{"o evento " + named[e].path + " é do MDF-e de chave " + ToUtf8(named[e].AccessKey()) +
                         ", que não está entre os XML informados",
                     false};
  }
  return perManifest;
}

// Qt's complaint about a missing per-user runtime directory says nothing to someone printing.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
  std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << "\n";
}

bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

std::unique_ptr<QGuiApplication> StartQt(const Options& options, int& argc, char** argv) {
  qInstallMessageHandler(QuietMessages);
  if (options.output == OutputKind::Preview) {
    auto application = std::make_unique<QApplication>(argc, argv);
    InstallQtTranslation(QLocale());
    return application;
  }
  // Files and printers need no window: a stale DISPLAY must not stop them.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  return std::make_unique<QGuiApplication>(argc, argv);
}

// Returns the failure text, empty when the folder is there.
std::string CreateOutputFolder(const Options& options) {
  if (options.parametersOnly || options.output != OutputKind::Folder) return "";
  std::error_code error;
  std::filesystem::create_directories(options.outputPath, error);
  if (!error) return "";
  return "Não foi possível criar a pasta " + options.outputPath + ": " + SystemErrorText(error.value());
}

int Run(const Options& options, int argc, char** argv) {
  if (options.output == OutputKind::Preview && !options.parametersOnly && !HasDisplay()) {
    std::cerr << "damdfe-imprimir: --visualizar precisa de uma tela; sem tela, use --pdf, --pasta ou --png\n";
    return 2;
  }
  if (!options.logo.empty() && !FileExists(options.logo)) {
    std::cerr << kInvalidLogoPathMessage << "\n";
    return 1;
  }
  const std::vector<PlannedOutput> planned = PlanOutputs(options);
  if (!options.parametersOnly) RefuseOverwritingInputs(options, planned);
  std::vector<std::vector<std::string>> eventFiles;
  try {
    eventFiles = EventFilesPerManifest(options);
  } catch (const std::runtime_error& error) {
    std::cerr << "damdfe-imprimir: " << error.what() << "\n";
    return 1;
  }
  if (std::string failure = CreateOutputFolder(options); !failure.empty()) {
    std::cerr << failure << "\n";
    return 1;
  }
  std::unique_ptr<QGuiApplication> application;
  if (!options.parametersOnly) application = StartQt(options, argc, argv);

  const size_t count = options.xmlFiles.size();
  size_t failures = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string& xmlPath = options.xmlFiles[i];
    if (count > 1 && options.parametersOnly) std::cout << (i ? "\n" : "") << "== " << xmlPath << " ==\n";
    std::string result = FileExists(xmlPath) ? RunOne(options, xmlPath, planned[i], eventFiles[i])
                                             : kInvalidXmlPathMessage + ": " + xmlPath;
    if (!result.empty()) ++failures;
    if (count > 1) {
      std::cerr << "[" << i + 1 << "/" << count << "] " << xmlPath << ": "
                << (result.empty() ? "impresso" + planned[i].note : result) << "\n";
    } else if (!result.empty()) {
      std::cerr << result << "\n";
    }
  }
  if (count > 1 && !options.parametersOnly)
    std::cerr << count - failures << " impressos, " << failures << " com falha\n";
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  try {
    std::optional<Options> options = ParseArguments(arguments);
    if (!options) return 0;
    return Run(*options, argc, argv);
  } catch (const UsageError& error) {
    std::cerr << "damdfe-imprimir: " << error.message << "\n";
    if (error.showUsage) std::cerr << "\n" << kUsage;
    return 2;
  }
}
