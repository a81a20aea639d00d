# Warnings and sanitizers are applied per target through one helper, so that every layer is built alike.
function(tarnix_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(TARNIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(TARNIX_SANITIZE OR TARNIX_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
# Coverage feedback for libFuzzer from every layer; only the fuzz targets link the fuzzer's main.
if(TARNIX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
