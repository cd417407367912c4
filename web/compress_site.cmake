# Writes beside every file of SITE that compresses its gzip copy (FILE.gz)
# and, when BROTLI names the brotli program, its brotli copy (FILE.br), for a
# web server to send in the file's place to a browser that takes them
# (morvex2-server does; so does nginx with gzip_static and brotli_static).
# Copies of an older build are removed first. The late pictures (.bmp.late)
# are gzip already, and icons and tunes are compressed by their formats; the
# late glyphs are plain bitmaps, and shrink to half.
# When ZOPFLI names the zopfli program, it makes the gzip copies: the same
# format, which every browser unpacks as fast, 3.5 % smaller (the wasm 18 KB
# less, all of it bytes the first frame waits for on a slow link), for about
# ten seconds more of the build.
#
#   cmake -DSITE=DIR [-DBROTLI=PROGRAM] [-DZOPFLI=PROGRAM] -DSTAMP=FILE -P compress_site.cmake
find_program(GZIP_PROGRAM gzip REQUIRED)
file(GLOB_RECURSE old ${SITE}/*.gz ${SITE}/*.br)
if(old)
  file(REMOVE ${old})
endif()
file(GLOB_RECURSE files ${SITE}/*.html ${SITE}/*.js ${SITE}/*.wasm ${SITE}/*.data
     ${SITE}/*.json ${SITE}/*.webmanifest ${SITE}/*.css ${SITE}/*.svg ${SITE}/late/glyphs.late)
foreach(file IN LISTS files)
  if(ZOPFLI)
    # zopfli's header has no name and no time: a build gives the same bytes again.
    execute_process(COMMAND ${ZOPFLI} --i5 ${file} COMMAND_ERROR_IS_FATAL ANY)
  else()
    # -n: no name or time inside, so that a build gives the same bytes again.
    execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${file} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  if(BROTLI)
    execute_process(COMMAND ${BROTLI} -q 11 -k -f ${file} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
file(TOUCH ${STAMP})
