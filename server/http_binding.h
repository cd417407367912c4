// The routes (http_routes.h) put on the HTTP library's server.
#pragma once

#include <httplib.h>

#include "server/http_routes.h"

namespace server {

void BindRoutes(httplib::Server& http, Service& service);

}  // namespace server
