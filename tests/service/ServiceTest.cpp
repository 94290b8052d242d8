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

#include <atomic>
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

}  // namespace
