// damdfe-imprimir: prints the DAMDFE of one or more MDF-e files from the command line.

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "CommandLine.h"
#include "DamdfeTexts.h"
#include "FileAccess.h"
#include "ManifestLoading.h"
#include "PrintJob.h"
#include "PrivateFile.h"
#include "QtTranslation.h"
#include "ReportOutput.h"
#include "SafeFiles.h"
#include "VerificationTexts.h"

namespace {

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
  const std::filesystem::path stem =
      xmlPath == kStandardStream ? std::filesystem::path("damdfe") : std::filesystem::path(xmlPath).stem();
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

// What makes two paths one file or folder: the file itself where it exists (a hard link too),
// else where its name leads. Worked out once per path, so a batch of thousands stays linear.
using Place = std::variant<std::pair<dev_t, ino_t>, std::filesystem::path>;

Place PlaceOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return std::pair(info.st_dev, info.st_ino);
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::absolute(path, error).lexically_normal() : resolved;
}

// Two manifests of one run never share an output: a later one gets "-2", "-3", ... appended.
std::vector<PlannedOutput> PlanOutputs(const Options& options) {
  std::vector<PlannedOutput> planned;
  std::set<Place> taken;
  for (const std::string& xmlPath : options.xmlFiles) {
    std::filesystem::path path = DefaultPath(options, xmlPath);
    const std::filesystem::path wanted = path;
    for (int n = 2; !path.empty() && taken.contains(PlaceOf(path)); ++n) {
      path = wanted.parent_path() / (wanted.stem().native() + "-" + std::to_string(n) + wanted.extension().native());
    }
    if (!path.empty()) taken.insert(PlaceOf(path));
    std::string note = path == wanted ? "" : " em " + path.string() + " (" + wanted.string() + " já é de outro XML)";
    planned.push_back({path, note});
  }
  return planned;
}

// Only a regular file, a link to one or a new name is replaced: a device, FIFO, socket or folder
// would be destroyed by the rename (as root) or, like /dev/stdout, never get the bytes.
std::optional<std::string> SpecialFileKind(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);  // through links
  if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return std::nullopt;
  if (std::filesystem::is_directory(status)) return "uma pasta";
  if (std::filesystem::is_character_file(status) || std::filesystem::is_block_file(status)) return "um dispositivo";
  if (std::filesystem::is_fifo(status)) return "um pipe (FIFO)";
  if (std::filesystem::is_socket(status)) return "um socket";
  return "um arquivo especial";
}

void RefuseAsPdfTarget(const std::filesystem::path& path) {
  if (HasXmlExtension(path)) {
    throw UsageError{"a saída " + path.string() + " termina em .xml; o PDF não substitui um XML", false};
  }
  if (const auto kind = SpecialFileKind(path)) {
    throw UsageError{
        "a saída " + path.string() + " é " + *kind + ", não um arquivo comum; para a saída padrão, use --pdf -", false};
  }
}

// An output may never replace an input nor a special file: refused before anything is written.
void RefuseOverwritingInputs(const Options& options, const std::vector<PlannedOutput>& planned) {
  std::map<Place, std::string> inputs;
  for (const std::string& input : options.xmlFiles) inputs.emplace(PlaceOf(input), input);
  if (!options.logo.empty()) inputs.emplace(PlaceOf(options.logo), options.logo);
  for (const PlannedOutput& output : planned) {
    if (output.path.empty() || output.path == kStandardStream) continue;
    if (options.output != OutputKind::Png) RefuseAsPdfTarget(output.path);
    if (const auto input = inputs.find(PlaceOf(output.path)); input != inputs.end()) {
      throw UsageError{"a saída " + output.path.string() + " é o arquivo de entrada " + input->second, false};
    }
  }
}

