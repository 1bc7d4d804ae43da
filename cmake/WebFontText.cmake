# cmake -DOUTPUT=file -DSOURCES="a.cpp;b.cpp" -P WebFontText.cmake
# Writes the text of every string the programs print (their "..."_sj literals) to OUTPUT, one
# literal a line, for pyftsubset's --text-file: the web font then holds each of their characters.
file(WRITE ${OUTPUT}.tmp "")
foreach(source IN LISTS SOURCES)
  file(READ ${source} content)
  string(REGEX MATCHALL "\"([^\"\\\\\n]|\\\\.)*\"_sj" literals "${content}")
  foreach(literal IN LISTS literals)
    file(APPEND ${OUTPUT}.tmp "${literal}\n")
  endforeach()
endforeach()
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
