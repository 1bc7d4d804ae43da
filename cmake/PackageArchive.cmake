# Run by CPack on the finished Debian package. CPack gives the package's three members
# (debian-binary, control.tar.gz, data.tar.gz) the modes of the files it made them from, which
# the umask of the build decides; dpkg-deb gives them rw-r--r--, and so does this, in place.
# A member's header (ar format) is 60 bytes of text: its mode is 8 bytes at offset 40, its
# size 10 bytes at offset 48; the data that follows is padded to an even length.
set(mode_file ${CPACK_TOPLEVEL_DIRECTORY}/ar-member-mode)
file(WRITE ${mode_file} "100644  ")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE ${package} total)
  set(offset 8)  # after "!<arch>\n"
  while(offset LESS total)
    file(READ ${package} header OFFSET ${offset} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 size)
    string(STRIP "${size}" size)
    math(EXPR mode_at "${offset} + 40")
    execute_process(COMMAND dd of=${package} bs=1 seek=${mode_at} count=8 conv=notrunc status=none
      INPUT_FILE ${mode_file} COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR offset "${offset} + 60 + ${size} + ${size} % 2")
  endwhile()
endforeach()
