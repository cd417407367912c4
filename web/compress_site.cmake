# Writes beside every file of SITE that compresses its gzip copy (FILE.gz)
# and, when BROTLI names the brotli program, its brotli copy (FILE.br), for a
# web server to send in the file's place to a browser that takes them
# (morvex2-server does; so does nginx with gzip_static and brotli_static).
# Copies of an older build are removed first. The game's late files (.late)
# are gzip already, and pictures and tunes are compressed by their formats.
#
#   cmake -DSITE=DIR [-DBROTLI=PROGRAM] -DSTAMP=FILE -P compress_site.cmake
find_program(GZIP_PROGRAM gzip REQUIRED)
file(GLOB_RECURSE old ${SITE}/*.gz ${SITE}/*.br)
if(old)
  file(REMOVE ${old})
endif()
file(GLOB_RECURSE files ${SITE}/*.html ${SITE}/*.js ${SITE}/*.wasm ${SITE}/*.data
     ${SITE}/*.json ${SITE}/*.webmanifest ${SITE}/*.css ${SITE}/*.svg)
foreach(file IN LISTS files)
  # -n: no name or time inside, so that a build gives the same bytes again.
  execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${file} COMMAND_ERROR_IS_FATAL ANY)
  if(BROTLI)
    execute_process(COMMAND ${BROTLI} -q 11 -k -f ${file} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
file(TOUCH ${STAMP})
