// GET /tables: the three world tables as one plain HTML page, readable with
// no script; each entry links to the browser game's page, which plays its
// replay (/?watch=ENTRY).
#pragma once

#include <string>
#include <string_view>

#include "server/answer.h"
#include "server/store.h"

namespace server {

Answer TablesPage(Store& store);

// Text with &, <, >, " and ' written as HTML's entities.
std::string EscapeHtml(std::string_view text);

}  // namespace server
