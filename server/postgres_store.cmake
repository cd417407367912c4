# The PostgreSQL store, on libpq (Debian's libpq-dev): the database that many
# server processes share.
pkg_check_modules(MORVEX2_LIBPQ REQUIRED IMPORTED_TARGET libpq)
target_sources(morvex2_server PRIVATE
  postgres_connection.cpp
  postgres_schema.cpp
  postgres_store.cpp
)
target_link_libraries(morvex2_server PUBLIC PkgConfig::MORVEX2_LIBPQ)
