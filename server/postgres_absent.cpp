// A build without PostgreSQL's client library: --database says so.
#include "server/store.h"

namespace server {

std::unique_ptr<Store> OpenPostgresStore(const std::string& /*conninfo*/, std::string* error) {
  *error = "this server was built without PostgreSQL; use --data DIR";
  return nullptr;
}

}  // namespace server
