// What makes a file the game has written and flushed (File::Sync) outlast the
// program. On a desktop the flush itself has put it on the disk. In the
// browser the data folder lives in the page's memory and is copied to the
// browser's persistent storage (IndexedDB) after each flush, so that a reload
// or a closed tab loses no score, name or replay; the page says when a copy
// fails.
#pragma once

namespace platform {

void KeepFlushedFiles();

}  // namespace platform
