# Run by CPack on the staged files before it makes the Debian package:
# Debian keeps games' commands in /usr/games. The launcher finds the rest of
# the game from where it stands, and /usr/games lies as deep as /usr/bin.
file(GLOB staged_roots "${CPACK_TEMPORARY_DIRECTORY}" "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(staged IN LISTS staged_roots)
  if(EXISTS "${staged}/usr/bin/vorlune")
    file(MAKE_DIRECTORY "${staged}/usr/games")
    file(RENAME "${staged}/usr/bin/vorlune" "${staged}/usr/games/vorlune")
    file(REMOVE_RECURSE "${staged}/usr/bin")
  endif()
endforeach()
