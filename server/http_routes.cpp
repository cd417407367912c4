#include "server/http_routes.h"

#include <atomic>
#include <cstdio>
#include <regex>
#include <string_view>

#include "server/answer.h"
#include "server/health.h"
#include "server/server_clock.h"
#include "server/site_files.h"
#include "server/submission.h"
#include "server/table_reads.h"
#include "server/tables_page.h"
#include "server/tickets.h"

namespace server {
namespace {

struct Route {
  const char* method;
  std::regex pattern;
  const char* name;
};

const std::vector<Route>& ApiRoutes() {
  static const std::vector<Route> kRoutes = {
      {"POST", std::regex("/api/v1/tickets"), "/api/v1/tickets"},
      {"POST", std::regex("/api/v1/tickets/[^/]+/start"), "/api/v1/tickets/{id}/start"},
      {"POST", std::regex("/api/v1/tickets/[^/]+/end"), "/api/v1/tickets/{id}/end"},
      {"POST", std::regex("/api/v1/tickets/[^/]+/replay"), "/api/v1/tickets/{id}/replay"},
      {"GET", std::regex("/api/v1/tables/[^/]+"), "/api/v1/tables/{level}"},
      {"GET", std::regex("/api/v1/entries/[^/]+/replay"), "/api/v1/entries/{id}/replay"},
      {"GET", std::regex("/tables"), "/tables"},
      {"GET", std::regex("/healthz"), "/healthz"},
      {"GET", std::regex("/metrics"), "/metrics"},
  };
  return kRoutes;
}

// Puts the answer in the response; a refusal also gets its line in the log.
void Send(const httplib::Request& request, httplib::Response& response, const Answer& answer) {
  response.status = answer.status;
  if (!answer.contentType.empty()) response.set_content(answer.body, answer.contentType);
  if (answer.retryAfterS > 0) {
    response.set_header("Retry-After", std::to_string(answer.retryAfterS));
  }
  if (!answer.code.empty()) {
    std::fprintf(stderr, "refused %s %s: %s: %s\n", request.method.c_str(),
                 RouteOf("", request.path).c_str(), answer.code.c_str(), answer.reason.c_str());
  }
}

std::string_view Match(const httplib::Request& request, std::size_t index = 1) {
  const auto& match = request.matches[static_cast<int>(index)];
  return {match.first, match.second};
}

Answer MethodNotAllowed(const httplib::Request& request) {
  return Refusal(405, "method-not-allowed", "This address does not take " + request.method + ".");
}

// What httplib answers itself (a body too large, an unknown path, a method
// the path does not take, a request it cannot parse) as the API's refusals.
httplib::Server::HandlerResponse LibraryRefusal(const httplib::Request& request,
                                                httplib::Response& response) {
  if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
  Answer answer;
  if (response.status == 413) {
    answer = Refusal(413, "too-large", "The request is larger than 1 MiB.");
  } else if (RouteOf(request.method, request.path) == "static" &&
             RouteOf("", request.path) != "static") {
    answer = MethodNotAllowed(request);
  } else if (response.status == 404) {
    answer = Refusal(404, "not-found", "There is nothing at this address.");
  } else {
    answer = Refusal(response.status, "bad-request", "The request is not HTTP this server reads.");
  }
  Send(request, response, answer);
  return httplib::Server::HandlerResponse::Handled;
}

void DropBody(const httplib::Request& request, const httplib::ContentReader& body) {
  if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding")) {
    body([](const char* /*data*/, std::size_t /*length*/) { return true; });
  }
}

// Once an hour, as tickets are given, those that expired a day ago or more
// unredeemed go: a ticket expired within the last day is still answered as
// expired rather than unknown.
void DropOldTickets(Store& store, std::int64_t nowMs) {
  constexpr std::int64_t kHourMs = std::int64_t{60} * 60 * 1000;
  static std::atomic<std::int64_t> lastDrop{0};
  std::int64_t last = lastDrop.load();
  if (nowMs - last < kHourMs || !lastDrop.compare_exchange_strong(last, nowMs)) return;
  (void)store.DropExpiredTickets(nowMs - kTicketLifeMs);
}

}  // namespace

std::string RouteOf(const std::string& method, const std::string& path) {
  for (const Route& route : ApiRoutes()) {
    if ((method.empty() || method == route.method) && std::regex_match(path, route.pattern)) {
      return route.name;
    }
  }
  return "static";
}

