# The page around the game: its script and the worker that decodes the pictures, its style, the manifest and
# icons that make it installable, and the worker that keeps the whole site for play without the network.
set(HOLLOWMERE_PAGE)
foreach(file page.js decoder.js page.css manifest.json)
  add_custom_command(OUTPUT ${HOLLOWMERE_SITE}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/web/${file} ${HOLLOWMERE_SITE}/${file}
    DEPENDS ${PROJECT_SOURCE_DIR}/web/${file})
  list(APPEND HOLLOWMERE_PAGE ${HOLLOWMERE_SITE}/${file})
endforeach()

# The page shows the version, small, for a player reporting a problem.
configure_file(${PROJECT_SOURCE_DIR}/web/index.html ${HOLLOWMERE_SITE}/index.html @ONLY)
list(APPEND HOLLOWMERE_PAGE ${HOLLOWMERE_SITE}/index.html)

# The game's own icon at the sizes browsers ask for: 192 and 512 are whole multiples of its 16 drawn pixels.
foreach(size 192 512)
  set(icon ${HOLLOWMERE_SITE}/icon-${size}.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND convert ${PROJECT_SOURCE_DIR}/desktop/hollowmere.png -filter point -resize ${size}x${size} ${icon}
    COMMAND optipng -quiet -o2 -strip all ${icon}
    DEPENDS ${PROJECT_SOURCE_DIR}/desktop/hollowmere.png)
  list(APPEND HOLLOWMERE_PAGE ${icon})
endforeach()

# The worker comes last, since its version is made from every other file of the site.
add_custom_command(OUTPUT ${HOLLOWMERE_SITE}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSITE=${HOLLOWMERE_SITE} -DWORKER=${PROJECT_SOURCE_DIR}/web/sw.js
    -P ${PROJECT_SOURCE_DIR}/cmake/web-worker.cmake
  DEPENDS hollowmere ${HOLLOWMERE_PAGE} ${PROJECT_SOURCE_DIR}/web/sw.js ${PROJECT_SOURCE_DIR}/cmake/web-worker.cmake)
add_custom_target(hollowmere_page ALL DEPENDS ${HOLLOWMERE_SITE}/sw.js)

# build-web/hollowmere-<version>-web.zip: the site with index.html at its root, as game hosts take HTML5
# uploads, and the licence.
set(HOLLOWMERE_WEB_DIST ${CMAKE_BINARY_DIR}/dist)
set(HOLLOWMERE_WEB_ZIP ${CMAKE_BINARY_DIR}/hollowmere-${PROJECT_VERSION}-web.zip)
add_custom_target(dist_web
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${HOLLOWMERE_WEB_DIST}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${HOLLOWMERE_SITE} ${HOLLOWMERE_WEB_DIST}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${HOLLOWMERE_WEB_DIST}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${HOLLOWMERE_WEB_ZIP}
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/zip-tree ${HOLLOWMERE_WEB_ZIP} ${HOLLOWMERE_WEB_DIST}
  DEPENDS hollowmere_page
  VERBATIM)
