# Run by CPack on a package's staged files, just before it packs them: what Debian's own
# packaging tools would do there, so that the same source makes the same package bytes
# under whatever umask it is built. (cmake/PackageTime.cmake has set the time stamps.)

# Modes as a package wants them, not as the umask left them: folders and programs rwxr-xr-x,
# everything else rw-r--r--. CPack copies the staged modes into the archive as they are.
set(public_read OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(public_run ${public_read} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
file(GLOB_RECURSE staged LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
file(CHMOD ${CPACK_TEMPORARY_DIRECTORY} PERMISSIONS ${public_run})
foreach(path IN LISTS staged)
  if(IS_DIRECTORY ${path} AND NOT IS_SYMLINK ${path})
    file(CHMOD ${path} PERMISSIONS ${public_run})
    continue()
  endif()
  file(READ ${path} magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46" OR magic MATCHES "^4d5a")  # an ELF file, a Windows program
    file(CHMOD ${path} PERMISSIONS ${public_run})
  else()
    file(CHMOD ${path} PERMISSIONS ${public_read})
  endif()
  # A program's .comment section holds the compiler's name and version (from every object
  # file linked, the C library's start files included) and nothing that it runs on; Debian
  # strips it, and so does this package. CPack's own strip leaves it.
  if(magic STREQUAL "7f454c46" AND CPACK_TAVRO_OBJCOPY)
    execute_process(COMMAND ${CPACK_TAVRO_OBJCOPY} --remove-section=.comment ${path}
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
