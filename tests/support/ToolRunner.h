#pragma once

// Runs programs from tests and reads the product's output back with real tools.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <vector>

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline ToolResult RunTool(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs = 120000,
                          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QStringList list;
  for (const auto& argument : arguments) list << QString::fromStdString(argument);
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(QString::fromStdString(program), list);
  ToolResult result;
  if (!process.waitForStarted(timeoutMs) || !process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished();
    result.err = "did not finish: " + program;
    return result;
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

inline std::string PdfText(const std::filesystem::path& pdf) {
  return RunTool("pdftotext", {"-layout", pdf.string(), "-"}).out;
}

// Every code zbarimg reads from the pages rendered at 300 dpi.
inline std::vector<std::string> PdfBarcodes(const std::filesystem::path& pdf, const std::filesystem::path& workDir) {
  std::string prefix = (workDir / "barcode-page").string();
  RunTool("pdftoppm", {"-png", "-r", "300", pdf.string(), prefix});
  std::vector<std::string> codes;
  for (const auto& entry : std::filesystem::directory_iterator(workDir)) {
    if (entry.path().filename().string().rfind("barcode-page", 0) != 0) continue;
    std::string out = RunTool("zbarimg", {"-q", "--raw", entry.path().string()}).out;
    size_t start = 0;
    while (start < out.size()) {
      size_t end = out.find('\n', start);
      if (end == std::string::npos) end = out.size();
      if (end > start) codes.push_back(out.substr(start, end - start));
      start = end + 1;
    }
  }
  return codes;
}
