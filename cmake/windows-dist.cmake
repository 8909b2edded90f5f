# `dist_windows` makes hollowmere-<version>-windows.zip: one folder that a player
# unzips anywhere and starts by double-clicking hollowmere.exe.
set(HOLLOWMERE_DIST_ROOT ${CMAKE_BINARY_DIR}/dist)
set(HOLLOWMERE_DIST_DIR ${HOLLOWMERE_DIST_ROOT}/Hollowmere)
set(HOLLOWMERE_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/hollowmere-${PROJECT_VERSION}-windows.zip)

# The exe's Properties show the version; the linker leaves out its own timestamp so two builds match.
enable_language(RC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/hollowmere.rc.in hollowmere.rc @ONLY)
target_sources(hollowmere PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/hollowmere.rc)
if(MINGW)
  target_link_options(hollowmere_options INTERFACE -Wl,--no-insert-timestamp)
endif()

add_custom_target(dist_windows
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${HOLLOWMERE_DIST_ROOT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HOLLOWMERE_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:hollowmere> $<TARGET_FILE:SDL2::SDL2>
    $<TARGET_FILE:SDL2_image::SDL2_image> ${HOLLOWMERE_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/README-windows.txt
    ${HOLLOWMERE_DIST_DIR}/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${HOLLOWMERE_DIST_DIR}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/Images ${HOLLOWMERE_DIST_DIR}/Images
  COMMAND ${CMAKE_COMMAND} -E rm -f ${HOLLOWMERE_WINDOWS_ZIP}
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/zip-tree ${HOLLOWMERE_WINDOWS_ZIP} ${HOLLOWMERE_DIST_ROOT}
  DEPENDS hollowmere
  VERBATIM)
