// The print service end to end: a real server on a free loopback port, real HTTP clients on
// other threads while the test's main thread serves.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include <atomic>
#include <fstream>
#include <future>
#include <thread>

#include "../damdfe/FixedParameterNames.h"
#include "DamdfeTexts.h"
#include "HttpClient.h"
#include "JobRunner.h"
#include "PrintService.h"
#include "TestFiles.h"
#include "ToolRunner.h"

namespace {

using namespace std::chrono_literals;

const QByteArray kSample = QByteArray::fromStdString(ReadFileBytes(DAMDFE_SOURCE_DIR "/samples/MDFe_exemplo.xml"));
const QByteArray kLogo = QByteArray::fromStdString(ReadFileBytes(DAMDFE_SOURCE_DIR "/samples/logo_exemplo.bmp"));
constexpr const char* kSampleKey = "3526 1212 3456 7800 0195 5800 1000 0012 3418 7654 3210";

QByteArray Form(const QByteArray& xml, const QByteArray& logo) {
  QByteArray body = "--limite\r\nContent-Disposition: form-data; name=\"xml\"; filename=\"m.xml\"\r\n\r\n" + xml;
  if (!logo.isEmpty()) body += "\r\n--limite\r\nContent-Disposition: form-data; name=\"logo\"\r\n\r\n" + logo;
  return body + "\r\n--limite--\r\n";
}

template <class F>
auto WhileServing(F&& clients) {
  auto done = std::async(std::launch::async, std::forward<F>(clients));
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done.wait_for(0s) == std::future_status::ready) loop.quit();
  });
  poll.start(5);
  loop.exec();
  return done.get();
}

std::string PdfTextOf(const QByteArray& pdf, const TempDir& folder, const std::string& name) {
  return PdfText(folder.Write(name, pdf.toStdString()));
}

class ServiceTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Everything the service writes goes to a folder of this test's own, to be found empty after.
    temporary_ = new QTemporaryDir();
    output_ = new TempDir();
    qputenv("TMPDIR", QFile::encodeName(temporary_->path()));
  }
  static void TearDownTestSuite() {
    delete output_;
    delete temporary_;
  }

  void TearDown() override {
    service_.reset();
    EXPECT_TRUE(QDir(temporary_->path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  }

  quint16 Serve(
      TServiceOptions options, TJobFunction job = [](const TJobInput& input) { return RunJob(input, ""); }) {
    options.port = 0;
    service_ = std::make_unique<TPrintService>(options, std::move(job));
    QString error;
    const quint16 port = service_->Start(error);
    EXPECT_NE(port, 0) << error.toStdString();
    return port;
  }

  static inline QTemporaryDir* temporary_ = nullptr;
  static inline TempDir* output_ = nullptr;  // outside the watched folder
  std::unique_ptr<TPrintService> service_;
};

TEST_F(ServiceTest, PrintsTheSampleAndAnswersItsParametersAndVerdict) {
  const quint16 port = Serve({.workers = 2});
  auto [pdf, form, parameters, verdict, health] = WhileServing([port] {
    return std::tuple{HttpCall(port, "/damdfe?formato=paisagem&protocolo=135269999999999", "application/xml", kSample),
                      HttpCall(port, "/damdfe", "multipart/form-data; boundary=limite", Form(kSample, kLogo)),
                      HttpCall(port, "/parametros?tipo=contingencia", "text/xml", kSample),
                      HttpCall(port, "/verificacao", "application/xml", kSample),
                      HttpCall(port, "/saude", {}, {}, "GET")};
  });
  ASSERT_EQ(pdf.status, 200) << pdf.body.toStdString();
  EXPECT_EQ(pdf.contentType, "application/pdf");
  EXPECT_EQ(pdf.verification, "sem_assinatura");
  ASSERT_EQ(verdict.status, 200) << verdict.body.toStdString();
  const QJsonObject verdictJson = QJsonDocument::fromJson(verdict.body).object();
  EXPECT_EQ(verdictJson["status"].toString(), QStringLiteral("sem_assinatura"));
  EXPECT_EQ(verdictJson["chave"].toString().remove(u' '), QString(kSampleKey).remove(u' '));
  const std::string text = PdfTextOf(pdf.body, *output_, "paisagem.pdf");
  EXPECT_NE(text.find(kSampleKey), std::string::npos);
  EXPECT_NE(text.find("135269999999999"), std::string::npos);

  ASSERT_EQ(form.status, 200) << form.body.toStdString();
  EXPECT_NE(PdfTextOf(form.body, *output_, "formulario.pdf").find(kSampleKey), std::string::npos);

  ASSERT_EQ(parameters.status, 200) << parameters.body.toStdString();
  const QJsonObject settings = QJsonDocument::fromJson(parameters.body).object();
  std::vector<std::string> names;
  for (const QJsonValue& pair : settings["parametros"].toArray()) names.push_back(pair[0].toString().toStdString());
  EXPECT_EQ(names, kFixedSettingNames);
  EXPECT_EQ(settings["parametros"][5][1].toString().toStdString(), ContingencyTextFor(1));
  EXPECT_FALSE(settings["suplementares"].toArray().isEmpty());

  EXPECT_EQ(health.status, 200);
  EXPECT_EQ(health.body, R"({"status":"ok"})");
}

TEST_F(ServiceTest, RefusesWithAReasonInJson) {
  struct Case {
    QByteArray target, contentType, body, method;
    int status;
  };
  const std::vector<Case> cases = {
      {"/damdfe?formato=quadrado", "application/xml", kSample, "POST", 400},
      {"/damdfe?formatu=retrato", "application/xml", kSample, "POST", 400},
      {"/damdfe", "multipart/form-data; boundary=limite", Form({}, kLogo), "POST", 400},
      {"/damdfe", "multipart/form-data; boundary=outro", Form(kSample, {}), "POST", 400},
      {"/damdfe", "application/xml", {}, "POST", 400},
      {"/damdfe", "application/xml", QByteArray(30 * 1024 * 1024, ' '), "POST", 413},
      {"/damdfe", "application/x-www-form-urlencoded", kSample, "POST", 415},
      {"/damdfe", "application/xml", "<nota/>", "POST", 422},
      {"/damdfe", "multipart/form-data; boundary=limite", Form(kSample, "não é imagem"), "POST", 422},
      {"/parametros", "application/xml", "isto não é XML", "POST", 422},
      {"/damdfe", {}, {}, "GET", 405},
      {"/imprimir", "application/xml", kSample, "POST", 404},
  };
  const quint16 port = Serve({});
  const auto replies = WhileServing([&] {
    std::vector<THttpReply> answered;
    for (const Case& c : cases) answered.push_back(HttpCall(port, c.target, c.contentType, c.body, c.method));
    return answered;
  });
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].target.toStdString() + " " + cases[i].contentType.toStdString());
    EXPECT_EQ(replies[i].status, cases[i].status);
    EXPECT_EQ(replies[i].contentType, "application/json");
    EXPECT_FALSE(QJsonDocument::fromJson(replies[i].body)["erro"].toString().isEmpty()) << replies[i].body.data();
    EXPECT_FALSE(replies[i].body.contains(QFile::encodeName(temporary_->path()))) << "shows where the service works";
  }
}

// One worker and one place in the queue; the job holds until released.
TEST_F(ServiceTest, BusyOrSlowIsAnsweredNeverHung) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> started = 0;
  const quint16 port = Serve({.workers = 1, .queueLength = 1, .timeLimit = 1s}, [&](const TJobInput&) {
    ++started;
    released.wait_for(10s);
    return TAnswer{200, "application/pdf", "%PDF"};
  });
  const auto [running, queued, refused] = WhileServing([&] {
    auto first = std::async(std::launch::async, [&] { return HttpCall(port, "/damdfe", "application/xml", kSample); });
    while (started == 0) std::this_thread::sleep_for(1ms);
    auto second = std::async(std::launch::async, [&] { return HttpCall(port, "/damdfe", "application/xml", kSample); });
    std::this_thread::sleep_for(200ms);
    THttpReply third = HttpCall(port, "/damdfe", "application/xml", kSample);
    return std::tuple{first.get(), second.get(), third};
  });
  EXPECT_EQ(refused.status, 503);  // queue full
  EXPECT_EQ(running.status, 504);  // printing past the limit
  EXPECT_EQ(queued.status, 503);   // still waiting at the limit
  release.set_value();
  QDeadlineTimer patience(10s);
  while (!service_->Idle() && !patience.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  const THttpReply after = WhileServing([&] { return HttpCall(port, "/damdfe", "application/xml", kSample); });
  EXPECT_EQ(after.status, 200);
  EXPECT_EQ(started, 2) << "the job that timed out in the queue never ran";
}

