# Run by CPack on the .deb's staging tree: Debian keeps games in /usr/games,
# one level below the prefix like bin/, so the launcher finds its data the same way.
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(MAKE_DIRECTORY ${usr}/games)
file(RENAME ${usr}/bin/hollowmere ${usr}/games/hollowmere)
file(REMOVE_RECURSE ${usr}/bin)
