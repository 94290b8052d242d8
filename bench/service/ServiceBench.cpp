// The print service against the batch command line, both in their own processes: documents per
// second with 1 and N clients (N workers, N = cores), also per second of processor time (the
// figure that holds on a busy machine), and the service's memory over many requests.

#include <benchmark/benchmark.h>

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "HttpClient.h"
#include "TestFiles.h"
#include "ToolRunner.h"

namespace {

const std::string kBin = DAMDFE_BIN_DIR;
const std::string kSamplePath = std::string(DAMDFE_SOURCE_DIR) + "/samples/MDFe_exemplo.xml";
const QByteArray kSample = QByteArray::fromStdString(ReadFileBytes(kSamplePath));
const int kCores = std::max(1, QThread::idealThreadCount());
constexpr int kDocuments = 200;

// damdfe-servidor on a free port; its log goes to a file, so a full pipe never stalls it.
class TServer {
 public:
  explicit TServer(int workers) {
    process_.setStandardErrorFile(QString::fromStdString((log_ / "servidor.log").string()));
    process_.start(QString::fromStdString(kBin + "/damdfe-servidor"),
                   {"--porta", "0", "--trabalhos", QString::number(workers), "--fila", "256"});
    static const QRegularExpression listening(QStringLiteral("127\\.0\\.0\\.1:(\\d+)"));
    for (int tries = 0; tries < 200 && port_ == 0; ++tries) {
      QThread::msleep(25);
      port_ = listening.match(QString::fromStdString(ReadFileBytes(log_ / "servidor.log"))).captured(1).toUShort();
    }
  }
  ~TServer() {
    process_.terminate();
    process_.waitForFinished();
  }
  quint16 Port() const { return port_; }
  // User and system time the server has spent so far.
  double CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(process_.processId()) + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i) {
      if (i >= 14) ticks += std::stod(field);  // utime, stime
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
  }
  double RssMb() const {
    std::ifstream status("/proc/" + std::to_string(process_.processId()) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    }
    return 0;
  }

 private:
  TempDir log_;
  QProcess process_;
  quint16 port_ = 0;
};

// Per core used, whatever else the machine runs: documents per second of processor time.
double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Sends `total` requests over `clients` concurrent connections; returns how many failed.
int SendAll(quint16 port, int clients, int total) {
  std::atomic<int> next = 0;
  std::atomic<int> failed = 0;
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&] {
      while (next++ < total) {
        if (HttpCall(port, "/damdfe", "application/xml", kSample).status != 200) ++failed;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  return failed;
}

void BM_BatchCommandLine(benchmark::State& state) {
  TempDir folder;
  std::vector<std::string> arguments{"--pasta", (folder / "pdf").string()};
  for (int i = 0; i < kDocuments; ++i) {
    arguments.push_back(folder.Write("mdfe-" + std::to_string(i) + ".xml", kSample.toStdString()).string());
  }
  const double cpuBefore = ChildrenCpuSeconds();
  for (auto _ : state) {
    if (RunTool(kBin + "/damdfe-imprimir", arguments, 600000).exitCode != 0) state.SkipWithError("damdfe-imprimir");
  }
  state.counters["documentos/s"] = benchmark::Counter(kDocuments, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["documentos/s_CPU"] = kDocuments * state.iterations() / (ChildrenCpuSeconds() - cpuBefore);
}

void BM_Service(benchmark::State& state) {
  const int clients = static_cast<int>(state.range(0));
  TServer server(kCores);
  if (server.Port() == 0) state.SkipWithError("damdfe-servidor did not start");
  SendAll(server.Port(), clients, 2 * kCores);  // warm-up: fonts, templates
  const double cpuBefore = server.CpuSeconds();
  for (auto _ : state) {
    if (SendAll(server.Port(), clients, kDocuments) != 0) state.SkipWithError("a request failed");
  }
  state.counters["documentos/s"] = benchmark::Counter(kDocuments, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["documentos/s_CPU"] = kDocuments * state.iterations() / (server.CpuSeconds() - cpuBefore);
  state.counters["trabalhos"] = kCores;
}

// Resident memory after request 100 and after request 1,000.
void BM_ServiceMemory(benchmark::State& state) {
  TServer server(kCores);
  if (server.Port() == 0) state.SkipWithError("damdfe-servidor did not start");
  for (auto _ : state) {
    SendAll(server.Port(), kCores, 100);
    state.counters["rss_100_MB"] = server.RssMb();
    SendAll(server.Port(), kCores, 900);
    state.counters["rss_1000_MB"] = server.RssMb();
  }
  state.counters["crescimento_%"] = 100 * (state.counters["rss_1000_MB"] / state.counters["rss_100_MB"] - 1);
}

BENCHMARK(BM_BatchCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Service)
    ->Arg(1)
    ->Arg(kCores)
    ->Arg(2 * kCores)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_ServiceMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
