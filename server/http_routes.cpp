#include "server/http_routes.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <regex>
#include <string_view>

#include "server/health.h"
#include "server/server_clock.h"
#include "server/server_log.h"
#include "server/site_files.h"
#include "server/submission.h"
#include "server/table_reads.h"
#include "server/tables_page.h"
#include "server/tickets.h"

namespace server {
namespace {

// What a route answers; `id` is the part of the path its pattern captured.
using Handler = std::function<Answer(Service&, const Request&, std::string_view id)>;

struct Route {
  const char* method;
  std::regex pattern;
  const char* name;
  Handler handler;
};

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

Answer Ticket(Service& service, const Request& request, std::string_view /*id*/) {
  const std::int64_t now = ServerNowMs();
  DropOldTickets(*service.store, now);
  OpenTickets* open = service.openTickets;
  if (open == nullptr) return IssueTicket(*service.store, request.body, now);
  if (auto full = open->Reserve(request.clientAddress, now)) return *full;
  server::Ticket given;
  Answer answer = IssueTicket(*service.store, request.body, now, &given);
  if (answer.status == 201) {
    open->Keep(request.clientAddress, given.id, given.expiresMs);
  } else {
    open->Release(request.clientAddress);
  }
  return answer;
}

// The stamps have no body, and a client may send them with no Content-Length
// at all; a body sent anyway is passed over.
Answer Start(Service& service, const Request& /*request*/, std::string_view id) {
  return StampStart(*service.store, id, ServerNowMs());
}

Answer End(Service& service, const Request& /*request*/, std::string_view id) {
  return StampEnd(*service.store, id, ServerNowMs());
}

Answer Progress(Service& service, const Request& request, std::string_view id) {
  return StampProgress(*service.store, id, request.body, ServerNowMs());
}

Answer Submitted(Service& service, const Request& request, std::string_view id) {
  Answer answer = Submit(*service.store, *service.verifier, id, request.body, ServerNowMs());
  service.metrics->CountSubmission(answer.code.empty() ? "accepted" : answer.code);
  if (answer.status == 201 && service.tables) service.tables->Forget();
  if (service.openTickets && (answer.status == 201 || answer.code == "ticket-used")) {
    service.openTickets->Closed(id);
  }
  return answer;
}

Answer Table(Service& service, const Request& /*request*/, std::string_view id) {
  const std::string level(id);
  const auto make = [&] { return TableAnswer(*service.store, level); };
  return service.tables ? service.tables->Get(level, make) : make();
}

Answer EntryReplay(Service& service, const Request& /*request*/, std::string_view id) {
  return ReplayAnswer(*service.store, id);
}

Answer Page(Service& service, const Request& /*request*/, std::string_view /*id*/) {
  return TablesPage(*service.store);
}

Answer Healthz(Service& service, const Request& /*request*/, std::string_view /*id*/) {
  return service.health ? service.health->Now() : Health(*service.store);
}

Answer MetricsText(Service& service, const Request& /*request*/, std::string_view /*id*/) {
  std::optional<std::size_t> open;
  if (service.openTickets) open = service.openTickets->Count(ServerNowMs());
  return PlainAnswer(200, service.metrics->Text(open), "text/plain; version=0.0.4");
}

const std::vector<Route>& ApiRoutes() {
  static const std::vector<Route> kRoutes = {
      {"POST", std::regex("/api/v1/tickets"), "/api/v1/tickets", Ticket},
      {"POST", std::regex("/api/v1/tickets/([^/]+)/start"), "/api/v1/tickets/{id}/start", Start},
      {"POST", std::regex("/api/v1/tickets/([^/]+)/end"), "/api/v1/tickets/{id}/end", End},
      {"POST", std::regex("/api/v1/tickets/([^/]+)/progress"), "/api/v1/tickets/{id}/progress",
       Progress},
      {"POST", std::regex("/api/v1/tickets/([^/]+)/replay"), "/api/v1/tickets/{id}/replay",
       Submitted},
      {"GET", std::regex("/api/v1/tables/([^/]+)"), "/api/v1/tables/{level}", Table},
      {"GET", std::regex("/api/v1/entries/([^/]+)/replay"), "/api/v1/entries/{id}/replay",
       EntryReplay},
      {"GET", std::regex("/tables"), "/tables", Page},
      {"GET", std::regex("/healthz"), "/healthz", Healthz},
      {"GET", std::regex("/metrics"), "/metrics", MetricsText},
  };
  return kRoutes;
}

// The route of `method` (HEAD reads as GET; empty: any) and `path`, with what
// its pattern captured; none when no route has the path.
const Route* Find(const std::string& method, const std::string& path, std::smatch* match) {
  const std::string& asked = method == "HEAD" ? std::string("GET") : method;
  for (const Route& route : ApiRoutes()) {
    if ((asked.empty() || asked == route.method) && std::regex_match(path, *match, route.pattern)) {
      return &route;
    }
  }
  return nullptr;
}

// Every answer is counted and carries what browsers are told; a refusal also
// gets its line in the log.
Answer Recorded(Service& service, const Request& request, Answer answer) {
  AddBrowserHeaders(service.browser, request, &answer);
  service.metrics->CountRequest(RouteOf("", request.path), answer.status);
  if (!answer.code.empty()) {
    const std::string route = RouteOf("", request.path);
    const std::string line =
        "refused " + request.method + " " + route + ": " + answer.code + ": " + answer.reason;
    if (service.refusals) {
      service.refusals->Note(request.clientAddress, route + " " + answer.code, line, ServerNowMs());
    } else {
      LogLine(line);
    }
  }
  return answer;
}

Answer MethodNotAllowed(const Request& request) {
  return Refusal(405, "method-not-allowed", "This address does not take " + request.method + ".");
}

// The page's files, for a GET of any path the API does not have.
Answer Static(Service& service, const Request& request) {
  if (!service.site) return Refusal(404, "not-found", "This server has no page to serve.");
  Answer answer = SiteFile(*service.site, request);
  // The page asks its own address for this mark to learn that the server
  // it came from keeps world tables; any other web server answers that
  // request too, only without the mark, so the page never asks for an
  // address that may not be there.
  answer.headers.emplace_back("X-Morvex2-World", "/api/v1");
  return answer;
}

Answer Routed(Service& service, const Request& request) {
  if (auto preflight = Preflight(service.browser, request)) return *preflight;
  std::smatch match;
  if (const Route* route = Find(request.method, request.path, &match)) {
    const std::string_view id =
        match.size() > 1 ? std::string_view(match[1].first, match[1].second) : std::string_view();
    return route->handler(service, request, id);
  }
  if (RouteOf("", request.path) != "static") return MethodNotAllowed(request);
  if (request.method == "GET" || request.method == "HEAD") return Static(service, request);
  return Refusal(404, "not-found", "There is nothing at this address.");
}

}  // namespace

std::string RouteOf(const std::string& method, const std::string& path) {
  std::smatch match;
  const Route* route = Find(method, path, &match);
  return route ? route->name : "static";
}

std::optional<Answer> Admit(Service& service, const Request& head) {
  if (auto foreign = RefuseForeignWrite(service.browser, head)) {
    return Recorded(service, head, *foreign);
  }
  if (head.method != "POST") return std::nullopt;
  const int wait = service.rateLimit->SecondsToWait(head.clientAddress);
  if (wait == 0) return std::nullopt;
  return Recorded(
      service, head,
      Refusal(429, "rate-limited", "Too many requests from this address; try again later.", wait));
}

Answer Respond(Service& service, const Request& request) {
  return Recorded(service, request, Routed(service, request));
}

Answer Unreadable(Service& service, const Request& head, int status) {
  struct Why {
    int status;
    const char* code;
    const char* reason;
  };
  static constexpr Why kWhys[] = {
      {411, "length-required", "A body needs its Content-Length."},
      {413, "too-large", "The request is larger than 1 MiB."},
      {414, "too-long", "The request line is longer than 8 KiB."},
      {431, "headers-too-large", "The headers are larger than 16 KiB or more than 64."},
      {503, "too-many-connections",
       "This address holds as many connections as it may; close one and try again."},
  };
  for (const Why& why : kWhys) {
    if (why.status == status) return Recorded(service, head, Refusal(status, why.code, why.reason));
  }
  return Recorded(service, head,
                  Refusal(400, "bad-request", "The request is not HTTP this server reads."));
}

bool TakesBody(const Request& head) {
  const std::string route = RouteOf(head.method, head.path);
  return route == "/api/v1/tickets" || route == "/api/v1/tickets/{id}/progress" ||
         route == "/api/v1/tickets/{id}/replay";
}

}  // namespace server
