#include "PrintService.h"

#include <QMap>
#include <QUrl>

#include <boost/asio/post.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <limits>
#include <cstdio>
#include <optional>
#include <variant>

#include "RequestReading.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

using namespace std::chrono_literals;

enum Phase { Queued, Running, Abandoned };

// A refused client may still be sending its body: it is read and dropped this long, so that it
// sees the answer rather than a reset connection.
constexpr auto kLingerTime = 2s;

long long Seconds(std::chrono::milliseconds duration) {
  return std::chrono::duration_cast<std::chrono::seconds>(duration).count();
}

long long Megabytes(qint64 bytes) { return bytes / (1024 * 1024); }

QByteArray Bytes(beast::string_view text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

http::response<http::string_body> Response(const TAnswer& answer, unsigned version, bool keepAlive) {
  http::response<http::string_body> response(static_cast<http::status>(answer.status), version);
  response.set(http::field::content_type, answer.contentType.toStdString());
  if (!answer.verification.isEmpty()) response.set("X-DAMDFE-Verificacao", answer.verification.toStdString());
  response.body().assign(answer.body.constData(), static_cast<std::size_t>(answer.body.size()));
  response.keep_alive(keepAlive);
  response.prepare_payload();
  return response;
}

void Log(const std::string& method, const std::string& path, const std::string& status, long long ms,
         const char* note = "") {
  std::fprintf(stderr, "%s %s %s %lld ms%s\n", method.c_str(), path.c_str(), status.c_str(), ms, note);
}

}  // namespace

// One client's connection, from its first byte to its close. Lives on the network thread; a
// request is read whole (within the limits) before the next is looked at, so answers go out in
// the order asked.
class TConnection : public std::enable_shared_from_this<TConnection> {
 public:
  TConnection(TPrintService& service, tcp::socket socket)
      : service_(service),
        options_(service.options_),
        stream_(std::move(socket)),
        buffer_(options_.headerLimitBytes + 65536),
        deadline_(service.io_) {}

  void Start() { WaitForRequest(); }

