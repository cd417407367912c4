#include "server/http_session.h"

#include <array>
#include <boost/asio/post.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <exception>
#include <memory>
#include <optional>

#include "server/http_head.h"
#include "server/submission.h"

namespace server {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;

// After a refusal that leaves a body unread, what the client still sends is
// read and dropped for a while before the connection closes: closed at once,
// the system would answer those bytes with a reset, which can reach the
// client before it has read the refusal.
constexpr auto kLingerTime = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = std::size_t{1} << 20;
// What an idle connection's first read takes: most requests fit, and ten
// thousand waiting connections hold no more than this each.
constexpr std::size_t kFirstRead = 512;

template <class Stream>
class Session : public std::enable_shared_from_this<Session<Stream>> {
 public:
  // `countedAs`: the key the connection counts under (none for a proxy's);
  // `overCap`: its client held every connection it may, and it is refused.
  Session(std::shared_ptr<Connections> connections, Stream stream, std::string peer,
          std::string countedAs, bool overCap)
      : connections_(std::move(connections)),
        stream_(std::move(stream)),
        peer_(std::move(peer)),
        countedAs_(std::move(countedAs)),
        overCap_(overCap) {
    ++connections_->open;
  }
  ~Session() {
    if (!countedAs_.empty()) connections_->perAddress.Give(countedAs_);
    EndRequest();
    --connections_->open;
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void Start() {
    // The first request's deadline runs from the connection, handshake included.
    Lowest().expires_after(connections_->requestDeadline);
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      stream_.async_handshake(net::ssl::stream_base::server,
                              [self = this->shared_from_this()](beast::error_code error) {
                                if (error) return self->Close();
                                self->ReadHead();
                              });
    } else {
      ReadHead();
    }
  }

 private:
  beast::tcp_stream& Lowest() { return beast::get_lowest_layer(stream_); }

  // Between two requests the client has the keep-alive timeout to begin the
  // next, and from its first byte the request deadline to send it whole.
  void WaitForNext() {
    if (buffer_.size() > 0) {
      Lowest().expires_after(connections_->requestDeadline);
      return ReadHead();
    }
    Lowest().expires_after(connections_->keepAliveTimeout);
    stream_.async_read_some(
        buffer_.prepare(kFirstRead),
        [self = this->shared_from_this()](beast::error_code error, std::size_t got) {
          if (error) return self->Close();
          self->buffer_.commit(got);
          self->Lowest().expires_after(self->connections_->requestDeadline);
          self->ReadHead();
        });
  }

  void ReadHead() {
    parser_.emplace();
    parser_->header_limit(kMaxHead);
    parser_->body_limit(kMaxSubmissionBytes);
    head_ = Request{};
    http::async_read_header(
        stream_, buffer_, *parser_,
        [self = this->shared_from_this()](beast::error_code error, std::size_t /*read*/) {
          self->OnHead(error);
        });
  }

  void OnHead(beast::error_code error) {
    if (error == http::error::header_limit || error == http::error::buffer_overflow) {
      const auto read = buffer_.cdata();
      return Refuse(
          OversizeRefusal(std::string_view(static_cast<const char*>(read.data()), read.size())));
    }
    // A declared length past the bound is refused from the head alone.
    if (error == http::error::body_limit) return Refuse(413);
    if (error) return IsParseError(error) ? Refuse(400) : Close();
    const auto& header = parser_->get();
    if (const int refusal = HeadRefusal(header)) return Refuse(refusal);
    if (!ToRequest(header, &head_)) return Refuse(400);
    const std::optional<std::string> client = connections_->proxies.ClientOf(peer_, head_);
    if (!client) return Refuse(400);
    head_.clientAddress = *client;
    if (!Counted()) return Refuse(503);
    isHead_ = header.method() == http::verb::head;
    const bool bodyComing = !parser_->is_done();
    if (head_.method == "POST" && !parser_->content_length() && !parser_->chunked() &&
        TakesBody(head_)) {
      return Refuse(411);
    }
    if (std::optional<Answer> refusal = Admit(connections_->service, head_)) {
      return Send(*refusal, bodyComing);
    }
    if (bodyComing && beast::iequals(header[http::field::expect], "100-continue")) {
      return Continue();
    }
    ReadBody();
  }

  // A client that counts against the connection cap counted when it
  // connected; a proxy's connection is no client's, and each request it
  // forwards counts for the player it comes from while it is answered.
  bool Counted() {
    if (overCap_) return false;
    if (!connections_->proxies.Trusts(peer_)) return true;
    const std::string key = ClientKey(head_.clientAddress);
    if (!connections_->perAddress.Take(key)) return false;
    requestCountedAs_ = key;
    return true;
  }

  void Continue() {
    continue_.emplace(http::status::continue_, 11);
    http::async_write(stream_, *continue_,
                      [self = this->shared_from_this()](beast::error_code error, std::size_t) {
                        if (error) return self->Close();
                        self->ReadBody();
                      });
  }

