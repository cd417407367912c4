# Writes SITE/sw.js from TEMPLATE: @FILES@ becomes every other file of the
# site with its SHA-256 (the worker keeps a file only if it is this one),
# @BUILD@ a hash of all of them, which names the worker's cache.
#
#   cmake -DSITE=DIR -DTEMPLATE=FILE -P stamp_service_worker.cmake
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(hashes "")
set(listed "")
foreach(file IN LISTS files)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
  string(APPEND listed "'./${file}': '${hash}', ")
endforeach()
string(SHA256 build "${hashes}")
string(SUBSTRING ${build} 0 16 build)
file(READ ${TEMPLATE} worker)
string(REPLACE "@BUILD@" "${build}" worker "${worker}")
string(REPLACE "@FILES@" "${listed}" worker "${worker}")
file(WRITE ${SITE}/sw.js.new "${worker}")
file(RENAME ${SITE}/sw.js.new ${SITE}/sw.js)
