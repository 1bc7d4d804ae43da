# The web edition, built with Emscripten (preset `web`): each game as a module that
# web/worker.js runs in a Web Worker, and the static site that plays both, assembled in
# ${CMAKE_BINARY_DIR}/site from web/ and the xterm.js that `npm ci --prefix web` installs.
# Nothing is downloaded during the build. xterm.js ships with its source map, which it names.

set(TAVRO_XTERM_DIR ${PROJECT_SOURCE_DIR}/web/node_modules/@xterm/xterm)
if(NOT EXISTS ${TAVRO_XTERM_DIR}/lib/xterm.js OR NOT EXISTS ${TAVRO_XTERM_DIR}/css/xterm.css)
  message(FATAL_ERROR
    "xterm.js is missing from ${TAVRO_XTERM_DIR}. The site needs it; the build downloads "
    "nothing. Install it first with: npm ci --prefix web")
endif()

# Links `target` as a module that the worker creates with the factory `export_name`, then
# starts by calling main itself:
#   - Asyncify lets a wait for input or a sleep suspend the program until the worker's promise
#     settles, so nothing spins; its saved call stack is made larger than the deepest wait needs;
#   - main is called through ccall with {async: true}, whose promise settles with main's result,
#     or rejects with Emscripten's ExitStatus when the program calls exit(), rather than that
#     error escaping from the suspended stack into the worker's global scope;
#   - wasm exceptions (-fwasm-exceptions) are not used: Debian's wasm-opt fails on them
#     together with Asyncify, so exceptions are Emscripten's JavaScript-based ones.
function(tavro_web_module target export_name)
  target_link_options(${target} PRIVATE
    -sASYNCIFY
    -sASYNCIFY_STACK_SIZE=16384
    -sENVIRONMENT=worker
    -sMODULARIZE=1
    -sEXPORT_NAME=${export_name}
    -sEXIT_RUNTIME=1
    -sINVOKE_RUN=0
    -sEXPORTED_FUNCTIONS=_main
    -sEXPORTED_RUNTIME_METHODS=ccall)
endfunction()

