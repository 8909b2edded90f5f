# `dist_windows` makes hollowmere-windows.zip: one folder that a player unzips
# anywhere and starts by double-clicking hollowmere.exe.
set(HOLLOWMERE_DIST_ROOT ${CMAKE_BINARY_DIR}/dist)
set(HOLLOWMERE_DIST_DIR ${HOLLOWMERE_DIST_ROOT}/Hollowmere)
add_custom_target(dist_windows
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${HOLLOWMERE_DIST_ROOT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HOLLOWMERE_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:hollowmere> $<TARGET_FILE:SDL2::SDL2>
    $<TARGET_FILE:SDL2_image::SDL2_image> ${HOLLOWMERE_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/README-windows.txt
    ${HOLLOWMERE_DIST_DIR}/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${HOLLOWMERE_DIST_DIR}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/Images ${HOLLOWMERE_DIST_DIR}/Images
  COMMAND ${CMAKE_COMMAND} -E chdir ${HOLLOWMERE_DIST_ROOT}
    ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/hollowmere-windows.zip --format=zip Hollowmere
  DEPENDS hollowmere
  VERBATIM)