 private:
  void WaitForRequest() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(options_.headerLimitBytes));
    parser_->body_limit(std::numeric_limits<std::uint64_t>::max());  // a declared length is weighed after the headers
    method_ = path_ = "-";
    if (buffer_.size() > 0) return ReadHeader();  // the next request came with the last one
    stream_.expires_after(options_.idleTime);
    stream_.async_read_some(buffer_.prepare(4096), [self = shared_from_this()](beast::error_code error, std::size_t n) {
      if (error) return self->stream_.close();  // idle too long, or gone
      self->buffer_.commit(n);
      self->ReadHeader();
    });
  }

  void ReadHeader() {
    clock_ = std::chrono::steady_clock::now();
    stream_.expires_after(options_.headerTime);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                              if (error) return self->HeaderFailed(error);
                              self->HeaderRead();
                            });
  }

  void HeaderFailed(const beast::error_code& error) {
    if (error == http::error::header_limit) {
      return Refuse(431, QStringLiteral("os cabeçalhos do pedido passam de %1 KB")
                             .arg(static_cast<qulonglong>(options_.headerLimitBytes / 1024)));
    }
    if (error == beast::error::timeout) {
      Log(method_, path_, "-", Elapsed(), " (cabeçalhos incompletos no prazo; conexão fechada)");
      return stream_.close();
    }
    if (error.category() == beast::http::make_error_code(http::error::bad_method).category() &&
        error != http::error::end_of_stream && error != http::error::partial_message) {
      return Refuse(400, QStringLiteral("pedido HTTP malformado: %1").arg(QString::fromStdString(error.message())));
    }
    stream_.close();  // the client left
  }

  void HeaderRead() {
    const auto& request = parser_->get();
    method_ = std::string(request.method_string());
    path_ = QUrl::fromEncoded(Bytes(request.target())).path().toStdString();
    ++service_.requestsInHand_;
    inHand_ = true;
    if (const auto declared = parser_->content_length(); declared && *declared > std::uint64_t(options_.limitBytes)) {
      return RefuseBody(*declared);
    }
    parser_->body_limit(static_cast<std::uint64_t>(options_.limitBytes));
    if (beast::iequals(request[http::field::expect], "100-continue")) {
      auto interim = std::make_shared<http::response<http::empty_body>>(http::status::continue_, request.version());
      stream_.expires_after(options_.bodyPauseTime);
      http::async_write(stream_, *interim, [self = shared_from_this(), interim](beast::error_code error, std::size_t) {
        if (error) return self->Drop(" (cliente desconectado)");
        self->ReadBody();
      });
      return;
    }
    ReadBody();
  }

  void ReadBody() {
    if (parser_->is_done()) return Handle();
    stream_.expires_after(options_.bodyPauseTime);
    http::async_read_some(stream_, buffer_, *parser_,
                          [self = shared_from_this()](beast::error_code error, std::size_t) {
                            if (error == http::error::body_limit) return self->RefuseBody(std::nullopt);
                            if (error == beast::error::timeout) {
                              return self->Drop(QStringLiteral(" (corpo parado por %1 s; conexão fechada)")
                                                    .arg(self->options_.bodyPauseTime.count() / 1000.0));
                            }
                            if (error) return self->Drop(" (cliente desconectado no corpo)");
                            self->ReadBody();
                          });
  }

  void Handle() {
    http::request<http::string_body> request = parser_->release();
    keepAlive_ = request.keep_alive();
    version_ = request.version();
    const QUrl url = QUrl::fromEncoded(Bytes(request.target()));
    auto routed = Route(request.method(), url, Bytes(request[http::field::content_type]), std::move(request.body()));
    if (auto* answer = std::get_if<TAnswer>(&routed)) return Answer(*answer);
    phase_ = std::make_shared<std::atomic<int>>(Queued);
    auto answered = [self = shared_from_this(), exchange = exchange_](TAnswer answer) {
      if (exchange == self->exchange_) self->Answer(answer);
    };
    if (!service_.Submit(std::move(std::get<TJobInput>(routed)), answered, phase_)) {
      return Answer(
          ErrorAnswer(503, QStringLiteral("o serviço está ocupado (fila cheia); tente de novo em instantes")));
    }
    deadline_.expires_after(options_.timeLimit);
    deadline_.async_wait([self = shared_from_this(), exchange = exchange_](beast::error_code error) {
      if (!error && exchange == self->exchange_) self->TimeUp();
    });
    WatchForDeparture();
  }

  std::variant<TJobInput, TAnswer> Route(http::verb method, const QUrl& url, const QByteArray& contentType,
                                         std::string&& body) const {
    const QString path = url.path();
    if (path == QLatin1String("/saude")) {
      if (method != http::verb::get) return ErrorAnswer(405, QStringLiteral("use GET /saude"));
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
    if (method != http::verb::post) return ErrorAnswer(405, QStringLiteral("use POST %1").arg(path));
    const TJobInput::Kind kind = kJobs.value(path);
    QByteArray bytes = Bytes(body);
    body.clear();
    body.shrink_to_fit();
    return ReadJobRequest(kind, {contentType, std::move(bytes), QUrlQuery(url)}, options_.limitBytes);
  }

  // A client that gives up while its job waits frees its place in the queue.
  void WatchForDeparture() {
    stream_.expires_never();
    stream_.socket().async_wait(
        tcp::socket::wait_read, [self = shared_from_this(), exchange = exchange_](beast::error_code error) {
          if (error || exchange != self->exchange_) return;
          char byte = 0;
          beast::error_code gone;
          self->stream_.socket().receive(asio::buffer(&byte, 1), tcp::socket::message_peek, gone);
          if (!gone) return;  // the next request is coming: still there
          self->departed_ = true;
          int queued = Queued;
          if (self->phase_->compare_exchange_strong(queued, Abandoned)) self->Drop(" (cliente desconectado na fila)");
        });
  }

  void TimeUp() {
    int queued = Queued;
    const long long limit = Seconds(options_.timeLimit);
    if (phase_->compare_exchange_strong(queued, Abandoned)) {
      Answer(
          ErrorAnswer(503, QStringLiteral("o pedido esperou %1 s na fila sem ser atendido; tente de novo").arg(limit)));
    } else {
      Answer(ErrorAnswer(504, QStringLiteral("o DAMDFE não ficou pronto em %1 s").arg(limit)));
    }
  }

  void RefuseBody(std::optional<std::uint64_t> declared) {
    const QString limit = QString::number(Megabytes(options_.limitBytes));
    Refuse(413, declared ? QStringLiteral("o corpo tem %1 bytes; o limite é %2 MB")
                               .arg(static_cast<qulonglong>(*declared))
                               .arg(limit)
                         : QStringLiteral("o corpo passa do limite de %1 MB").arg(limit));
  }

  // Answers and closes: what is left of the request is not worth reading.
  void Refuse(int status, const QString& reason) {
    if (!inHand_) {
      ++service_.requestsInHand_;
      inHand_ = true;
    }
    keepAlive_ = false;
    version_ = parser_->get().version();
    Answer(ErrorAnswer(status, reason));
  }

  void Answer(const TAnswer& answer) {
    Decided();
    const std::string status = std::to_string(answer.status);
    if (departed_) return Drop(" (cliente desconectado)", status);
    response_ = Response(answer, version_, keepAlive_);
    stream_.expires_after(options_.timeLimit);
    http::async_write(stream_, response_, [self = shared_from_this(), status](beast::error_code error, std::size_t) {
      self->Finished(status, error ? " (cliente desconectado)" : "");
      self->response_ = {};
      if (error) return self->stream_.close();
      if (!self->keepAlive_) return self->CloseAfterAnswer();
      self->WaitForRequest();
    });
  }

  // From here on, a late job answer, timer or departure notice is about another request.
  void Decided() {
    ++exchange_;
    deadline_.cancel();
    beast::error_code ignored;
    stream_.socket().cancel(ignored);  // the departure watch
  }

  void Drop(const QString& note, const std::string& status = "-") {
    Decided();
    Finished(status, note.toUtf8().constData());
    stream_.close();
  }

  void Finished(const std::string& status, const char* note) {
    Log(method_, path_, status, Elapsed(), note);
    if (inHand_) --service_.requestsInHand_;
    inHand_ = false;
  }

  void CloseAfterAnswer() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kLingerTime);
    Discard();
  }

  void Discard() {
    static std::array<char, 16384> dropped;  // never read: one network thread writes it
    stream_.async_read_some(asio::buffer(dropped), [self = shared_from_this()](beast::error_code error, std::size_t) {
      if (error) return self->stream_.close();
      self->Discard();
    });
  }

  long long Elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - clock_).count();
  }

  TPrintService& service_;
  const TServiceOptions& options_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  http::response<http::string_body> response_;
  asio::steady_timer deadline_;  // the job's time limit
  std::chrono::steady_clock::time_point clock_;
  std::string method_ = "-";
  std::string path_ = "-";
  unsigned version_ = 11;
  bool keepAlive_ = true;
  bool inHand_ = false;  // counted in the service's requests in hand
  bool departed_ = false;
  quint64 exchange_ = 0;  // the request whose answer is awaited: answers to earlier ones are ignored
  std::shared_ptr<std::atomic<int>> phase_;
};

