// Printing to a real CUPS queue: a private scheduler of our own, never the system's.

#include <gtest/gtest.h>

#include <QThread>

#include <fstream>

#include "TestFiles.h"
#include "ToolRunner.h"

namespace {

const std::filesystem::path kSample = std::filesystem::path(DAMDFE_SOURCE_DIR) / "samples" / "MDFe_exemplo.xml";
const std::string kPrinter = std::string(DAMDFE_BIN_DIR) + "/damdfe-imprimir";
const char* kDriver = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

// cupsd on its own socket, folders and logs in a temporary folder; stopped and removed at the end.
class PrivateCups {
 public:
  PrivateCups() {
    for (const char* folder : {"spool", "cache", "state", "log", "tmp"}) std::filesystem::create_directory(dir_ / folder);
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all | std::filesystem::perms::group_exec |
                                                  std::filesystem::perms::others_exec);
    const std::string root = dir_.path().string();
    dir_.Write("cupsd.conf", "Listen " + Socket() +
                                 "\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                 "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                                 "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n");
    dir_.Write("cups-files.conf", "ServerRoot " + root + "\nRequestRoot " + root + "/spool\nCacheDir " + root +
                                      "/cache\nStateDir " + root + "/state\nTempDir " + root + "/tmp\nErrorLog " +
                                      root + "/log/error_log\nAccessLog " + root + "/log/access_log\nPageLog " + root +
                                      "/log/page_log\nFileDevice Yes\n");
    scheduler_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    scheduler_.start(QStringLiteral("cupsd"), {QStringLiteral("-f"), QStringLiteral("-c"), Q(dir_ / "cupsd.conf"),
                                               QStringLiteral("-s"), Q(dir_ / "cups-files.conf")});
    for (int i = 0; i < 100 && scheduler_.state() != QProcess::NotRunning && !Answers(); ++i) QThread::msleep(100);
  }
  ~PrivateCups() {
    scheduler_.terminate();
    if (!scheduler_.waitForFinished(10000)) scheduler_.kill();
    scheduler_.waitForFinished();
  }

  bool Answers() const { return Run("lpstat", {"-r"}).out.find("is running") != std::string::npos; }
  ToolResult Run(const std::string& program, const std::vector<std::string>& arguments) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), QString::fromStdString(Socket()));
    return RunTool(program, arguments, 120000, environment);
  }

 private:
  static QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
  std::string Socket() const { return (dir_ / "cups.sock").string(); }

  TempDir dir_;
  QProcess scheduler_;
};

TEST(Printer, AcceptedJobIsPrintedRefusedOneIsAFailureWithCupsReason) {
  if (!std::filesystem::exists(kDriver)) GTEST_SKIP() << "printer-driver-cups-pdf absent (./scripts/install-deps.sh)";
  PrivateCups cups;
  if (!cups.Answers()) GTEST_SKIP() << "cupsd could not start here (needs the cups package and root)";
  ASSERT_EQ(cups.Run("lpadmin", {"-p", "fila", "-E", "-v", "file:///dev/null", "-P", kDriver}).exitCode, 0);

  ToolResult accepted = cups.Run(kPrinter, {"--impressora", "fila", kSample.string()});
  EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
  EXPECT_NE(cups.Run("lpstat", {"-W", "all", "-o", "fila"}).out.find("fila-1"), std::string::npos);

  ASSERT_EQ(cups.Run("cupsreject", {"fila"}).exitCode, 0);
  ToolResult refused = cups.Run(kPrinter, {"--impressora=fila", kSample.string()});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("A impressora \"fila\" recusou o trabalho (resposta do CUPS: "), std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("not accepting jobs"), std::string::npos) << refused.err;
}

}  // namespace
