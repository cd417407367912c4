# What `cmake --install` puts where, under any prefix (and DESTDIR): the game,
# the files it copies into each player's data folder, the menu entry and its
# icons, the software-centre description, the manual page and the documents.
# The player's own data folder is never part of it.
include(GNUInstallDirs)

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

install(TARGETS morvex2 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${morvex2_shipped_data} ${PROJECT_BINARY_DIR}/share/morvex2/tunes.soundfont
        DESTINATION ${CMAKE_INSTALL_DATADIR}/morvex2)
install(DIRECTORY ${PROJECT_BINARY_DIR}/share/morvex2/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/morvex2 FILES_MATCHING PATTERN "*.tune")
install(FILES data/${MORVEX2_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${MORVEX2_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES data/icons/morvex2-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${MORVEX2_APP_ID}.png)
endforeach()

# The manual page and the change log go compressed, as distributions keep
# them; -n leaves out the time, so the same sources give the same bytes.
foreach(doc morvex2.6 changelog)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${doc}.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/${doc} > ${PROJECT_BINARY_DIR}/${doc}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/data/${doc} VERBATIM)
endforeach()
add_custom_target(morvex2_docs ALL
  DEPENDS ${PROJECT_BINARY_DIR}/morvex2.6.gz ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/morvex2.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
# Debian and most distributions keep documents under the package name.
install(FILES README.md docs/FIDELITY.md data/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvex2)

# `cmake --build BUILD --target uninstall` removes exactly what the last
# install wrote, as listed in install_manifest.txt.
if(NOT TARGET uninstall)
  add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
            -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
    COMMENT "Removing the installed files of Morvex2")
endif()