// Each client reads its PDFs back while the others wait for theirs.
TEST_F(ServiceTest, EightClientsOfTwentyFiveRequestsEachGetTheirOwnPdf) {
  constexpr int kClients = 8;
  constexpr int kRequests = 25;
  const quint16 port = Serve({.workers = 2, .queueLength = kClients});
  const auto problems = WhileServing([&] {
    std::vector<std::future<std::vector<std::string>>> clients;
    for (int client = 0; client < kClients; ++client) {
      clients.push_back(std::async(std::launch::async, [&, client] {
        std::vector<std::string> wrong;
        for (int request = 0; request < kRequests; ++request) {
          const std::string protocol = std::to_string(135260000000000 + client * 100 + request);
          const THttpReply reply =
              HttpCall(port, QByteArray::fromStdString("/damdfe?protocolo=" + protocol), "application/xml", kSample);
          if (reply.status != 200) {
            wrong.push_back(protocol + ": " + std::to_string(reply.status) + " " + reply.body.toStdString());
          } else if (PdfTextOf(reply.body, *output_, protocol + ".pdf").find(protocol) == std::string::npos) {
            wrong.push_back(protocol + ": the PDF does not show it");
          }
        }
        return wrong;
      }));
    }
    std::vector<std::string> all;
    for (auto& client : clients) std::ranges::move(client.get(), std::back_inserter(all));
    return all;
  });
  EXPECT_THAT(problems, testing::IsEmpty());
}

// Raw bytes on one connection, to do what a well-behaved client never would.
class TRawClient {
 public:
  explicit TRawClient(quint16 port) {
    socket_.connectToHost(QHostAddress::LocalHost, port);
    socket_.waitForConnected(5000);
  }
  // False once the service has closed the connection.
  bool Send(const QByteArray& bytes) {
    socket_.write(bytes);
    while (socket_.bytesToWrite() > 0 && socket_.waitForBytesWritten(10000)) {
    }
    return socket_.state() == QAbstractSocket::ConnectedState;
  }
  // What came until the service closed the connection; `closed` stays false if it never did.
  QByteArray UntilClosed(bool& closed, int patienceMs = 10000) {
    QByteArray received;
    QDeadlineTimer patience(patienceMs);
    while (socket_.state() == QAbstractSocket::ConnectedState && !patience.hasExpired()) {
      socket_.waitForReadyRead(50);
      received += socket_.readAll();
    }
    closed = socket_.state() != QAbstractSocket::ConnectedState;
    return received + socket_.readAll();
  }

 private:
  QTcpSocket socket_;
};

QByteArray Post(const QByteArray& target, const QByteArray& body, const QByteArray& extra = {}) {
  return "POST " + target +
         " HTTP/1.1\r\nHost: x\r\nContent-Type: application/xml\r\nContent-Length: " + QByteArray::number(body.size()) +
         "\r\n" + extra + "\r\n" + body;
}

