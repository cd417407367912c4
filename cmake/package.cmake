# The Debian package: `cpack -G DEB` in a build configured for it (see
# scripts/package.sh). CPack packs exactly what `cmake --install` installs,
# so the package and an install by hand can never differ.
set(CPACK_PACKAGE_NAME morvex2)
set(CPACK_PACKAGE_VENDOR "The Morvex2 developers")
set(CPACK_PACKAGE_CONTACT "Morvex2 developers <morvex2@morvex2.org>")
# Each part of the installation is a package of its own: the game (morvex2)
# and, in a build with it, the world tables' server (morvex2-server), so that
# a player's package depends on none of the server's libraries. Each
# description's first line is its summary.
set(CPACK_DEB_COMPONENT_INSTALL ON)
# CPack puts the project's summary (project()'s DESCRIPTION) above each
# package's description unless the summary is CPack's own default; each
# package here says its own first line.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_COMPONENTS_ALL game)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME morvex2)
string(CONCAT CPACK_DEBIAN_GAME_DESCRIPTION
  "falling-piece puzzle game with pins and balloons\n"
  "A Japanese single-player falling-piece puzzle game. Bars of three pins,\n"
  "balloons and now and then a flask fall into a field of 8 by 11. A pin\n"
  "resting on a balloon of its own colour pops it, the pop throws the pins\n"
  "around it, and thrown pins pop further balloons or set off a flask.\n"
  "Three levels, high-score tables, music and sound, full screen and crisply\n"
  "scaled.")
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
# The tunes need a General MIDI soundfont.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "timgm6mb-soundfont | sound-font-gm")
# Opened by the game only when a feature needs them, so the binaries do not
# name them and they are not among the libraries found from them: libcurl for
# the world tables, FluidSynth for a tune or soundfont of the player's own.
# The game plays without either (a chosen server then answers nothing, such a
# tune stays silent, and the log says why), so they are recommended, which
# apt installs by default, rather than required.
set(CPACK_DEBIAN_GAME_PACKAGE_RECOMMENDS "libcurl4, libfluidsynth3")
if(MORVEX2_SERVER)
  list(APPEND CPACK_COMPONENTS_ALL server)
  set(CPACK_DEBIAN_SERVER_PACKAGE_NAME morvex2-server)
  string(CONCAT CPACK_DEBIAN_SERVER_DESCRIPTION
    "world high-score tables server for the game morvex2\n"
    "Keeps high-score tables shared by every player of morvex2, on Linux,\n"
    "Windows and in the browser. A result enters a table only after the\n"
    "server has played the game's replay back itself and found the score it\n"
    "claims, on the seed the server drew, in the time the server measured.\n"
    "It keeps its tables in SQLite, or in PostgreSQL for many processes, and\n"
    "comes with a systemd unit (not enabled by the package).")
  set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The packaging is the project's own: native packages, versioned as the game.
# Libraries come from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)
