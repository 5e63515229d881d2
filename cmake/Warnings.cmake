# Warnings for our own targets only (not for third-party code).
function(lockmere_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(LOCKMERE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
