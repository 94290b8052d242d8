#include "PrintService.h"

#include <QHttpServerRequest>
#include <QMap>
#include <QMetaEnum>
#include <QTcpServer>
#include <QTimer>

#include <cstdio>

#include "RequestReading.h"

namespace {

QByteArray MethodName(QHttpServerRequest::Method method) {
  return QByteArray(QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(static_cast<int>(method))).toUpper();
}

// Header names are case-insensitive; QHttpServerRequest::value() is not.
QByteArray HeaderValue(const QHttpServerRequest& request, const QByteArray& name) {
  for (const auto& [key, value] : request.headers()) {
    if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
  }
  return {};
}

long long Seconds(std::chrono::milliseconds duration) {
  return std::chrono::duration_cast<std::chrono::seconds>(duration).count();
}

}  // namespace

TPrintService::TPrintService(const TServiceOptions& options, TJobFunction job)
    : options_(options), job_(std::move(job)) {
  pool_.setMaxThreadCount(options_.workers);
}

TPrintService::~TPrintService() { pool_.waitForDone(); }

quint16 TPrintService::Start(QString& error) {
  auto* server = new QTcpServer(this);
  if (!server->listen(options_.address, options_.port)) {
    error = server->errorString();
    delete server;
    return 0;
  }
  bind(server);
  return server->serverPort();
}

void TPrintService::StopListening() {
  for (QTcpServer* server : servers()) server->close();
}

bool TPrintService::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
  const quint64 id = nextId_++;
  TExchange& exchange = exchanges_
                            .emplace(id, TExchange{makeResponder(request, socket),
                                                   socket,
                                                   MethodName(request.method()),
                                                   request.url().path(),
                                                   {},
                                                   {},
                                                   {}})
                            .first->second;
  exchange.clock.start();
  auto routed = Route(request);
  if (auto* answer = std::get_if<TAnswer>(&routed)) {
    Answer(id, *answer);
  } else if (jobsInFlight_ >= options_.workers + options_.queueLength) {
    Answer(id, ErrorAnswer(503, QStringLiteral("o serviço está ocupado (fila cheia); tente de novo em instantes")));
  } else {
    Submit(id, std::move(std::get<TJobInput>(routed)));
  }
  return true;
}

void TPrintService::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
  // handleRequest takes every request; kept as the base class requires.
  makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

std::variant<TJobInput, TAnswer> TPrintService::Route(const QHttpServerRequest& request) const {
  const QString path = request.url().path();
  const bool post = request.method() == QHttpServerRequest::Method::Post;
  if (path == QLatin1String("/saude")) {
    if (request.method() != QHttpServerRequest::Method::Get) return ErrorAnswer(405, QStringLiteral("use GET /saude"));
    return TAnswer{200, "application/json", R"({"status":"ok"})"};
  }
  static const QMap<QString, TJobInput::Kind> kJobs = {{QStringLiteral("/damdfe"), TJobInput::Kind::Pdf},
                                                       {QStringLiteral("/parametros"), TJobInput::Kind::Parameters},
                                                       {QStringLiteral("/verificacao"), TJobInput::Kind::Verification}};
  if (!kJobs.contains(path)) {
    return ErrorAnswer(404, QStringLiteral("caminho desconhecido: %1 (use POST /damdfe, POST /parametros, "
                                           "POST /verificacao ou GET /saude)")
                                .arg(path));
  }
  if (!post) return ErrorAnswer(405, QStringLiteral("use POST %1").arg(path));
  const TJobInput::Kind kind = kJobs.value(path);
  return ReadJobRequest(kind, {HeaderValue(request, "Content-Type"), request.body(), request.query()},
                        options_.limitBytes);
}

void TPrintService::Submit(quint64 id, TJobInput input) {
  auto state = std::make_shared<TJobState>();
  TExchange& exchange = exchanges_.at(id);
  exchange.job = state;
  // A client that gives up frees its place in the queue.
  exchange.clientGone = connect(exchange.socket, &QTcpSocket::disconnected, this, [this, id] { ClientGone(id); });
  ++jobsInFlight_;
  QTimer::singleShot(options_.timeLimit, this, [this, id] { TimeUp(id); });
  pool_.start([this, id, state, input = std::move(input)] {
    std::optional<TAnswer> answer;
    int queued = Queued;
    if (state->phase.compare_exchange_strong(queued, Running)) {
      try {
        answer = job_(input);
      } catch (...) {
        answer = ErrorAnswer(500, QStringLiteral("erro interno ao imprimir o DAMDFE"));
      }
    }
    // Answered on the main thread, which owns the connections.
    QMetaObject::invokeMethod(
        this,
        [this, id, answer = std::move(answer)] {
          --jobsInFlight_;
          if (answer) Answer(id, *answer);
        },
        Qt::QueuedConnection);
  });
}

void TPrintService::TimeUp(quint64 id) {
  const auto found = exchanges_.find(id);
  if (found == exchanges_.end()) return;
  int queued = Queued;
  const long long limit = Seconds(options_.timeLimit);
  if (found->second.job->phase.compare_exchange_strong(queued, Abandoned)) {
    Answer(id, ErrorAnswer(503,
                           QStringLiteral("o pedido esperou %1 s na fila sem ser atendido; tente de novo").arg(limit)));
  } else {
    Answer(id, ErrorAnswer(504, QStringLiteral("o DAMDFE não ficou pronto em %1 s").arg(limit)));
  }
}

void TPrintService::ClientGone(quint64 id) {
  const auto found = exchanges_.find(id);
  if (found == exchanges_.end()) return;
  int queued = Queued;
  if (found->second.job->phase.compare_exchange_strong(queued, Abandoned)) {
    Finish(id, QStringLiteral("-"), " (cliente desconectado na fila)");
  }
}

void TPrintService::Answer(quint64 id, const TAnswer& answer) {
  const auto found = exchanges_.find(id);
  if (found == exchanges_.end()) return;  // already answered: time ran out first
  TExchange& exchange = found->second;
  const bool connected = exchange.socket && exchange.socket->state() == QAbstractSocket::ConnectedState;
  const auto status = static_cast<QHttpServerResponder::StatusCode>(answer.status);
  if (connected && answer.verification.isEmpty()) {
    exchange.responder.write(answer.body, answer.contentType, status);
  } else if (connected) {
    exchange.responder.write(
        answer.body, {{"Content-Type", answer.contentType}, {"X-DAMDFE-Verificacao", answer.verification}}, status);
  }
  Finish(id, QString::number(answer.status), connected ? "" : " (cliente desconectado)");
}

void TPrintService::Finish(quint64 id, const QString& status, const char* note) {
  const auto found = exchanges_.find(id);
  const TExchange& exchange = found->second;
  disconnect(exchange.clientGone);
  std::fprintf(stderr, "%s %s %s %lld ms%s\n", exchange.method.constData(), exchange.path.toUtf8().constData(),
               status.toUtf8().constData(), static_cast<long long>(exchange.clock.elapsed()), note);
  exchanges_.erase(found);
}