namespace {

// The tables' page, health, metrics and the page's files.
void InstallSiteRoutes(httplib::Server& http, Service& service) {
  Store& store = *service.store;
  http.Get("/tables", [&store](const httplib::Request& request, httplib::Response& response) {
    Send(request, response, TablesPage(store));
  });
  http.Get("/healthz", [&store](const httplib::Request& request, httplib::Response& response) {
    Send(request, response, Health(store));
  });
  http.Get("/metrics", [&service](const httplib::Request& request, httplib::Response& response) {
    Send(request, response, PlainAnswer(200, service.metrics->Text(), "text/plain; version=0.0.4"));
  });
  http.Get("/(.*)", [&service](const httplib::Request& request, httplib::Response& response) {
    if (RouteOf("", request.path) != "static") {
      Send(request, response, MethodNotAllowed(request));
    } else if (service.site) {
      Send(request, response, SiteFile(*service.site, request.path));
      // The page asks its own address for this mark to learn that the server
      // it came from keeps world tables; any other web server answers that
      // request too, only without the mark, so the page never asks for an
      // address that may not be there.
      response.set_header("X-Morvex2-World", "/api/v1");
    } else {
      Send(request, response, Refusal(404, "not-found", "This server has no page to serve."));
    }
  });
}

}  // namespace

void InstallRoutes(httplib::Server& http, Service& service) {
  Store& store = *service.store;
  http.set_pre_routing_handler(
      [&service](const httplib::Request& request, httplib::Response& response) {
        if (request.method != "POST") return httplib::Server::HandlerResponse::Unhandled;
        const int wait = service.rateLimit->SecondsToWait(request.remote_addr);
        if (wait == 0) return httplib::Server::HandlerResponse::Unhandled;
        Send(request, response,
             Refusal(429, "rate-limited", "Too many requests from this address; try again later.",
                     wait));
        return httplib::Server::HandlerResponse::Handled;
      });
  http.set_error_handler(httplib::Server::HandlerWithResponse(LibraryRefusal));
  http.set_logger([&service](const httplib::Request& request, const httplib::Response& response) {
    service.metrics->CountRequest(RouteOf("", request.path), response.status);
  });

  http.Post("/api/v1/tickets",
            [&store](const httplib::Request& request, httplib::Response& response) {
              const std::int64_t now = ServerNowMs();
              DropOldTickets(store, now);
              Send(request, response, IssueTicket(store, request.body, now));
            });
  // The stamps have no body, and a client may send them with no
  // Content-Length at all; one that sends a body anyway has it read and
  // dropped, so that the connection's next request starts where it should.
  http.Post("/api/v1/tickets/([^/]+)/start",
            [&store](const httplib::Request& request, httplib::Response& response,
                     const httplib::ContentReader& body) {
              DropBody(request, body);
              Send(request, response, StampStart(store, Match(request), ServerNowMs()));
            });
  http.Post("/api/v1/tickets/([^/]+)/end",
            [&store](const httplib::Request& request, httplib::Response& response,
                     const httplib::ContentReader& body) {
              DropBody(request, body);
              Send(request, response, StampEnd(store, Match(request), ServerNowMs()));
            });
  http.Post("/api/v1/tickets/([^/]+)/replay",
            [&service](const httplib::Request& request, httplib::Response& response) {
              const Answer answer = Submit(*service.store, *service.verifier, Match(request),
                                           request.body, ServerNowMs());
              service.metrics->CountSubmission(answer.code.empty() ? "accepted" : answer.code);
              if (answer.status == 201 && service.tables) service.tables->Forget();
              Send(request, response, answer);
            });
  http.Get("/api/v1/tables/([^/]+)",
           [&service](const httplib::Request& request, httplib::Response& response) {
             const std::string level(Match(request));
             const auto make = [&] { return TableAnswer(*service.store, level); };
             Send(request, response, service.tables ? service.tables->Get(level, make) : make());
           });
  http.Get("/api/v1/entries/([^/]+)/replay",
           [&store](const httplib::Request& request, httplib::Response& response) {
             Send(request, response, ReplayAnswer(store, Match(request)));
           });
  InstallSiteRoutes(http, service);
}

}  // namespace server