ReportOutput OutputFor(const Options& options, const PlannedOutput& planned) {
  switch (options.output.value_or(OutputKind::Folder)) {
    case OutputKind::Pdf:
      if (planned.path == kStandardStream) return rv::PdfInMemory{};
      return rv::PdfFile{QtPath(planned.path)};
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

// What became of one manifest.
struct Outcome {
  std::string result;  // empty when printed, else the reason
  int sheets = 0;
  std::optional<verification::Verdict> verdict = std::nullopt;
};

// The PDF is written only once it is whole: a failed print leaves nothing half-written there.
std::string WriteToStandardOutput(const QByteArray& bytes) {
  const auto size = static_cast<size_t>(bytes.size());
  if (std::fwrite(bytes.constData(), 1, size, stdout) == size && std::fflush(stdout) == 0) return "";
  return "Não foi possível escrever o PDF na saída padrão: " + SystemErrorText(errno);
}

Outcome RunOne(const Options& options, const std::string& xmlPath, const PlannedOutput& planned,
               const std::vector<std::string>& eventFiles) {
  if (options.parametersOnly) return {ShowParameters(options, xmlPath, eventFiles)};
  const ReportOutput output = OutputFor(options, planned);
  Outcome outcome;
  // The schema only where it is reported: a printed sheet does not depend on it.
  outcome.verdict = verification::VerifyManifestFile(xmlPath, VerificationSettings(options.chainFolder, options.json));
  outcome.result = PrintDAMDFE({xmlPath, options.logo, ContingencyTextFor(options.typeIndex), options.protocol,
                                options.format, eventFiles, outcome.verdict},
                               output, outcome.sheets);
  if (outcome.result.empty() && planned.path == kStandardStream) {
    outcome.result = WriteToStandardOutput(*std::get<rv::PdfInMemory>(output).bytes);
  }
  return outcome;
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
    auto application = NewPreviewApplication(argc, argv);
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

// Larger than any manifest by far (the job refuses more than 20 MB); reading stops there.
constexpr size_t kStandardInputLimit = 64 * 1024 * 1024;

// The XML given as "-", read once into a private file that the job reads like any other.
std::unique_ptr<TPrivateFile> ReadStandardInput() {
  std::string bytes;
  char buffer[65536];
  for (size_t n; bytes.size() <= kStandardInputLimit && (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) {
    bytes.append(buffer, n);
  }
  if (std::ferror(stdin)) throw std::runtime_error("Não foi possível ler a entrada padrão: " + SystemErrorText(errno));
  if (bytes.size() > kStandardInputLimit) throw std::runtime_error("a entrada padrão passa de 64 MB: não é um MDF-e");
  auto file = std::make_unique<TPrivateFile>(QStringLiteral("entrada.xml"));
  file->Write(bytes);
  return file;
}

// Where the output of one manifest went, for --json: a file or folder, "-", a queue name; empty
// for the default printer and the preview.
std::string OutputName(const Options& options, const PlannedOutput& planned) {
  return options.output == OutputKind::Printer ? options.outputPath : planned.path.string();
}

std::string AccessKeyOf(const std::string& xmlPath) {
  try {
    return ToUtf8(ManifestIdentity(xmlPath).accessKey);
  } catch (const std::exception&) {
    return "";
  }
}

QByteArray JsonLine(const std::string& name, const std::string& output, const Outcome& outcome,
                    const std::string& key) {
  auto text = [](const std::string& value) {
    return value.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(QString::fromStdString(value));
  };
  const QJsonObject line{
      {QStringLiteral("arquivo"), QString::fromStdString(name)},
      {QStringLiteral("saida"), text(output)},
      {QStringLiteral("status"), outcome.result.empty() ? QStringLiteral("impresso") : QStringLiteral("erro")},
      {QStringLiteral("erro"), text(outcome.result)},
      {QStringLiteral("chave"), text(key)},
      {QStringLiteral("folhas"), outcome.sheets},
      {QStringLiteral("verificacao"),
       outcome.verdict ? QJsonValue(VerificationJson(*outcome.verdict)) : QJsonValue(QJsonValue::Null)}};
  return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

// Prints each manifest in turn, whatever became of the ones before; `reading` names the files to
// read (standard input's copy in place of "-").
int PrintAll(const Options& options, const Options& reading, const std::vector<PlannedOutput>& planned,
             const std::vector<std::vector<std::string>>& eventFiles) {
  const size_t count = options.xmlFiles.size();
  size_t failures = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string& name = options.xmlFiles[i];
    const std::string& xmlPath = reading.xmlFiles[i];
    if (count > 1 && options.parametersOnly) std::cout << (i ? "\n" : "") << "== " << name << " ==\n";
    const Outcome outcome = FileExists(xmlPath) ? RunOne(reading, xmlPath, planned[i], eventFiles[i])
                                                : Outcome{kInvalidXmlPathMessage + ": " + name};
    const bool printed = outcome.result.empty();
    if (!printed) ++failures;
    if (printed && outcome.verdict) {
      if (const std::string warning = PrintWarning(name, *outcome.verdict); !warning.empty()) std::cerr << warning << "\n";
    }
    if (options.json) {
      std::cout << JsonLine(name, OutputName(options, planned[i]), outcome, AccessKeyOf(xmlPath)).toStdString()
                << std::endl;
    }
    if (count > 1 && !(printed && options.quiet)) {
      std::cerr << "[" << i + 1 << "/" << count << "] " << name << ": "
                << (printed ? "impresso" + planned[i].note : outcome.result) << "\n";
    } else if (!printed) {
      std::cerr << outcome.result << "\n";
    }
  }
  if (count > 1 && !options.parametersOnly && !options.quiet) {
    std::cerr << count - failures << " impressos, " << failures << " com erro\n";
  }
  return failures == 0 ? 0 : 1;
}

// One verdict per file, printing nothing; `reading` as for PrintAll.
int VerifyAll(const Options& options, const Options& reading) {
  bool allConfirmed = true;
  const verification::Settings settings = VerificationSettings(options.chainFolder);
  for (size_t i = 0; i < options.xmlFiles.size(); ++i) {
    const std::string& name = options.xmlFiles[i];
    const verification::Verdict verdict = verification::VerifyManifestFile(reading.xmlFiles[i], settings);
    allConfirmed &= verdict.status == verification::Status::Confirmed && verdict.schema.violations.empty();
    if (options.json) {
      QJsonObject line = VerificationJson(verdict);
      line.insert(QStringLiteral("arquivo"), QString::fromStdString(name));
      std::cout << QJsonDocument(line).toJson(QJsonDocument::Compact).toStdString() << std::endl;
      continue;
    }
    std::cout << name << ": " << verification::Summary(verdict) << "\n";
    for (const std::string& detail : verification::DetailLines(verdict)) std::cout << "  " << detail << "\n";
  }
  return allConfirmed ? 0 : 1;
}

int Run(const Options& options, int argc, char** argv) {
  if (!options.chainFolder.empty() && !std::filesystem::is_directory(options.chainFolder)) {
    throw UsageError{"a pasta da cadeia de certificados não existe: " + options.chainFolder, false};
  }
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
  if (options.xmlFiles.size() > 1) KeepFreedMemoryBetweenJobs();
  Options reading = options;
  std::unique_ptr<TPrivateFile> standardInput;
  std::vector<std::vector<std::string>> eventFiles;
  try {
    auto stdinAt = std::find(reading.xmlFiles.begin(), reading.xmlFiles.end(), kStandardStream);
    if (stdinAt != reading.xmlFiles.end()) {
      standardInput = ReadStandardInput();
      *stdinAt = standardInput->Path().string();
    }
    if (options.verifyOnly) {
      QCoreApplication application(argc, argv);  // where the schemas are
      return VerifyAll(options, reading);
    }
    eventFiles = EventFilesPerManifest(reading);
  } catch (const std::runtime_error& error) {
    std::cerr << "damdfe-imprimir: " << error.what() << "\n";
    return 1;
  }
  if (std::string failure = CreateOutputFolder(options); !failure.empty()) {
    std::cerr << failure << "\n";
    return 1;
  }
  std::unique_ptr<QGuiApplication> application;
  try {
    if (!options.parametersOnly) application = StartQt(options, argc, argv);
  } catch (const std::runtime_error& error) {
    std::cerr << "damdfe-imprimir: " << error.what() << "\n";
    return 1;
  }
  return PrintAll(options, reading, planned, eventFiles);
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
    if (error.showUsage) std::cerr << kHelpHint << "\n";
    return 2;
  }
}
