// What makes a file or folder the game has written outlast the program: its
// flush. On a desktop that is the system's flush to the disk. In the browser
// the data folder lives in the page's memory and is copied to the browser's
// persistent storage (IndexedDB) soon after each flush, once the game hands
// the page back to the browser, so that a reload or a closed tab loses no
// score, name or replay; the page says when a copy fails.
#pragma once

namespace platform {

// `handle` is an open file or folder of files_posix.cpp; false when the flush failed.
[[nodiscard]] bool FlushToStorage(int handle);

}  // namespace platform
