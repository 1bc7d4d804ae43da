# Writes precache.js in the site folder SITE for web/sw.js: every file of the site, as URLs
# relative to it (and "./", the index as a folder's address), and a version made from their
# names and contents, so that any change of any file makes a new version. Files added to the
# site by any step are listed without naming them here. Left out: the service worker and this
# list, and source maps (only a debugger asks for them).
#   cmake -DSITE=build/web/site -P cmake/WebPrecache.cmake
if(NOT IS_DIRECTORY "${SITE}")
  message(FATAL_ERROR "WebPrecache.cmake: SITE=${SITE} is not a folder")
endif()

file(GLOB_RECURSE files RELATIVE "${SITE}" "${SITE}/*")
list(FILTER files EXCLUDE REGEX "^(sw|precache)\\.js$|\\.map$")
list(SORT files)

set(digests "")
set(urls "    './',\n")
foreach(file IN LISTS files)
  file(SHA256 "${SITE}/${file}" digest)
  string(APPEND digests "${file} ${digest}\n")
  string(APPEND urls "    '${file}',\n")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 16 version)

set(text "// Written by the build (cmake/WebPrecache.cmake): the files web/sw.js stores.\n")
string(APPEND text "self.precache = {\n  version: '${version}',\n  files: [\n${urls}  ],\n};\n")

# Rewritten only when it changes, so that an unchanged site keeps its worker as it is.
set(old "")
if(EXISTS "${SITE}/precache.js")
  file(READ "${SITE}/precache.js" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${SITE}/precache.js" "${text}")
endif()
