#include "server/http_binding.h"

namespace server {
namespace {

Request Plain(const httplib::Request& from) {
  Request request;
  request.method = from.method;
  request.path = from.path;
  const std::size_t question = from.target.find('?');
  if (question != std::string::npos) request.query = from.target.substr(question + 1);
  request.headers.assign(from.headers.begin(), from.headers.end());
  request.clientAddress = from.remote_addr;
  request.body = from.body;
  return request;
}

void Send(const Answer& answer, httplib::Response& response) {
  response.status = answer.status;
  if (!answer.contentType.empty()) response.set_content(answer.body, answer.contentType);
  if (answer.retryAfterS > 0) {
    response.set_header("Retry-After", std::to_string(answer.retryAfterS));
  }
  for (const auto& [name, value] : answer.headers) response.set_header(name, value);
}

}  // namespace

void BindRoutes(httplib::Server& http, Service& service) {
  http.set_pre_routing_handler(
      [&service](const httplib::Request& request, httplib::Response& response) {
        const std::optional<Answer> refusal = Admit(service, Plain(request));
        if (!refusal) return httplib::Server::HandlerResponse::Unhandled;
        Send(*refusal, response);
        return httplib::Server::HandlerResponse::Handled;
      });
  // What the library answers itself: a body too large, a request it cannot parse.
  http.set_error_handler(httplib::Server::HandlerWithResponse(
      [&service](const httplib::Request& request, httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        Send(Unreadable(service, Plain(request), response.status), response);
        return httplib::Server::HandlerResponse::Handled;
      }));
  const auto respond = [&service](const httplib::Request& request, httplib::Response& response) {
    Send(Respond(service, Plain(request)), response);
  };
  // The stamps may come with no Content-Length at all, which the library would
  // read as a body that lasts until the client closes: theirs is read only
  // when its length is given, and dropped.
  http.Post("/api/v1/tickets/[^/]+/(start|end)",
            [&service](const httplib::Request& request, httplib::Response& response,
                       const httplib::ContentReader& body) {
              if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding")) {
                body([](const char* /*data*/, std::size_t /*length*/) { return true; });
              }
              Send(Respond(service, Plain(request)), response);
            });
  http.Get(".*", respond);
  http.Post(".*", respond);
  http.Put(".*", respond);
  http.Patch(".*", respond);
  http.Delete(".*", respond);
  http.Options(".*", respond);
}

}  // namespace server
