// The browser game's page served from one folder, so that one server is the
// whole site: only files inside that folder, never a path that climbs out of
// it (by "..", or by a link that leads outside). Served as a web server
// serves a site: the copies the build compressed beside each file (FILE.br,
// FILE.gz) to a browser that takes them, a validator (ETag) that answers a
// browser's copy still good with 304, and how long a copy may be kept.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "server/answer.h"
#include "server/request.h"

namespace server {

// The file at the request's path ("/" is index.html) under `site`, or a
// not-found refusal.
Answer SiteFile(const std::filesystem::path& site, const Request& request);

// How long a browser may keep a file of this name: a name that carries its
// content's hash never changes content, so for a year; any other is asked
// after again each time (answered 304 while it has not changed).
std::string CacheControlOf(const std::filesystem::path& file);

// The MIME type a file of this name is served as.
std::string MimeTypeOf(const std::filesystem::path& file);

// Where an installed server finds the page: share/morvex2/web beside its
// bin/, when that folder is there.
std::optional<std::filesystem::path> InstalledSite();

}  // namespace server