TPrintService::TPrintService(const TServiceOptions& options, TJobFunction job)
    : options_(options),
      job_(std::move(job)),
      keepRunning_(asio::make_work_guard(io_)),
      acceptor_(io_),
      acceptPause_(io_) {
  pool_.setMaxThreadCount(options_.workers);
}

TPrintService::~TPrintService() {
  io_.stop();
  if (network_.joinable()) network_.join();
  pool_.waitForDone();
  if (spareDescriptor_ >= 0) ::close(spareDescriptor_);
}

quint16 TPrintService::Start(QString& error) {
  beast::error_code failure;
  const auto address = asio::ip::make_address(options_.address.toString().toStdString(), failure);
  const tcp::endpoint endpoint(address, options_.port);
  if (!failure) acceptor_.open(endpoint.protocol(), failure);
  if (!failure) acceptor_.set_option(asio::socket_base::reuse_address(true), failure);
  if (!failure) acceptor_.bind(endpoint, failure);
  if (!failure) acceptor_.listen(asio::socket_base::max_listen_connections, failure);
  if (failure) {
    error = QString::fromStdString(failure.message());
    acceptor_.close(failure);
    return 0;
  }
  spareDescriptor_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const quint16 port = acceptor_.local_endpoint().port();
  Accept();
  network_ = std::thread([this] { io_.run(); });
  return port;
}

void TPrintService::StopListening() {
  asio::post(io_, [this] {
    beast::error_code ignored;
    acceptor_.close(ignored);
    acceptPause_.cancel();
  });
}

void TPrintService::Accept() {
  acceptor_.async_accept([this](beast::error_code error, tcp::socket socket) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (error == asio::error::no_descriptors || error.value() == ENFILE || error == asio::error::no_buffer_space ||
        error == asio::error::no_memory) {
      return RefuseForLackOfDescriptors();
    }
    if (!error) std::make_shared<TConnection>(*this, std::move(socket))->Start();
    Accept();
  });
}

void TPrintService::RefuseForLackOfDescriptors() {
  if (spareDescriptor_ >= 0) {
    ::close(spareDescriptor_);
    // Written out, not serialised: nothing on this path may need a descriptor or fail.
    const TAnswer answer = ErrorAnswer(
        503, QStringLiteral(
                 "o serviço está sem descritores de arquivo livres (conexões demais); tente de novo em instantes"));
    const std::string bytes =
        "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nConnection: close\r\n"
        "Content-Length: " +
        std::to_string(answer.body.size()) + "\r\n\r\n" + answer.body.toStdString();
    // Those waiting now are told at once; the answer fits any socket's send buffer.
    for (int client;
         (client = ::accept4(acceptor_.native_handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
      [[maybe_unused]] const ssize_t sent = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      ::shutdown(client, SHUT_WR);
      ::close(client);
    }
    spareDescriptor_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  }
  // Until a descriptor frees (a job ends, an idle client is let go), accepting again would only spin.
  acceptPause_.expires_after(100ms);
  acceptPause_.async_wait([this](beast::error_code error) {
    if (!error && acceptor_.is_open()) Accept();
  });
}

bool TPrintService::Submit(TJobInput input, std::function<void(TAnswer)> answered,
                           std::shared_ptr<std::atomic<int>> phase) {
  if (jobsInFlight_ >= options_.workers + options_.queueLength) return false;
  ++jobsInFlight_;
  pool_.start([this, phase, answered = std::move(answered), input = std::move(input)] {
    std::optional<TAnswer> answer;
    int queued = Queued;
    if (phase->compare_exchange_strong(queued, Running)) {
      try {
        answer = job_(input);
      } catch (...) {
        answer = ErrorAnswer(500, QStringLiteral("erro interno ao imprimir o DAMDFE"));
      }
    }
    // Answered on the network thread, which owns the connections.
    asio::post(io_, [this, answered, answer = std::move(answer)] {
      --jobsInFlight_;
      if (answer) answered(*answer);
    });
  });
  return true;
}
