#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QThread>

#include <csignal>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <tuple>
#include <utility>

#include "DamdfeTexts.h"
#include "FixedParameterNames.h"
#include "ManifestVariants.h"
#include "TestFiles.h"
#include "ToolRunner.h"

namespace {

const std::filesystem::path kSourceDir = DAMDFE_SOURCE_DIR;
const std::filesystem::path kSharedSamples = DAMDFE_SHARED_SAMPLES;
const std::filesystem::path kSample = kSourceDir / "samples" / "MDFe_exemplo.xml";
const std::filesystem::path kLogo = kSourceDir / "samples" / "logo_exemplo.bmp";
const std::string kPrinter = std::string(DAMDFE_BIN_DIR) + "/damdfe-imprimir";

ToolResult Imprimir(const std::vector<std::string>& arguments) { return RunTool(kPrinter, arguments); }

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// name -> value of the first setting of each name, from --parametros.
std::map<std::string, std::string> Parameters(const std::filesystem::path& xml, std::vector<std::string> extra = {}) {
  extra.insert(extra.begin(), {"--parametros", xml.string()});
  ToolResult result = Imprimir(extra);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::map<std::string, std::string> values;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    auto equals = line.find('=');
    if (equals != std::string::npos) values.emplace(line.substr(0, equals), line.substr(equals + 1));
  }
  return values;
}

std::string Collapsed(const std::string& text) { return std::regex_replace(text, std::regex("\\s+"), " "); }

std::vector<std::filesystem::path> ManifestsToPrint() {
  std::vector<std::filesystem::path> files = {kSample};
  if (std::filesystem::is_directory(kSharedSamples)) {
    for (const auto& entry : std::filesystem::directory_iterator(kSharedSamples)) {
      if (entry.path().extension() == ".xml") files.push_back(entry.path());
    }
  }
  return files;
}

