// GET /healthz: whether the server can do its work now, which is to read the
// tables and to keep what it is given. A monitor, or the proxy in front of
// several servers, takes a server that cannot out of its turn.
#pragma once

#include "server/answer.h"
#include "server/store.h"

namespace server {

// 200 "ok" when the store reads and commits a write; otherwise 503 with the
// database's own words: damaged, or away (and a Retry-After).
Answer Health(Store& store);

}  // namespace server
