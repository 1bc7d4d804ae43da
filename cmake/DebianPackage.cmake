# Run by CPack on the Debian package's staged files, just before it packs them: what Debian's
# own packaging tools would do there.

# The package's time stamps (of every file in it and of its archive members) are the newest
# changelog entry's date, as dpkg-buildpackage sets them, so that the same source makes the same
# package bytes wherever and whenever it is built. CPack takes them from SOURCE_DATE_EPOCH; one
# already set (by a distribution's builder, say) is kept. (The compressed documents carry no
# time stamp of their own: gzip -n.)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND ${CPACK_TAVRO_DPKG_PARSECHANGELOG} --file ${CPACK_TAVRO_CHANGELOG}
            --show-field Timestamp
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()

# A program's .comment section holds the compiler's name and version (from every object file
# linked, the C library's start files included) and nothing that it runs on; Debian strips it,
# and so does this package. CPack's own strip leaves it.
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
foreach(file IN LISTS staged)
  file(READ ${file} magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")  # an ELF file
    execute_process(COMMAND ${CPACK_TAVRO_OBJCOPY} --remove-section=.comment ${file}
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