TEST(DamdfeImprimir, PrintsEveryManifestWithKeyIssuerPlateAndReadableBarcode) {
  if (!std::filesystem::is_directory(kSharedSamples)) {
    std::cout << "[ SKIPPED  ] shared samples absent at " << kSharedSamples << "; printing our own sample only\n";
  }
  for (const auto& xml : ManifestsToPrint()) {
    SCOPED_TRACE(xml.filename().string());
    TempDir dir;
    auto pdf = dir / "out.pdf";
    ToolResult result = Imprimir({"--logo", kLogo.string(), "--pdf", pdf.string(), xml.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // The signed ones were altered after signing when they were anonymised.
    const bool alteredAfterSigning = xml.filename().string().find("_signed") != std::string::npos;
    EXPECT_EQ(result.err.starts_with("aviso: " + xml.string() + ": não confere: "), alteredAfterSigning) << result.err;
    if (!alteredAfterSigning) EXPECT_EQ(result.err, "");

    auto parameters = Parameters(xml);
    std::string text = Collapsed(PdfText(pdf));
    EXPECT_NE(text.find(parameters["chave_acesso"]), std::string::npos);
    EXPECT_NE(text.find(Collapsed(parameters["emit_xNome"])), std::string::npos) << parameters["emit_xNome"];
    EXPECT_NE(text.find(parameters["Placa"]), std::string::npos) << parameters["Placa"];
    auto codes = PdfBarcodes(pdf, dir.path());
    EXPECT_NE(std::find(codes.begin(), codes.end(), parameters["barra_chave_acesso"]), codes.end());
  }
}

TEST(DamdfeImprimir, ParametersListTheFixedSettingsFirstInOrder) {
  ToolResult result = Imprimir({"--parametros", "--tipo", "contingencia", "--protocolo", "135", kSample.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::vector<std::string> names;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line) && !line.empty();) names.push_back(line.substr(0, line.find('=')));
  EXPECT_EQ(names, kFixedSettingNames);
  EXPECT_NE(result.out.find("contingencia=" + kDamdfeTypes[1] + "\n"), std::string::npos);
  EXPECT_NE(result.out.find("NUM_PROTOCOLO=135\n"), std::string::npos);
  EXPECT_NE(result.out.find("barra_dados_mdfe=35100DV\n"), std::string::npos);
}

TEST(DamdfeImprimir, ExitCodesAndMessages) {
  TempDir dir;
  auto notManifest = dir.Write("outro.xml", "<outro/>");
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string inError;
  };
  const Case cases[] = {
      {{}, 2, "informe ao menos um arquivo XML\nUse \"damdfe-imprimir --help\" para ver as opções.\n"},
      {{"--formato", "diagonal", kSample.string()}, 2, "--formato"},
      {{"--desconhecida", kSample.string()}, 2, "opção desconhecida"},
      {{"--pdf", "a.pdf", kSample.string(), kSample.string()}, 2, "--pasta"},
      {{"--pdf", (dir / "x.pdf").string(), (dir / "falta.xml").string()}, 1, kInvalidXmlPathMessage},
      {{"--logo", (dir / "falta.bmp").string(), kSample.string()}, 1, kInvalidLogoPathMessage},
      {{"--pdf", (dir / "x.pdf").string(), notManifest.string()},
       1,
       "-1 ERRO: Erro durante o processo de Impressão do DAMDFE. Verifique: Interface not supported"},
      // The sample was issued normally (tpEmis 1): no contingency DAMDFE of it.
      {{"--pdf", (dir / "x.pdf").string(), "--tipo", "contingencia", kSample.string()}, 1, kNormalEmissionMessage},
      {{"--pdf", (dir / "x.pdf").string(), "--tipo", "dpec", kSample.string()}, 1, kNormalEmissionMessage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    ToolResult result = Imprimir(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_NE(result.err.find(c.inError), std::string::npos) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));
  // The settings are listed as ever, whatever the manifest says.
  EXPECT_EQ(Parameters(kSample, {"--tipo", "contingencia"})["contingencia"],
            "DAMDFE em Contingência - impresso em decorrência de problemas técnicos");
  // Without any display the preview cannot open: said plainly instead of Qt aborting.
  QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) headless.remove(name);
  ToolResult preview = RunTool(kPrinter, {"--visualizar", kSample.string()}, 120000, headless);
  EXPECT_EQ(preview.exitCode, 2);
  EXPECT_NE(preview.err.find("--visualizar precisa de uma tela"), std::string::npos) << preview.err;

  ToolResult help = Imprimir({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--parametros"), std::string::npos);
}

TEST(DamdfeImprimir, SeveralFilesGoOnAfterAFailureOnePdfEach) {
  TempDir dir;
  auto bad = dir.Write("quebrado.xml", "<MDFe>");
  auto copy = dir / "segundo.xml";
  std::filesystem::copy_file(kSample, copy);
  auto out = dir / "pdfs";
  std::filesystem::create_directories(out);
  ToolResult result =
      Imprimir({"--json", "--pasta", out.string(), kSample.string(), bad.string(), "--xml", copy.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("[1/3] " + kSample.string() + ": impresso"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("[2/3] " + bad.string() + ": -1 ERRO"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("[3/3] " + copy.string() + ": impresso"), std::string::npos) << result.err;
  EXPECT_TRUE(result.err.ends_with("\n2 impressos, 1 com erro\n")) << result.err;
  EXPECT_TRUE(std::filesystem::exists(out / "MDFe_exemplo.pdf"));
  EXPECT_TRUE(std::filesystem::exists(out / "segundo.pdf"));
  EXPECT_FALSE(std::filesystem::exists(out / "quebrado.pdf"));

  // --json: one compact object a line for each input, in order, and nothing else on standard output.
  const std::string key = Parameters(kSample)["barra_chave_acesso"];
  auto printed = [&](const std::filesystem::path& xml, const char* pdf) {
    return "{\"arquivo\":\"" + xml.string() + "\",\"chave\":\"" + key + "\",\"erro\":null,\"folhas\":1,\"saida\":\"" +
           (out / pdf).string() + "\",\"status\":\"impresso\"}\n";
  };
  const std::string failed = "{\"arquivo\":\"" + bad.string() + "\",\"chave\":null,\"erro\":\"-1 ERRO: ";
  // The verdict closes each line.
  EXPECT_NE(result.out.find("\"status\":\"sem_assinatura\"}}\n{\"arquivo\":\"" + bad.string()), std::string::npos)
      << result.out;
  result.out = std::regex_replace(result.out, std::regex(",\"verificacao\":.*\\}\\n"), "}\n");
  EXPECT_TRUE(result.out.starts_with(printed(kSample, "MDFe_exemplo.pdf") + failed)) << result.out;
  EXPECT_TRUE(result.out.ends_with("\",\"folhas\":0,\"saida\":\"" + (out / "quebrado.pdf").string() +
                                   "\",\"status\":\"erro\"}\n" + printed(copy, "segundo.pdf")))
      << result.out;
}

// Runs the program in the folder, with standard input from the file (none when empty).
ToolResult ImprimirIn(const TempDir& dir, const std::vector<std::string>& arguments,
                      const std::filesystem::path& input = "/dev/null") {
  std::vector<std::string> shell = {"-c", "cd \"$0\" && exec \"$@\" < \"$INPUT\"", dir.path().string(), kPrinter};
  shell.insert(shell.end(), arguments.begin(), arguments.end());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("INPUT", QString::fromStdString(input.string()));
  return RunTool("/bin/sh", shell, 120000, environment);
}

// GNU conventions: --opção=valor and --opção valor, "--" ends the options, "-" is standard input
// (once), and a usage error is one line with a pointer to --help.
TEST(DamdfeImprimir, ArgumentsFollowGnuConventions) {
  TempDir dir;
  std::filesystem::copy_file(kSample, dir / "-m.xml");
  std::filesystem::copy_file(kSample, dir / "manifesto");
  const std::string hint = "\nUse \"damdfe-imprimir --help\" para ver as opções.\n";
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string inOut, err;  // err: the whole of standard error
  };
  const Case cases[] = {
      {{"--parametros", "--tipo=contingencia", "--protocolo", "135", "--", "-m.xml"}, 0, "\nNUM_PROTOCOLO=135\n", ""},
      {{"--parametros", "-"}, 0, "barra_chave_acesso=3526", ""},
      // A file that is there is no queue name, with or without .xml.
      {{"--impressora", "manifesto", "--parametros"}, 0, "barra_chave_acesso=3526", ""},
      {{"--x", "-m.xml"}, 2, "", "damdfe-imprimir: opção desconhecida: --x" + hint},
      {{"--parametros=sim", "manifesto"}, 2, "", "damdfe-imprimir: opção desconhecida: --parametros=sim" + hint},
      {{"manifesto", "--formato"}, 2, "", "damdfe-imprimir: falta o valor de --formato" + hint},
      {{"-", "--xml=-"}, 2, "", "damdfe-imprimir: a entrada padrão (-) só pode ser lida uma vez" + hint},
      {{"--json", "--pdf", "-", "manifesto"},
       2,
       "",
       "damdfe-imprimir: --json e --pdf - escrevem ambos na saída padrão; escolha um" + hint},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    ToolResult result = ImprimirIn(dir, c.arguments, kSample);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.out.find(c.inOut), std::string::npos) << result.out;
    EXPECT_EQ(result.err, c.err);
  }
}

// "--pdf -" writes the whole PDF to standard output; --silencioso keeps only the errors.
TEST(DamdfeImprimir, PdfToStandardOutputAndQuietBatch) {
  TempDir dir;
  ToolResult result = ImprimirIn(dir, {"--pdf", "-", "-"}, kSample);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  auto pdf = dir.Write("lido.pdf", result.out);
  EXPECT_NE(Collapsed(PdfText(pdf)).find(Parameters(kSample)["chave_acesso"]), std::string::npos);

  auto bad = dir.Write("quebrado.xml", "<MDFe>");
  result = ImprimirIn(dir, {"--silencioso", "--pasta", "pdfs", "-", bad.string()}, kSample);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.rfind("[2/2] " + bad.string() + ": -1 ERRO", 0), 0u) << result.err;
  EXPECT_EQ(result.err.find("impresso"), std::string::npos) << result.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "pdfs" / "damdfe.pdf")) << "standard input's default name";
}

std::string Octal(unsigned char byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\0%03o", byte);
  return escaped;
}

// Faults a new user or a hostile file meets: nothing lost, nothing silent.
TEST(DamdfeImprimir, FaultsLoseNothingAndSayWhat) {
  const std::string manifest = ReadFileBytes(kSample);
  struct Case {
    const char* name;
    std::function<std::vector<std::string>(TempDir&)> arguments;  // prepares the folder too
    int exitCode;
    std::string inError;
    std::function<void(TempDir&, const ToolResult&)> check;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  };
  auto unchanged = [&](const char* file, const std::string& bytes) {
    return [=](TempDir& dir, const ToolResult&) { EXPECT_EQ(ReadFileBytes(dir / file), bytes) << file; };
  };
  auto staleDisplay = QProcessEnvironment::systemEnvironment();
  staleDisplay.remove("QT_QPA_PLATFORM");
  staleDisplay.insert("DISPLAY", ":987");
  auto emptyTmpdir = QProcessEnvironment::systemEnvironment();
  emptyTmpdir.insert("TMPDIR", "");
  const Case cases[] = {
      {"--pdf taken for a format switch",
       [&](TempDir& dir) {
         dir.Write("a.xml", manifest), dir.Write("b.xml", manifest);
         return std::vector<std::string>{"--pdf", (dir / "a.xml").string(), (dir / "b.xml").string()};
       },
       2, "termina em .xml", unchanged("a.xml", manifest)},
      {"an input named like the default output",
       [&](TempDir& dir) {
         dir.Write("m.pdf", manifest);
         return std::vector<std::string>{"--pasta", dir.path().string(), (dir / "m.pdf").string()};
       },
       2, "é o arquivo de entrada", unchanged("m.pdf", manifest)},
      {"a symbolic link planted at the output is replaced, not followed",
       [&](TempDir& dir) {
         dir.Write("alvo", "antes");
         std::filesystem::create_symlink(dir / "alvo", dir / "o.pdf");
         return std::vector<std::string>{"--pdf", (dir / "o.pdf").string(), kSample.string()};
       },
       0, "",
       [](TempDir& dir, const ToolResult&) {
         EXPECT_EQ(ReadFileBytes(dir / "alvo"), "antes");
         EXPECT_FALSE(std::filesystem::is_symlink(dir / "o.pdf"));
         EXPECT_NE(PdfText(dir / "o.pdf").find("DAMDFE"), std::string::npos);
       }},
      {"same file names from two folders",
       [&](TempDir& dir) {
         std::filesystem::create_directories(dir / "d1"), std::filesystem::create_directories(dir / "d2");
         dir.Write("d1/m.xml", manifest), dir.Write("d2/m.xml", manifest);
         return std::vector<std::string>{"--pasta", (dir / "novas/pdfs").string(), (dir / "d1/m.xml").string(),
                                         (dir / "d2/m.xml").string()};
       },
       0, "m-2.pdf (",
       [](TempDir& dir, const ToolResult& result) {
         EXPECT_TRUE(std::filesystem::is_regular_file(dir / "novas/pdfs/m.pdf"));
         EXPECT_TRUE(std::filesystem::is_regular_file(dir / "novas/pdfs/m-2.pdf"));
         EXPECT_NE(result.err.find("2 impressos, 0 com erro"), std::string::npos);
       }},
      {"a stale DISPLAY",
       [&](TempDir& dir) {
         return std::vector<std::string>{"--pasta", dir.path().string(), kSample.string()};
       },
       0, "", nullptr, staleDisplay},
      {"an empty TMPDIR",
       [&](TempDir& dir) {
         return std::vector<std::string>{"--pasta", dir.path().string(), kSample.string()};
       },
       0, "", nullptr, emptyTmpdir},
      {"a Latin-1 file name",
       [&](TempDir& dir) {
         dir.Write("manifesto_\xE7.xml", manifest);
         return std::vector<std::string>{"--pdf", (dir / "o.pdf").string(), (dir / "manifesto_\xE7.xml").string()};
       },
       0, "", nullptr},
      {"a processing instruction before the root, no declaration",
       [&](TempDir& dir) {
         dir.Write("pi.xml", "<?xml-model href=\"mdfe.rnc\" encoding=\"ISO-8859-1\"?>\n" +
                                 manifest.substr(manifest.find("?>") + 2));
         return std::vector<std::string>{"--parametros", (dir / "pi.xml").string()};
       },
       0, "",
       [](TempDir&, const ToolResult& result) {
         EXPECT_NE(result.out.find("\\tJOSÉ DA SILVA SANTOS\\n"), std::string::npos) << result.out;
       }},
      {"a DTD whose one 100 KB entity is referenced a thousand times",
       [&](TempDir& dir) {
         std::string references;
         for (int i = 0; i < 1000; ++i) references += "&e;";
         dir.Write("entidades.xml", "<?xml version=\"1.0\"?><!DOCTYPE MDFe [<!ENTITY e \"" +
                                        std::string(100 * 1024, 'e') + "\">]><MDFe>" + references + "</MDFe>");
         return std::vector<std::string>{"--pdf", (dir / "o.pdf").string(), (dir / "entidades.xml").string()};
       },
       1, "um MDF-e não tem DOCTYPE",
       [](TempDir& dir, const ToolResult&) { EXPECT_FALSE(std::filesystem::exists(dir / "o.pdf")); }},
      {"an event file past 20 MB",
       [&](TempDir& dir) {
         dir.Write("evento.xml", "");
         std::filesystem::resize_file(dir / "evento.xml", 30 * 1024 * 1024);
         return std::vector<std::string>{"--evento", (dir / "evento.xml").string(), "--pdf", (dir / "o.pdf").string(),
                                         kSample.string()};
       },
       1, "o arquivo XML tem 30 MB; um evento tem no máximo 20 MB", nullptr},
      {"--pdf onto a FIFO",
       [&](TempDir& dir) {
         ::mkfifo((dir / "fila.pdf").c_str(), 0600);
         return std::vector<std::string>{"--pdf", (dir / "fila.pdf").string(), kSample.string()};
       },
       2, "fila.pdf é um pipe (FIFO), não um arquivo comum; para a saída padrão, use --pdf -",
       [](TempDir& dir, const ToolResult&) { EXPECT_TRUE(std::filesystem::is_fifo(dir / "fila.pdf")); }},
      {"--pdf onto a folder",
       [&](TempDir& dir) {
         std::filesystem::create_directory(dir / "pasta.pdf");
         return std::vector<std::string>{"--pdf", (dir / "pasta.pdf").string(), kSample.string()};
       },
       2, "é uma pasta",
       [](TempDir& dir, const ToolResult&) { EXPECT_TRUE(std::filesystem::is_empty(dir / "pasta.pdf")); }},
      {"--pdf onto a link to a device, as /dev/stdout is",
       [&](TempDir& dir) {
         std::filesystem::create_symlink("/dev/null", dir / "nulo.pdf");
         return std::vector<std::string>{"--pdf", (dir / "nulo.pdf").string(), kSample.string()};
       },
       2, "é um dispositivo",
       [](TempDir& dir, const ToolResult&) { EXPECT_TRUE(std::filesystem::is_symlink(dir / "nulo.pdf")); }},
      {"partial outputs a killed run left: removed once an hour old, not before, and only ours",
       [&](TempDir& dir) {
         std::filesystem::create_directory(dir / ".damdfe-png.Xy34Zw");
         for (const char* name :
              {".o.pdf.Ab12Cd", ".damdfe-png.Xy34Zw/page-1.png", ".outro.pdf.Ef56Gh", ".bashrc.backup"})
           dir.Write(name, "parcial");
         const auto twoHoursAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
         for (const char* name : {".o.pdf.Ab12Cd", ".damdfe-png.Xy34Zw", ".bashrc.backup"})
           std::filesystem::last_write_time(dir / name, twoHoursAgo);
         return std::vector<std::string>{"--pdf", (dir / "o.pdf").string(), kSample.string()};
       },
       0, "",
       [](TempDir& dir, const ToolResult&) {
         EXPECT_FALSE(std::filesystem::exists(dir / ".o.pdf.Ab12Cd"));
         EXPECT_FALSE(std::filesystem::exists(dir / ".damdfe-png.Xy34Zw"));
         EXPECT_TRUE(std::filesystem::exists(dir / ".outro.pdf.Ef56Gh"));
         EXPECT_TRUE(std::filesystem::exists(dir / ".bashrc.backup"));
       }},
      {"a logo that is no picture",
       [&](TempDir& dir) {
         dir.Write("logo.bmp", "not a picture");
         return std::vector<std::string>{"--logo", (dir / "logo.bmp").string(), "--pasta", dir.path().string(),
                                         kSample.string()};
       },
       1,
       "logo.bmp\": não é uma imagem",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::vector<std::string> arguments = c.arguments(dir);
    // QProcess would carry arguments through QString: the shell rebuilds each one's bytes. Bounded,
    // so that a file that grows in memory fails here instead of taking the machine (the sanitizers'
    // shadow memory cannot live under an address space limit).
    std::string command = kSanitized ? "exec \"$0\"" : "exec prlimit --as=3221225472 \"$0\"";
    for (const std::string& argument : arguments) {
      command += " \"$(printf '%b' '";
      for (unsigned char byte : argument) command += byte < 0x80 ? std::string(1, char(byte)) : Octal(byte);
      command += "')\"";
    }
    arguments = {"-c", command, kPrinter};
    ToolResult result = RunTool("/bin/sh", arguments, 120000, c.environment);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.err.find(c.inError), std::string::npos) << result.err;
    if (c.check) c.check(dir, result);
  }
}

// On a full disk the earlier PDF stays as it was and nothing partial is left beside it.
TEST(DamdfeImprimir, FullDiskKeepsTheEarlierPdf) {
  TempDir dir;
  const auto disk = dir / "disco";
  std::filesystem::create_directory(disk);
  if (RunTool("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", disk.string()}).exitCode != 0) {
    GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  }
  std::ofstream(disk / "o.pdf") << "anterior";
  ToolResult result = Imprimir({"--pdf", (disk / "o.pdf").string(), kSample.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("disco cheio"), std::string::npos) << result.err;
  EXPECT_EQ(ReadFileBytes(disk / "o.pdf"), "anterior");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk), {}), 1);
  RunTool("umount", {disk.string()});
}

