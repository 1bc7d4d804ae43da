# The web edition, built with Emscripten (preset `web`): each game as a module that
# web/worker.js runs in a Web Worker, and the static site that plays both, assembled in
# ${CMAKE_BINARY_DIR}/site from web/ and the xterm.js that `npm ci --prefix web` installs.
# Nothing is downloaded during the build.

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

# The site: the pages, scripts and styles of web/, the two games' modules and xterm.js.
function(tavro_web_site)
  set(site ${CMAKE_BINARY_DIR}/site)
  file(GLOB pages CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/web/*.html ${PROJECT_SOURCE_DIR}/web/*.js ${PROJECT_SOURCE_DIR}/web/*.css)
  set(modules)
  foreach(game IN ITEMS tavro tavro-2dgame)
    list(APPEND modules $<TARGET_FILE:${game}> $<TARGET_FILE_DIR:${game}>/${game}.wasm)
  endforeach()
  add_custom_target(web_site ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${site}/xterm
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${pages} ${modules} ${site}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
      ${TAVRO_XTERM_DIR}/lib/xterm.js ${TAVRO_XTERM_DIR}/css/xterm.css ${site}/xterm
    COMMAND ${CMAKE_COMMAND} -P ${PROJECT_SOURCE_DIR}/cmake/ThirdPartyNotices.cmake
      ${site}/THIRD-PARTY-NOTICES.txt "xterm.js (@xterm/xterm)" ${TAVRO_XTERM_DIR}/LICENSE
    COMMENT "Assembling the web site in ${site}"
    VERBATIM)
  add_dependencies(web_site tavro tavro-2dgame)
endfunction()