# The site: the pages, scripts and styles of web/, both games' pages from one template, the two
# games' modules, xterm.js and the web font.
function(tavro_web_site)
  set(site ${CMAKE_BINARY_DIR}/site)
  file(GLOB pages CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/web/*.html ${PROJECT_SOURCE_DIR}/web/*.js ${PROJECT_SOURCE_DIR}/web/*.css
    ${PROJECT_SOURCE_DIR}/web/*.svg ${PROJECT_SOURCE_DIR}/web/*.webmanifest)
  set(modules)
  set(game_pages)
  foreach(game IN ITEMS tavro tavro-2dgame)
    list(APPEND modules $<TARGET_FILE:${game}> $<TARGET_FILE_DIR:${game}>/${game}.wasm)
    set(TAVRO_GAME ${game})
    configure_file(${PROJECT_SOURCE_DIR}/web/game.html.in ${CMAKE_BINARY_DIR}/pages/${game}.html
      @ONLY)
    list(APPEND game_pages ${CMAKE_BINARY_DIR}/pages/${game}.html)
  endforeach()
  tavro_web_font(${site}/fonts font)
  add_custom_target(web_site ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${site}/xterm
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${pages} ${game_pages} ${modules} ${site}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
      ${TAVRO_XTERM_DIR}/lib/xterm.js ${TAVRO_XTERM_DIR}/lib/xterm.js.map
      ${TAVRO_XTERM_DIR}/css/xterm.css ${site}/xterm
    COMMAND ${CMAKE_COMMAND} -P ${PROJECT_SOURCE_DIR}/cmake/ThirdPartyNotices.cmake
      ${site}/THIRD-PARTY-NOTICES.txt "xterm.js (@xterm/xterm)" ${TAVRO_XTERM_DIR}/LICENSE
      "Noto Sans Mono CJK JP (the subset in fonts/tavro-mono.woff2)" ${site}/fonts/OFL.txt
    DEPENDS ${font}
    COMMENT "Assembling the web site in ${site}"
    VERBATIM)
  add_dependencies(web_site tavro tavro-2dgame)

  # The service worker's list of files, made last from whatever the site folder then holds:
  # a step that adds files to the site must come before it.
  add_custom_target(web_precache ALL
    COMMAND ${CMAKE_COMMAND} -DSITE=${site} -P ${PROJECT_SOURCE_DIR}/cmake/WebPrecache.cmake
    COMMENT "Listing the site's files for its service worker"
    VERBATIM)
  add_dependencies(web_precache web_site)
endfunction()

# The terminal's font, in `dir`: a WOFF2 subset of Debian's Noto Sans Mono CJK JP (package
# fonts-noto-cjk, cut by pyftsubset of package fonttools), and its licence, the SIL Open Font
# License as Debian's copyright file gives it. The subset holds ASCII, every character of the
# programs' printed texts, the full-width forms and the kana (a player may type those with an
# input method); anything else falls back to the system's fonts. Sets `out` to the files.
function(tavro_web_font dir out)
  set(TAVRO_NOTO_CJK /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
    CACHE FILEPATH "Noto Sans CJK Regular collection (Debian's fonts-noto-cjk)")
  set(TAVRO_NOTO_CJK_COPYRIGHT /usr/share/doc/fonts-noto-cjk/copyright
    CACHE FILEPATH "The copyright file of fonts-noto-cjk, which holds the font's licence")
  find_program(TAVRO_PYFTSUBSET pyftsubset)
  if(NOT EXISTS ${TAVRO_NOTO_CJK} OR NOT TAVRO_PYFTSUBSET)
    message(FATAL_ERROR "The web font is made from ${TAVRO_NOTO_CJK} with pyftsubset: install "
      "the Debian packages fonts-noto-cjk, fonttools and python3-brotli")
  endif()
  # The collection's font number of "Noto Sans Mono CJK JP".
  set(TAVRO_NOTO_CJK_MONO_JP 5 CACHE STRING "Noto Sans Mono CJK JP's number in TAVRO_NOTO_CJK")

  file(GLOB sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/tavro/*.cpp ${PROJECT_SOURCE_DIR}/tavro-2dgame/*.cpp)
  set(text ${CMAKE_BINARY_DIR}/font_text.txt)
  set(font ${dir}/tavro-mono.woff2)
  # ASCII, the ideographic space and punctuation, hiragana and katakana, the full-width forms
  # and the half-width katakana.
  set(ranges U+0020-007E,U+3000-303F,U+3041-30FF,U+FF01-FF9F)
  add_custom_command(OUTPUT ${text}
    COMMAND ${CMAKE_COMMAND} "-DSOURCES=${sources}" -DOUTPUT=${text}
      -P ${PROJECT_SOURCE_DIR}/cmake/WebFontText.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/WebFontText.cmake
    COMMENT "Collecting the characters the games print"
    VERBATIM)
  add_custom_command(OUTPUT ${font}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${TAVRO_PYFTSUBSET} ${TAVRO_NOTO_CJK} --font-number=${TAVRO_NOTO_CJK_MONO_JP}
      --text-file=${text} --unicodes=${ranges} --layout-features= --no-hinting
      --desubroutinize --flavor=woff2 --output-file=${font}
    DEPENDS ${text} ${TAVRO_NOTO_CJK}
    COMMENT "Cutting the web font from Noto Sans Mono CJK JP"
    VERBATIM)

  # The licence: the copyright file's paragraph "License: SIL-1.1", its lines unindented and
  # its lone dots made blank lines again.
  file(STRINGS ${TAVRO_NOTO_CJK_COPYRIGHT} lines)
  string(CONCAT licence "Noto Sans Mono CJK JP, cut to the characters this site shows.\n"
    "Copyright © 2014-2021 Adobe (http://www.adobe.com/).\n\n")
  set(in_licence FALSE)
  foreach(line IN LISTS lines)
    if(line STREQUAL "License: SIL-1.1")
      set(in_licence TRUE)
    elseif(in_licence AND line MATCHES "^ (.*)$")
      if(CMAKE_MATCH_1 STREQUAL ".")
        string(APPEND licence "\n")
      else()
        string(APPEND licence "${CMAKE_MATCH_1}\n")
      endif()
    else()
      set(in_licence FALSE)
    endif()
  endforeach()
  file(GENERATE OUTPUT ${dir}/OFL.txt CONTENT "${licence}")
  set(${out} ${font} ${dir}/OFL.txt PARENT_SCOPE)
endfunction()
