# Read by CPack before it stages a package's files (CPACK_PROJECT_CONFIG_FILE), so that every
# time stamp it makes, the archive members' and the one strip writes into a Windows program's
# header, is the newest changelog entry's date, as dpkg-buildpackage sets it: the same source
# makes the same package bytes whenever it is built. One SOURCE_DATE_EPOCH already set (by a
# distribution's builder, say) is kept. (The compressed documents carry no time stamp of their
# own: gzip -n; the linker writes none into the Windows programs.)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND ${CPACK_TAVRO_DPKG_PARSECHANGELOG} --file ${CPACK_TAVRO_CHANGELOG}
            --show-field Timestamp
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
