# thalvek_warnings(<target>): the project's warning level on one target.
function(thalvek_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(THALVEK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
