# Writes a third-party notices file: for each piece of others' work that ships, its name and
# its licence, copied from the licence file that came with it.
#   cmake -P ThirdPartyNotices.cmake OUTPUT NAME LICENCE_FILE [NAME LICENCE_FILE]...

math(EXPR last "${CMAKE_ARGC} - 1")
set(first -1)
foreach(i RANGE ${last})
  if(CMAKE_ARGV${i} STREQUAL "-P")
    math(EXPR first "${i} + 2")
  endif()
endforeach()
math(EXPR count "${CMAKE_ARGC} - ${first}")
math(EXPR pairs "${count} % 2")
if(first LESS 0 OR count LESS 3 OR NOT pairs EQUAL 1)
  message(FATAL_ERROR "usage: cmake -P ThirdPartyNotices.cmake OUTPUT NAME LICENCE_FILE...")
endif()

set(output ${CMAKE_ARGV${first}})
string(CONCAT text "Third-party notices\n===================\n\n"
  "This site is tavro's (MIT License). It also ships the following works of others, each\n"
  "under its own licence, given here in full.\n")
math(EXPR start "${first} + 1")
foreach(i RANGE ${start} ${last} 2)
  math(EXPR j "${i} + 1")
  set(name ${CMAKE_ARGV${i}})
  file(READ ${CMAKE_ARGV${j}} licence)
  string(STRIP "${licence}" licence)
  string(LENGTH "${name}" length)
  string(REPEAT "-" ${length} rule)
  string(APPEND text "\n${name}\n${rule}\n\n${licence}\n")
endforeach()
file(WRITE ${output} "${text}")