// Width and height from a PNG file's header.
std::pair<int, int> PngSize(const std::filesystem::path& png) {
  const std::string bytes = ReadFileBytes(png);
  if (bytes.size() < 24) return {0, 0};
  auto at = [&](size_t offset) {
    int value = 0;
    for (size_t i = offset; i < offset + 4; ++i) value = value * 256 + static_cast<unsigned char>(bytes[i]);
    return value;
  };
  return {at(16), at(20)};
}

// One manifest's sheets go straight into the folder; several get a folder each, named after the XML.
TEST(DamdfeImprimir, PngPagesAndLandscape) {
  TempDir dir;
  ToolResult result = Imprimir({"--png", dir.path().string(), "--formato", "paisagem", kSample.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  auto [width, height] = PngSize(dir / "page-1.png");
  EXPECT_GT(width, height) << "landscape";

  auto copy = dir / "segundo.xml";
  std::filesystem::copy_file(kSample, copy);
  result = Imprimir({"--png", (dir / "varios").string(), kSample.string(), copy.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  for (const char* folder : {"MDFe_exemplo", "segundo"}) {
    SCOPED_TRACE(folder);
    std::tie(width, height) = PngSize(dir / "varios" / folder / "page-1.png");
    EXPECT_GT(height, width) << "portrait";
  }
}

// Interrupted while it writes a long manifest's pages over a shorter one's, --png leaves the earlier
// set as it was, or (when the signal came after the swap) the whole new one: never pages of both.
TEST(DamdfeImprimir, InterruptedPngLeavesOneWholeSet) {
  TempDir dir;
  const auto longer = dir.Write("longo.xml", WithLinkedDocuments(600));
  auto namesIn = [](const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  ASSERT_EQ(Imprimir({"--png", (dir / "inteiro").string(), longer.string()}).exitCode, 0);
  const std::vector<std::string> wholeNewSet = namesIn(dir / "inteiro");
  ASSERT_GT(wholeNewSet.size(), 2u);
  const auto pages = dir / "paginas";
  ASSERT_EQ(Imprimir({"--png", pages.string(), kSample.string()}).exitCode, 0);
  const std::string earlier = ReadFileBytes(pages / "page-1.png");

  QProcess run;
  run.start(QString::fromStdString(kPrinter),
            {"--png", QString::fromStdString(pages.string()), QString::fromStdString(longer.string())});
  ASSERT_TRUE(run.waitForStarted());
  // A second page written, wherever the run keeps it until the set is whole.
  auto midway = [&] {
    for (const auto& entry : std::filesystem::directory_iterator(pages)) {
      const std::string name = entry.path().filename().string();
      if (name == "page-2.png" || (name.starts_with(".") && std::filesystem::exists(entry.path() / "page-2.png")))
        return true;
    }
    return false;
  };
  QDeadlineTimer patience(60000);
  while (run.state() == QProcess::Running && !midway() && !patience.hasExpired()) QThread::msleep(2);
  ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
  ASSERT_TRUE(run.waitForFinished(60000));
  const std::vector<std::string> names = namesIn(pages);
  if (names == std::vector<std::string>{"page-1.png"}) {
    EXPECT_EQ(ReadFileBytes(pages / "page-1.png"), earlier);
  } else {
    EXPECT_EQ(names, wholeNewSet);
  }
}

// "--impressora" takes the next argument as the queue only when it is no option and no XML file.
TEST(DamdfeImprimir, PrinterNameIsOptional) {
  TempDir home;
  QProcessEnvironment noCups = QProcessEnvironment::systemEnvironment();
  noCups.insert("CUPS_SERVER", QString::fromStdString((home / "sem-cups.sock").string()));
  noCups.insert("HOME", QString::fromStdString(home.path().string()));
  for (const char* name : {"PRINTER", "LPDEST"}) noCups.remove(name);
  const std::string named = "Impressora \"fila\" não encontrada.";
  const std::string byDefault = "Nenhuma impressora padrão está configurada.";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--impressora=fila", kSample.string()}, named},
      {{"--impressora", "fila", kSample.string()}, named},
      {{"--impressora", kSample.string()}, byDefault},
      {{"--impressora", "--formato", "paisagem", kSample.string()}, byDefault},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(testing::PrintToString(arguments));
    ToolResult result = RunTool(kPrinter, arguments, 120000, noCups);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
}

}  // namespace
