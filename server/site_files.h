// The browser game's page served from one folder, so that one server is the
// whole site: only files inside that folder, never a path that climbs out of
// it (by "..", or by a link that leads outside).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "server/answer.h"

namespace server {

// The file at URL path `path` ("/" is index.html) under `site`, or a
// not-found refusal.
Answer SiteFile(const std::filesystem::path& site, std::string_view path);

// The MIME type a file of this name is served as.
std::string MimeTypeOf(const std::filesystem::path& file);

// Where an installed server finds the page: share/morvex2/web beside its
// bin/, when that folder is there.
std::optional<std::filesystem::path> InstalledSite();

}  // namespace server
