# cmake -DJS=hollowmere.js -DDATA=hollowmere.data -P web-package-id.cmake: the packager names the pictures'
# package with a random id, which only a page caching it in IndexedDB reads (this one does not); the data's
# hash names it instead, so that two builds of the same pictures write the same bytes.
file(SHA256 ${DATA} id)
file(READ ${JS} js)
string(REGEX REPLACE "\"package_uuid\":\"[^\"]*\"" "\"package_uuid\":\"${id}\"" js "${js}")
file(WRITE ${JS} "${js}")
