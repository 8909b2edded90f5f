# The installed tree, relocatable: bin/hollowmere is the launcher, the game
# itself sits in libexec/hollowmere/ and its pictures in share/hollowmere/Images/.
# `make package` wraps the same tree, under /usr, into a .deb.
set(HOLLOWMERE_DESKTOP ${CMAKE_CURRENT_LIST_DIR})
# Folders get the same modes whatever the umask of whoever installs or packages.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS hollowmere RUNTIME DESTINATION libexec/hollowmere)
install(PROGRAMS ${HOLLOWMERE_DESKTOP}/launcher.sh DESTINATION bin RENAME hollowmere)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Images DESTINATION share/hollowmere)
install(FILES ${HOLLOWMERE_DESKTOP}/hollowmere.desktop DESTINATION share/applications)
install(FILES ${HOLLOWMERE_DESKTOP}/hollowmere.png DESTINATION share/icons/hicolor/128x128/apps)
install(FILES ${HOLLOWMERE_DESKTOP}/copyright DESTINATION share/doc/hollowmere)

# The changelog's newest entry is headed with the project's version.
configure_file(${HOLLOWMERE_DESKTOP}/changelog changelog @ONLY)
# Debian wants the changelog and manual page compressed; -n leaves out names and times.
foreach(doc ${CMAKE_CURRENT_BINARY_DIR}/changelog ${HOLLOWMERE_DESKTOP}/hollowmere.6)
  get_filename_component(name ${doc} NAME)
  add_custom_command(OUTPUT ${name}.gz
    COMMAND gzip -9nc ${doc} > ${name}.gz
    DEPENDS ${doc})
endforeach()
add_custom_target(hollowmere_docs ALL DEPENDS changelog.gz hollowmere.6.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION share/doc/hollowmere)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/hollowmere.6.gz DESTINATION share/man/man6)

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hollowmere)
set(CPACK_PACKAGE_CONTACT "Hollowmere developers <hollowmere@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling walk through a parallax landscape")
set(CPACK_PACKAGE_DESCRIPTION
  "A traveller walks left and right across a wide landscape of five parallax\n\
layers while the sky turns from day to night. A small scene built on SDL2.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${HOLLOWMERE_DESKTOP}/deb_layout.cmake)
include(CPack)