// What a hostile client tries, each against short limits: the service answers in order or lets go.
TEST_F(ServiceTest, HostileClientsAreAnsweredInOrderOrLetGo) {
  const quint16 port = Serve({.limitBytes = 1024 * 1024,
                              .workers = 2,
                              .idleTime = 300ms,
                              .headerTime = 300ms,
                              .bodyPauseTime = 300ms,
                              .headerLimitBytes = 8192},
                             [](const TJobInput& input) {
                               if (input.protocol == "lento") std::this_thread::sleep_for(300ms);
                               return TAnswer{200, "text/plain", QByteArray::fromStdString(input.protocol)};
                             });
  bool closed = false;
  {
    SCOPED_TRACE("two pipelined requests, the first slower");
    TRawClient client(port);
    client.Send(Post("/damdfe?protocolo=lento", "<x/>") +
                Post("/damdfe?protocolo=rapido", "<x/>", "Connection: close\r\n"));
    const QByteArray answers = client.UntilClosed(closed);
    EXPECT_EQ(answers.count("HTTP/1.1 200"), 2) << answers.data();
    EXPECT_LT(answers.indexOf("\r\n\r\nlento"), answers.indexOf("\r\n\r\nrapido")) << answers.data();
  }
  {
    SCOPED_TRACE("a header that never ends");
    TRawClient client(port);
    client.Send("GET /saude HTTP/1.1\r\nX-Sem-Fim: " + QByteArray(64 * 1024, 'a'));
    EXPECT_TRUE(client.UntilClosed(closed).startsWith("HTTP/1.1 431")) << "closed: " << closed;
  }
  {
    SCOPED_TRACE("a 10 GB body declared, none sent");
    TRawClient client(port);
    client.Send("POST /damdfe HTTP/1.1\r\nContent-Type: application/xml\r\nContent-Length: 10737418240\r\n\r\n");
    const QByteArray answer = client.UntilClosed(closed);
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 413")) << answer.data();
    EXPECT_TRUE(answer.contains("10737418240 bytes")) << answer.data();
  }
  {
    SCOPED_TRACE("a chunked body past the limit");
    TRawClient client(port);
    client.Send("POST /damdfe HTTP/1.1\r\nContent-Type: application/xml\r\nTransfer-Encoding: chunked\r\n\r\n");
    for (int chunk = 0; chunk < 40 && client.Send("10000\r\n" + QByteArray(0x10000, ' ') + "\r\n"); ++chunk) {
    }
    EXPECT_TRUE(client.UntilClosed(closed).startsWith("HTTP/1.1 413"));
  }
  for (const auto& [name, bytes] : {std::pair{"an idle kept-alive connection", Post("/damdfe", "<x/>")},
                                    std::pair{"headers left unfinished", QByteArray("POST /damdfe HTTP/1.1\r\n")},
                                    std::pair{"a body that stops", Post("/damdfe", "<x/>").chopped(2)}}) {
    SCOPED_TRACE(name);
    TRawClient client(port);
    client.Send(bytes);
    client.UntilClosed(closed);
    EXPECT_TRUE(closed);
  }
  {
    SCOPED_TRACE("headers sent a byte at a time, never finished");
    TRawClient client(port);
    client.Send("GET /saude HTTP/1.1\r\n");
    QDeadlineTimer patience(10s);
    while (client.Send("X") && !patience.hasExpired()) std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(patience.hasExpired());
  }
  // Still serving, and nothing left in hand.
  EXPECT_EQ(HttpCall(port, "/saude", {}, {}, "GET").status, 200);
  QDeadlineTimer patience(5s);
  while (!service_->Idle() && !patience.hasExpired()) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(service_->Idle());
}

// The processor time a process has spent, in seconds.
double CpuSeconds(qint64 pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  double ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i) {
    if (i >= 14) ticks += std::stod(field);  // utime, stime
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// With its descriptors used up by idle clients the service refuses politely, does not spin, and
// serves again once the idle ones are let go.
TEST(ServiceProcess, OutOfDescriptorsRefusesWithoutSpinning) {
  QProcess service;
  service.setReadChannel(QProcess::StandardError);
  service.start("prlimit", {"--nofile=48:48", QStringLiteral(DAMDFE_BIN_DIR "/damdfe-servidor"), "--porta", "0",
                            "--ocioso", "2", "--trabalhos", "1"});
  static const QRegularExpression listening(QStringLiteral("127\\.0\\.0\\.1:(\\d+)"));
  QByteArray log;
  quint16 port = 0;
  while (port == 0 && service.waitForReadyRead(10000)) {
    log += service.readAllStandardError();
    port = listening.match(QString::fromUtf8(log)).captured(1).toUShort();
  }
  ASSERT_NE(port, 0) << log.data();
  std::vector<std::unique_ptr<QTcpSocket>> idle;
  for (int i = 0; i < 60; ++i) {
    idle.push_back(std::make_unique<QTcpSocket>());
    idle.back()->connectToHost(QHostAddress::LocalHost, port);
    idle.back()->waitForConnected(2000);
  }
  const THttpReply refused = HttpCall(port, "/saude", {}, {}, "GET");
  EXPECT_EQ(refused.status, 503);
  EXPECT_TRUE(refused.body.contains("descritores")) << refused.body.data();
  const double before = CpuSeconds(service.processId());
  std::this_thread::sleep_for(1s);
  EXPECT_LT(CpuSeconds(service.processId()) - before, 0.3) << "the accept loop spins";
  std::this_thread::sleep_for(2500ms);  // the idle ones are let go
  EXPECT_EQ(HttpCall(port, "/saude", {}, {}, "GET").status, 200);
  service.terminate();
  EXPECT_TRUE(service.waitForFinished(10000));
}

}  // namespace
