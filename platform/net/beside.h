// Work that would hold the game up if it ran on the game's thread: the file
// of kept world results read, pruned and rewritten, a server's answer read.
// It is done beside the game, one piece after another in the order given, and
// what comes of it is handed back on the game's thread between two messages,
// with the network's answers (network.h), so the game's state still changes
// only there.
#pragma once

#include <cstddef>
#include <functional>

namespace platform::net {

using Work = std::function<void()>;

// `work` runs beside the game, after all the work given before it; `then`
// (may be empty) runs afterwards on the game's thread, when answers are next
// handed out. `work` must touch nothing of the game's: it reads what it was
// given and leaves what it made where `then` finds it.
void RunBeside(Work work, Work then);

// A thread of the program's own does the work from now on. Without it (the
// tests, and a page, which has one thread) the work is done as answers are
// handed out, before the `then`s, still between two messages.
void StartWorkerThread();
// Waits for the work given so far to be done and ends the thread; the `then`s
// not yet handed out are dropped, as the game that would read them is gone.
void StopWorkerThread();

// For network.cpp: whether `then`s (or, without a thread, work) wait, and
// handing them out. False when nothing was.
[[nodiscard]] bool BesideWorkWaiting();
bool DeliverBesideWork();
// Work given and not yet handed back.
[[nodiscard]] std::size_t BesideWorkInFlight();

}  // namespace platform::net
