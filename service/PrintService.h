#pragma once

// The print service over HTTP: POST /damdfe, POST /parametros, POST /verificacao, GET /saude. Connections are served
// by one network thread, a connection's requests one at a time and in order; jobs run on a fixed
// pool of workers behind a bounded queue; every request is answered within the time limit, and a
// client gets only so much memory and time before it is answered or let go.

#include <QHostAddress>
#include <QThreadPool>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "JobInput.h"

struct TServiceOptions {
  QHostAddress address = QHostAddress::LocalHost;
  quint16 port = 8080;  // 0: any free port
  qint64 limitBytes = 20 * 1024 * 1024;
  int workers = 1;
  int queueLength = 4;  // jobs waiting beyond those running
  std::chrono::milliseconds timeLimit = std::chrono::seconds(30);
  // A kept-alive connection with no request is closed after this long.
  std::chrono::milliseconds idleTime = std::chrono::seconds(15);
  // From a request's first byte to the end of its headers.
  std::chrono::milliseconds headerTime = std::chrono::seconds(10);
  // A body that stops coming for this long is given up.
  std::chrono::milliseconds bodyPauseTime = std::chrono::seconds(10);
  std::size_t headerLimitBytes = 64 * 1024;
};

// Runs on a worker thread.
using TJobFunction = std::function<TAnswer(const TJobInput&)>;

class TConnection;

class TPrintService {
 public:
  TPrintService(const TServiceOptions& options, TJobFunction job);
  ~TPrintService();
  TPrintService(const TPrintService&) = delete;
  TPrintService& operator=(const TPrintService&) = delete;

  // The port listened on; 0, with the reason in `error`, when listening failed.
  quint16 Start(QString& error);
  // Takes no new connection; requests already taken are still answered. Any thread.
  void StopListening();
  // No request being handled and no job queued or running. Any thread.
  bool Idle() const { return requestsInHand_ == 0 && jobsInFlight_ == 0; }

 private:
  friend class TConnection;

  void Accept();
  // Out of descriptors: the spare one refuses a waiting client politely, then accepting pauses.
  void RefuseForLackOfDescriptors();
  // False when the queue is full. Network thread.
  bool Submit(TJobInput input, std::function<void(TAnswer)> answered, std::shared_ptr<std::atomic<int>> phase);

  TServiceOptions options_;
  TJobFunction job_;
  std::atomic<int> requestsInHand_{0};
  std::atomic<int> jobsInFlight_{0};  // queued or running, answered or not
  int spareDescriptor_ = -1;
  // Connections left at the end go with the context, after everything they point to above.
  boost::asio::io_context io_;
  boost::asio::executor_work_guard<boost::asio::io_context::executor_type> keepRunning_;
  boost::asio::ip::tcp::acceptor acceptor_;
  boost::asio::steady_timer acceptPause_;
  std::thread network_;
  QThreadPool pool_;  // last: destroyed first, waiting for the workers that use the members above
};
