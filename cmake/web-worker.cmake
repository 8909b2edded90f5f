# cmake -DSITE=... -DWORKER=web/sw.js -P web-worker.cmake: writes SITE/sw.js with the site's files and a
# version made from their contents, so that a new build replaces what the browser kept of the old one.
file(GLOB files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(hashes "")
foreach(file ${files})
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
endforeach()
string(REPLACE ";" " " FILES "${files}")
string(SHA256 VERSION "${hashes}")
string(SUBSTRING ${VERSION} 0 16 VERSION)
configure_file(${WORKER} ${SITE}/sw.js @ONLY)
