# Puts the page's tunes where the page takes them from: the soundfont's
# identity into the preloaded data (SHARE), every rendering into the site's
# own folder (SITE_TUNES), emptied first so that no rendering of an older tune
# is published or kept offline. The renderings are readable by everyone, as
# the web server that publishes them may run as another user.
#
#   cmake -DFROM=DIR -DSHARE=DIR -DSITE_TUNES=DIR -P place_tunes.cmake
file(GLOB renderings ${FROM}/*.tune)
if(NOT renderings)
  message(FATAL_ERROR "no renderings in ${FROM}")
endif()
file(GLOB preloaded ${SHARE}/*.tune)
if(preloaded)
  file(REMOVE ${preloaded})
endif()
file(REMOVE_RECURSE ${SITE_TUNES})
file(COPY ${renderings} DESTINATION ${SITE_TUNES}
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(COPY ${FROM}/tunes.soundfont DESTINATION ${SHARE})
# A new time, so that the build sees the step done.
file(TOUCH ${SHARE}/tunes.soundfont)
