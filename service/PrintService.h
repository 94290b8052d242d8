#pragma once

// The print service over HTTP: POST /damdfe, POST /parametros, POST /verificacao, GET /saude. Jobs run on a fixed
// pool of workers behind a bounded queue; every request is answered within the time limit.

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>

#include "JobInput.h"

struct TServiceOptions {
  QHostAddress address = QHostAddress::LocalHost;
  quint16 port = 8080;  // 0: any free port
  qint64 limitBytes = 20 * 1024 * 1024;
  int workers = 1;
  int queueLength = 4;  // jobs waiting beyond those running
  std::chrono::milliseconds timeLimit = std::chrono::seconds(30);
};

// Runs on a worker thread.
using TJobFunction = std::function<TAnswer(const TJobInput&)>;

class TPrintService : public QAbstractHttpServer {
 public:
  TPrintService(const TServiceOptions& options, TJobFunction job);
  ~TPrintService() override;

  // The port listened on; 0, with the reason in `error`, when listening failed.
  quint16 Start(QString& error);
  // Takes no new connection; requests already taken are still answered.
  void StopListening();
  bool Idle() const { return exchanges_.empty() && jobsInFlight_ == 0; }

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

 private:
  enum Phase { Queued, Running, Abandoned };
  struct TJobState {
    std::atomic<int> phase{Queued};
  };
  // Lives on the main thread only, until the request is answered.
  struct TExchange {
    QHttpServerResponder responder;
    QPointer<QTcpSocket> socket;
    QByteArray method;
    QString path;
    QElapsedTimer clock;
    std::shared_ptr<TJobState> job;
    QMetaObject::Connection clientGone;
  };

  std::variant<TJobInput, TAnswer> Route(const QHttpServerRequest& request) const;
  void Submit(quint64 id, TJobInput input);
  void Answer(quint64 id, const TAnswer& answer);
  void TimeUp(quint64 id);
  void ClientGone(quint64 id);
  // Logs the request's line and forgets it.
  void Finish(quint64 id, const QString& status, const char* note = "");

  TServiceOptions options_;
  TJobFunction job_;
  quint64 nextId_ = 0;
  int jobsInFlight_ = 0;  // queued or running, answered or not
  std::unordered_map<quint64, TExchange> exchanges_;
  QThreadPool pool_;  // last: destroyed first, waiting for the workers that use the members above
};
