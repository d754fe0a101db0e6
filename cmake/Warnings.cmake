function(vr31k_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Woverloaded-virtual)
  if(VR31K_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
