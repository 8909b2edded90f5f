# The web build: site/ holds index.html and the files it loads, ready for any static host.
set(HOLLOWMERE_SITE ${CMAKE_BINARY_DIR}/site)
set_target_properties(hollowmere PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HOLLOWMERE_SITE})

# The pictures, recompressed without a pixel or a stored format changed, to download less:
# optipng picks each row's filter, advpng deflates the rows harder.
file(GLOB_RECURSE HOLLOWMERE_PICTURES RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/Images/*.png)
list(TRANSFORM HOLLOWMERE_PICTURES PREPEND ${CMAKE_BINARY_DIR}/ OUTPUT_VARIABLE HOLLOWMERE_PACKED)
list(TRANSFORM HOLLOWMERE_PICTURES PREPEND ${PROJECT_SOURCE_DIR}/)
add_custom_command(OUTPUT ${HOLLOWMERE_PACKED}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/Images ${CMAKE_BINARY_DIR}/Images
  COMMAND optipng -quiet -o2 -nb -nc -np -strip all ${HOLLOWMERE_PACKED}
  COMMAND advpng --recompress -4 --quiet ${HOLLOWMERE_PACKED}
  DEPENDS ${HOLLOWMERE_PICTURES})
add_custom_target(hollowmere_pictures DEPENDS ${HOLLOWMERE_PACKED})
add_dependencies(hollowmere hollowmere_pictures)

# WebAssembly SIMD, as SDL is built (`scripts/cross-deps web simd`): the frame's copies take four pixels at a time.
target_compile_options(hollowmere_options INTERFACE -msimd128)
target_link_options(hollowmere_options INTERFACE -msimd128)

# Packed beside the code, the pictures appear at the game's relative Images/ paths.
target_link_options(hollowmere PRIVATE
  "SHELL:--preload-file ${CMAKE_BINARY_DIR}/Images@Images"
  "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/web/start.js"
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web,worker)
# Emscripten's small allocator: the game allocates at start-up and seldom after, and the page keeps within
# its 360 KB gzipped (dlmalloc costs about 3 KB more).
target_link_options(hollowmere PRIVATE -sMALLOC=emmalloc)
# Before the page calls main, a worker running the same module decodes the pictures and reads their shapes,
# the page takes each into its heap, and the game's loads and measures take them done (measureShape by its
# C++ name).
target_sources(hollowmere PRIVATE web/predecode.cpp)
target_link_options(hollowmere PRIVATE -Wl,--wrap=SDL_RWFromFile -Wl,--wrap=IMG_LoadTyped_RW
  -Wl,--wrap=_Z12measureShapePK11SDL_SurfaceR10LayerShape
  -sEXPORTED_RUNTIME_METHODS=callMain -sEXPORTED_FUNCTIONS=_main,_malloc,_free)
set_property(TARGET hollowmere APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/web/start.js ${HOLLOWMERE_PACKED})
add_custom_command(TARGET hollowmere POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DJS=${HOLLOWMERE_SITE}/hollowmere.js -DDATA=${HOLLOWMERE_SITE}/hollowmere.data
    -P ${PROJECT_SOURCE_DIR}/cmake/web-package-id.cmake)