  void ReadBody() {
    http::async_read(
        stream_, buffer_, *parser_,
        [self = this->shared_from_this()](beast::error_code error, std::size_t /*read*/) {
          if (error == http::error::body_limit) return self->Refuse(413);
          if (error) return IsParseError(error) ? self->Refuse(400) : self->Close();
          self->head_.body = std::move(self->parser_->get().body());
          self->keepAlive_ = self->parser_->get().keep_alive();
          self->Dispatch();
        });
  }

  // The routes answer on a worker's thread; the answer is sent from this one.
  void Dispatch() {
    ++connections_->busy;
    dispatched_ = true;
    net::post(connections_->workers, [self = this->shared_from_this(),
                                      request = std::move(head_)]() mutable {
      Answer answer;
      try {
        answer = Respond(self->connections_->service, request);
      } catch (const std::exception&) {
        answer = Refusal(500, "internal-error", "The server could not answer this request.");
      }
      net::io_context& loop = self->connections_->loop;
      net::post(loop, [self = std::move(self), answer = std::move(answer)]() mutable {
        self->Send(answer, !self->keepAlive_);
      });
    });
  }

  void Refuse(int status) { Send(Unreadable(connections_->service, head_, status), true); }

  void Send(const Answer& answer, bool close) {
    response_.emplace(static_cast<http::status>(answer.status), 11);
    if (!answer.contentType.empty()) response_->set(http::field::content_type, answer.contentType);
    if (answer.retryAfterS > 0) {
      response_->set(http::field::retry_after, std::to_string(answer.retryAfterS));
    }
    for (const auto& [name, value] : answer.headers) response_->insert(name, value);
    response_->body() = answer.body;
    response_->keep_alive(!close && !connections_->stopping);
    response_->prepare_payload();
    // A HEAD is told the length of what a GET would be sent, and sent none of it.
    if (isHead_) response_->body().clear();
    Lowest().expires_after(connections_->requestDeadline);
    http::async_write(
        stream_, *response_,
        [self = this->shared_from_this()](beast::error_code error, std::size_t /*sent*/) {
          self->EndRequest();
          const bool keep = self->response_->keep_alive();
          self->response_.reset();
          if (error) return self->Close();
          if (!keep) return self->Linger();
          self->WaitForNext();
        });
  }

  void EndRequest() {
    if (dispatched_) --connections_->busy;
    dispatched_ = false;
    if (!requestCountedAs_.empty()) connections_->perAddress.Give(requestCountedAs_);
    requestCountedAs_.clear();
  }

  void Linger() {
    beast::error_code ignored;
    Lowest().socket().shutdown(tcp::socket::shutdown_send, ignored);
    Lowest().expires_after(kLingerTime);
    Drain();
  }

  void Drain() {
    // Only the connections' thread reads into it, and what it holds is dropped.
    static std::array<char, 4096> dropped;
    Lowest().async_read_some(net::buffer(dropped), [self = this->shared_from_this()](
                                                       beast::error_code error, std::size_t got) {
      self->lingered_ += got;
      if (error || self->lingered_ > kLingerBytes) return self->Close();
      self->Drain();
    });
  }

  void Close() {
    beast::error_code ignored;
    Lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
    Lowest().close();
  }

  static bool IsParseError(const beast::error_code& error) {
    return error.category() == http::make_error_code(http::error::bad_target).category() &&
           error != http::error::end_of_stream && error != http::error::partial_message;
  }

  // Shared: a connection still open when the server stops ends after the
  // listening does.
  std::shared_ptr<Connections> connections_;
  Stream stream_;
  std::string peer_;
  std::string countedAs_;  // the key this connection is counted under, if any
  bool overCap_;
  std::string requestCountedAs_;  // the player a proxy's request counts under, if any
  beast::flat_buffer buffer_{kMaxHead + 1024};
  std::optional<http::request_parser<http::string_body>> parser_;
  std::optional<http::response<http::empty_body>> continue_;
  std::optional<http::response<http::string_body>> response_;
  Request head_;
  bool isHead_ = false;
  bool keepAlive_ = false;
  bool dispatched_ = false;
  std::size_t lingered_ = 0;
};

template <class Stream>
void Begin(const std::shared_ptr<Connections>& connections, Stream stream,
           const std::string& peer) {
  std::string countedAs;
  bool overCap = false;
  if (!connections->proxies.Trusts(peer)) {
    countedAs = ClientKey(peer);
    if (!connections->perAddress.Take(countedAs)) {
      countedAs.clear();
      overCap = true;
    }
  }
  std::make_shared<Session<Stream>>(connections, std::move(stream), peer, std::move(countedAs),
                                    overCap)
      ->Start();
}

}  // namespace

void StartSession(const std::shared_ptr<Connections>& connections, tcp::socket socket,
                  net::ssl::context* tls) {
  beast::error_code error;
  const tcp::endpoint remote = socket.remote_endpoint(error);
  if (error) return;
  const std::string peer =
      NormalAddress(remote.address().to_string()).value_or(remote.address().to_string());
  if (tls) {
    Begin(connections, TlsStream(std::move(socket), *tls), peer);
  } else {
    Begin(connections, beast::tcp_stream(std::move(socket)), peer);
  }
}

}  // namespace server
