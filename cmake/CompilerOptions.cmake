# Warning flags, the sanitizer switch and the source character set, applied to every target
# through tavro_apply_options().

function(tavro_apply_options target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
    if(TAVRO_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
      -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference
      -Wimplicit-fallthrough -finput-charset=UTF-8)
    if(TAVRO_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(TAVRO_SANITIZE)
      target_compile_options(${target} PRIVATE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
      target_link_options(${target} PRIVATE -fsanitize=address,undefined)
      target_compile_definitions(${target} PRIVATE TAVRO_SANITIZED=1)
    endif()
  endif()
  if(TAVRO_UTF8_OUTPUT)
    target_compile_definitions(${target} PRIVATE TAVRO_UTF8_OUTPUT=1)
  endif()
endfunction()
