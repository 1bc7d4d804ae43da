# Gives a Windows executable a version resource (product, version, copyright), which Explorer
# shows under Properties, and an application manifest: the Windows versions it was made for
# and the user's own rights, without virtualisation.

enable_language(RC)

function(tavro_windows_resources target description)
  set(TAVRO_RC_NAME ${target})
  set(TAVRO_RC_DESCRIPTION "${description}")
  set(TAVRO_RC_VERSION_DOTS ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  string(REPLACE "." "," TAVRO_RC_VERSION_COMMAS ${TAVRO_RC_VERSION_DOTS})
  set(dir ${CMAKE_BINARY_DIR}/packaging/${target})
  set(TAVRO_RC_MANIFEST ${dir}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in
    ${TAVRO_RC_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${dir}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  set_property(SOURCE ${dir}/${target}.rc TARGET_DIRECTORY ${target}
    APPEND PROPERTY OBJECT_DEPENDS ${TAVRO_RC_MANIFEST})
endfunction()
