# The tests' PostgreSQL: one cluster for the whole test run, started before the
# first test that needs it and removed after the last (a CTest fixture), so
# `ctest -R NAME` of one such test starts and stops it too. It listens only on a
# socket in a folder of its own, named after the build tree, so two build trees
# (release, asan, another checkout) testing at once never meet. Tests make a
# database each on it; a test that stops or crashes PostgreSQL starts a cluster
# of its own (tests/server/postgres_database.h).
#
# A suite that needs it passes PROPERTIES ${MORVEX2_POSTGRES_TEST} to
# morvex2_add_test: the fixture, and MORVEX2_TEST_POSTGRES, the socket's folder.
string(MD5 morvex2_build_hash "${PROJECT_BINARY_DIR}")
string(SUBSTRING "${morvex2_build_hash}" 0 12 morvex2_build_hash)
set(morvex2_postgres_folder /tmp/morvex2-pg-${morvex2_build_hash})
add_test(NAME postgres_start
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/postgres.sh start ${morvex2_postgres_folder})
set_tests_properties(postgres_start PROPERTIES FIXTURES_SETUP postgres TIMEOUT 120)
add_test(NAME postgres_stop
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/postgres.sh stop ${morvex2_postgres_folder})
set_tests_properties(postgres_stop PROPERTIES FIXTURES_CLEANUP postgres TIMEOUT 120)
set(MORVEX2_POSTGRES_TEST FIXTURES_REQUIRED postgres
    ENVIRONMENT MORVEX2_TEST_POSTGRES=${morvex2_postgres_folder})
