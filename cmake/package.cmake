# The Debian package: `cpack -G DEB` in a build configured for it (see
# scripts/package.sh). CPack packs exactly what `cmake --install` installs,
# so the package and an install by hand can never differ.
set(CPACK_PACKAGE_NAME morvex2)
set(CPACK_PACKAGE_VENDOR "The Morvex2 developers")
set(CPACK_PACKAGE_CONTACT "Morvex2 developers <morvex2@morvex2.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-piece puzzle game with pins and balloons")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "A Japanese single-player falling-piece puzzle game. Bars of three pins,\n"
  "balloons and now and then a flask fall into a field of 8 by 11. A pin\n"
  "resting on a balloon of its own colour pops it, the pop throws the pins\n"
  "around it, and thrown pins pop further balloons or set off a flask.\n"
  "Three levels, high-score tables, music and sound, full screen and crisply\n"
  "scaled.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The packaging is the project's own: a native package, versioned as the game.
# Libraries come from the binary; the tunes need a General MIDI soundfont.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | sound-font-gm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)
