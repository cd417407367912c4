# Removes the files listed in an install manifest (cmake -DMANIFEST=... -P).
# Only those files: folders that other programs share are left, and the
# players' data folders were never installed, so they are never touched.
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} not found (install first).")
endif()
file(STRINGS "${MANIFEST}" installed)
foreach(file ${installed})
  set(path "$ENV{DESTDIR}${file}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  endif()
endforeach()

# The game's own folders (share/morvex2, share/doc/morvex2) go once empty.
foreach(file ${installed})
  get_filename_component(folder "$ENV{DESTDIR}${file}" DIRECTORY)
  get_filename_component(name "${folder}" NAME)
  if(name STREQUAL "morvex2" AND IS_DIRECTORY "${folder}")
    file(GLOB left "${folder}/*")
    if(NOT left)
      file(REMOVE_RECURSE "${folder}")
    endif()
  endif()
endforeach()
