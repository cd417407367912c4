// The game's one door to the network. The program installs a client (the
// system's, or a test's scripted one); the game sends requests through here
// and is called back with each answer on its own thread, from the message
// loop, never in the middle of another message: the loop posts WM_NETWORK
// when answers wait, and the window procedure hands them out.
#pragma once

#include <functional>

#include "platform/net/http.h"

namespace platform::net {

// The message the loop posts when answers wait (WM_APP + 0x4E).
constexpr unsigned kNetworkMessage = 0x8000 + 0x4E;

using Answer = std::function<void(const HttpResponse&)>;

// Not owned; null takes the network away (every request then fails at once,
// at the next delivery). Requests in flight at the change are forgotten.
void InstallHttpClient(HttpClient* client);

// Starts `request`; `answer` is called once, later, with its response.
RequestId SendRequest(HttpRequest request, Answer answer);

// Whether answers are waiting to be handed out (the loop posts a message then).
[[nodiscard]] bool AnswersWaiting();
// Calls back every answer that has arrived. False when there was none.
bool DeliverAnswers();
// How many requests have been sent and not yet answered.
[[nodiscard]] std::size_t RequestsInFlight();

}  // namespace platform::net
