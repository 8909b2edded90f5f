# Run by CPack on the .deb's staging tree: Debian keeps games in /usr/games,
# one level below the prefix like bin/, so the launcher finds its data the same way.
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(MAKE_DIRECTORY ${usr}/games)
file(RENAME ${usr}/bin/hollowmere ${usr}/games/hollowmere)
file(REMOVE_RECURSE ${usr}/bin)
# The same bytes from any build: modes whatever the umask, and every time the last commit's.
execute_process(COMMAND chmod -R u+rwX,go-w,go+rX ${CPACK_TEMPORARY_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
    COMMAND_ERROR_IS_FATAL ANY)
endif()
