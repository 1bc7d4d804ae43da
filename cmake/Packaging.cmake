# What `cmake --install` puts beside the two programs, and the release packages made from it
# by CPack. TAVRO_PACKAGE picks the package: DEB (the Debian package, built on Debian) or ZIP
# (the Windows archive, cross-built); empty for a plain build.

set(TAVRO_PACKAGE "" CACHE STRING "Release package to prepare: DEB, ZIP or empty")
set_property(CACHE TAVRO_PACKAGE PROPERTY STRINGS "" DEB ZIP)
if(NOT TAVRO_PACKAGE MATCHES "^(|DEB|ZIP)$")
  message(FATAL_ERROR "TAVRO_PACKAGE is '${TAVRO_PACKAGE}'; it takes DEB, ZIP or nothing")
endif()

set(TAVRO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TAVRO_MANUAL_PAGES
  ${PROJECT_SOURCE_DIR}/man/tavro.6
  ${PROJECT_SOURCE_DIR}/man/tavro-2dgame.6)

# Compresses each of FILES into the build tree as Debian wants it: best compression, and no
# name or time stamp in the header, so that the same source gives the same bytes. The paths of
# the compressed copies are returned in OUT_VAR.
function(tavro_gzip_files out_var)
  find_program(TAVRO_GZIP gzip REQUIRED)
  set(outputs)
  foreach(source IN LISTS ARGN)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
    add_custom_command(
      OUTPUT ${copy}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
      COMMAND ${TAVRO_GZIP} -9nf ${copy}
      DEPENDS ${source}
      VERBATIM)
    list(APPEND outputs ${copy}.gz)
  endforeach()
  set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()

# The changelog's newest entry and the manual pages' headers name the version being released;
# a release that forgets one of them would ship documents that contradict their own package.
function(tavro_check_release_version)
  file(STRINGS ${TAVRO_PACKAGING_DIR}/debian/changelog newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "^tavro \\(([^)]+)\\) " OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/debian/changelog: the newest entry is not version "
      "${PROJECT_VERSION}, the project's: ${newest}")
  endif()
  foreach(page IN LISTS TAVRO_MANUAL_PAGES)
    file(STRINGS ${page} header REGEX "^\\.TH ")
    if(NOT header MATCHES "\"tavro ${PROJECT_VERSION}\"")
      message(FATAL_ERROR "${page}: the header names no \"tavro ${PROJECT_VERSION}\": ${header}")
    endif()
  endforeach()
endfunction()

# Debian's own compiler and linker flags, with every hardening feature. They go in front of
# the build type's flags, so the optimisation level stays the Release one; the debugging
# information they add is stripped when the package is made.
function(tavro_use_debian_build_flags)
  find_program(TAVRO_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${TAVRO_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE ${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  set(CMAKE_CXX_FLAGS "${CPPFLAGS} ${CXXFLAGS} ${CMAKE_CXX_FLAGS}" PARENT_SCOPE)
  set(CMAKE_EXE_LINKER_FLAGS "${LDFLAGS} ${CMAKE_EXE_LINKER_FLAGS}" PARENT_SCOPE)
endfunction()

# Manual pages: plain on every platform but Windows, compressed in the Debian package.
if(NOT WIN32 AND NOT TAVRO_PACKAGE STREQUAL "DEB")
  install(FILES ${TAVRO_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()

set(CPACK_PACKAGE_NAME tavro)
set(CPACK_PACKAGE_VENDOR "tavro developers")
set(CPACK_PACKAGE_CONTACT "tavro developers <maintainers@users.noreply.c-seed-16c1e34d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two small Japanese-language console minefield games")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(TAVRO_PACKAGE STREQUAL "DEB")
  # Without these two CPack still makes the package, silently without its Depends line.
  find_program(TAVRO_DPKG_SHLIBDEPS dpkg-shlibdeps REQUIRED)
  find_program(TAVRO_FILE file REQUIRED)
  find_program(CMAKE_OBJCOPY objcopy REQUIRED)
  tavro_use_debian_build_flags()
  tavro_check_release_version()
  tavro_gzip_files(manual_pages ${TAVRO_MANUAL_PAGES})
  tavro_gzip_files(changelog ${TAVRO_PACKAGING_DIR}/debian/changelog)
  add_custom_target(compressed_documents ALL DEPENDS ${manual_pages} ${changelog})
  install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${TAVRO_PACKAGING_DIR}/debian/copyright ${changelog}
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The one lintian tag the package keeps, with its reason.
  install(FILES ${TAVRO_PACKAGING_DIR}/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME tavro)

  # No .comment sections in the programs (see cmake/PackageStaging.cmake).
  set(CPACK_TAVRO_OBJCOPY ${CMAKE_OBJCOPY})
  # The package's members with fixed modes, whatever the umask.
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageArchive.cmake)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION [=[
Two games for a text terminal that play the same minefield game in Japanese,
with some English: steer a marker over a map with hidden mines, one typed line
per move, and win by walking off the edge of the map without stepping on any
of the mines.
Each game has a title screen with a menu, a settings menu (map size, a debug
mode that shows the mines, the four movement keys) and a bonus of two short
branching text scripts that opens after the first win.

tavro greets the player at start-up and waits for single key presses after a
game; tavro-2dgame adds a difficulty setting and reads every answer as a whole
line. Both print UTF-8 and can be scripted through a pipe.
]=])
elseif(TAVRO_PACKAGE STREQUAL "ZIP")
  # The archive is one folder named as the archive is: the two programs and a short text for
  # Windows users, which ends with the licence, as the licence asks of every copy.
  # (configure_file ends the template's lines with CR LF, not those inside the licence.)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE TAVRO_LICENSE_TEXT)
  string(STRIP "${TAVRO_LICENSE_TEXT}" TAVRO_LICENSE_TEXT)
  string(REPLACE "\n" "\r\n" TAVRO_LICENSE_TEXT "${TAVRO_LICENSE_TEXT}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
  configure_file(${TAVRO_PACKAGING_DIR}/windows/README.txt.in
    ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE CRLF)
  # The notices of the MinGW-w64 runtime that both programs carry inside them.
  configure_file(${TAVRO_PACKAGING_DIR}/windows/THIRD-PARTY-NOTICES.txt
    ${CMAKE_BINARY_DIR}/packaging/THIRD-PARTY-NOTICES.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt
    ${CMAKE_BINARY_DIR}/packaging/THIRD-PARTY-NOTICES.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()

if(TAVRO_PACKAGE)
  # Either package is made reproducible: time stamps from the changelog
  # (cmake/PackageTime.cmake), fixed modes on the staged files (cmake/PackageStaging.cmake).
  find_program(TAVRO_DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageTime.cmake)
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageStaging.cmake)
  set(CPACK_TAVRO_CHANGELOG ${TAVRO_PACKAGING_DIR}/debian/changelog)
  set(CPACK_TAVRO_DPKG_PARSECHANGELOG ${TAVRO_DPKG_PARSECHANGELOG})
endif()

include(CPack)
