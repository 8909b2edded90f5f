# The web build: site/ holds index.html and the files it loads, ready for any static host.
set(HOLLOWMERE_SITE ${CMAKE_BINARY_DIR}/site)
set_target_properties(hollowmere PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HOLLOWMERE_SITE})
# The pictures are packed beside the code and appear at the game's relative Images/ paths.
target_link_options(hollowmere PRIVATE
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/Images@Images"
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web)
set_property(TARGET hollowmere APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/web/index.html)
add_custom_command(TARGET hollowmere POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/web/index.html ${HOLLOWMERE_SITE}/index.html)
