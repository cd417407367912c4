#include "platform/net/network.h"

#include <map>

#include "platform/net/beside.h"

namespace platform::net {

namespace {

struct Network {
  HttpClient* client = nullptr;
  RequestId nextId = 1;
  std::map<RequestId, Answer> waiting;
  std::vector<std::pair<RequestId, HttpResponse>> arrived;
};

Network& State() {
  static Network network;
  return network;
}

void Collect() {
  Network& network = State();
  if (network.client == nullptr) {
    // Without a client nothing will ever answer: every request fails now.
    for (const auto& [id, answer] : network.waiting) {
      HttpResponse failed;
      failed.error = "no network";
      network.arrived.emplace_back(id, std::move(failed));
    }
    return;
  }
  for (auto& finished : network.client->TakeFinished()) {
    network.arrived.push_back(std::move(finished));
  }
}

}  // namespace

void InstallHttpClient(HttpClient* client) {
  Network& network = State();
  network.client = client;
  network.waiting.clear();
  network.arrived.clear();
}

RequestId SendRequest(HttpRequest request, Answer answer) {
  Network& network = State();
  const RequestId id = network.nextId++;
  network.waiting.emplace(id, std::move(answer));
  if (network.client != nullptr) network.client->Start(id, std::move(request));
  return id;
}

bool AnswersWaiting() {
  if (BesideWorkWaiting()) return true;
  if (State().waiting.empty()) return false;
  Collect();
  return !State().arrived.empty();
}

bool DeliverAnswers() {
  // Work done beside the game first: what it hands back may be what an
  // answer below is about (a kept result written before its verdict came).
  bool any = DeliverBesideWork();
  Collect();
  Network& network = State();
  // An answer may send further requests and so reach the list: take it first.
  std::vector<std::pair<RequestId, HttpResponse>> arrived;
  arrived.swap(network.arrived);
  for (const auto& [id, response] : arrived) {
    const auto found = network.waiting.find(id);
    if (found == network.waiting.end()) continue;
    Answer answer = std::move(found->second);
    network.waiting.erase(found);
    any = true;
    if (answer) answer(response);
  }
  return any;
}

std::size_t RequestsInFlight() {
  return State().waiting.size();
}

}  // namespace platform::net
