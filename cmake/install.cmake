# What `cmake --install` puts where, under any prefix (and DESTDIR): the game,
# the files it copies into each player's data folder, the menu entry and its
# icons, the software-centre description, the manual page and the documents.
# On Windows, the folder a player unpacks or installs (below). The player's
# own data folder is never part of it.
include(GNUInstallDirs)
# What follows is the game's part of the installation; the world tables'
# server installs a part of its own (server/CMakeLists.txt).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME game)

set(MORVEX2_APP_ID org.morvex2.morvex2)
include(${PROJECT_SOURCE_DIR}/cmake/shipped_data.cmake)

# A build tree carries the same files beside its executable, so that a built
# but not installed game sets up its data folder just as an installed one.
foreach(file ${morvex2_shipped_data})
  get_filename_component(name ${file} NAME)
  configure_file(${file} ${PROJECT_BINARY_DIR}/share/morvex2/${name} COPYONLY)
endforeach()

# The tunes' renderings are made there too (tools/CMakeLists.txt), before the
# game, which plays them from where they are: they are never copied into a
# player's data folder.
add_dependencies(morvex2 morvex2_tune_renderings)

if(WIN32)
  # One folder, as Windows programs are kept: the program and any DLLs it
  # links at the top, the data files in share\morvex2 beside it, where the
  # program finds them as in a build tree (scripts/package.sh windows packs
  # this folder).
  set(morvex2_bindir .)
  set(morvex2_datadir share/morvex2)
else()
  set(morvex2_bindir ${CMAKE_INSTALL_BINDIR})
  set(morvex2_datadir ${CMAKE_INSTALL_DATADIR}/morvex2)
endif()
install(TARGETS morvex2 RUNTIME DESTINATION ${morvex2_bindir})
install(FILES ${morvex2_shipped_data} ${PROJECT_BINARY_DIR}/share/morvex2/tunes.soundfont
        DESTINATION ${morvex2_datadir})
install(DIRECTORY ${PROJECT_BINARY_DIR}/share/morvex2/
        DESTINATION ${morvex2_datadir} FILES_MATCHING PATTERN "*.tune")

if(WIN32)
  # The README and the licence as Windows text. The program carries its own
  # icon, and the installer makes the Start-menu entry.
  install(FILES $<TARGET_RUNTIME_DLLS:morvex2> DESTINATION .)
  configure_file(data/windows/README.txt ${PROJECT_BINARY_DIR}/windows/README.txt
                 @ONLY NEWLINE_STYLE CRLF)
  configure_file(data/copyright ${PROJECT_BINARY_DIR}/windows/LICENCE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/windows/README.txt ${PROJECT_BINARY_DIR}/windows/LICENCE.txt
          DESTINATION .)
else()
  install(FILES data/${MORVEX2_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/${MORVEX2_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 48 64 128 256)
    install(FILES data/icons/morvex2-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${MORVEX2_APP_ID}.png)
  endforeach()

  # The manual page and the change log go compressed, as distributions keep
  # them; -n leaves out the time, so the same sources give the same bytes.
  set(morvex2_docs morvex2.6 changelog)
  if(MORVEX2_SERVER)
    list(APPEND morvex2_docs morvex2-server.8)
  endif()
  set(morvex2_docs_made)
  foreach(doc ${morvex2_docs})
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${doc}.gz
      COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/${doc} > ${PROJECT_BINARY_DIR}/${doc}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/data/${doc} VERBATIM)
    list(APPEND morvex2_docs_made ${PROJECT_BINARY_DIR}/${doc}.gz)
  endforeach()
  add_custom_target(morvex2_docs ALL DEPENDS ${morvex2_docs_made})
  install(FILES ${PROJECT_BINARY_DIR}/morvex2.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  # Debian and most distributions keep documents under the package name.
  install(FILES README.md docs/FIDELITY.md data/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvex2)
  # The server's manual page and documents go with its part.
  if(MORVEX2_SERVER)
    install(FILES ${PROJECT_BINARY_DIR}/morvex2-server.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8
            COMPONENT server)
    install(FILES data/copyright ${PROJECT_BINARY_DIR}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvex2-server COMPONENT server)
  endif()
endif()

# `cmake --build BUILD --target uninstall` removes exactly what the last
# install wrote, as listed in install_manifest.txt.
if(NOT TARGET uninstall)
  add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
            -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
    COMMENT "Removing the installed files of Morvex2")
endif()
