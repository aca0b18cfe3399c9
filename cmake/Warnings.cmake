# Warnings for our own targets only; third-party code is built elsewhere.
function(sv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

if(WIN32)
  # Unicode Win32 API everywhere; Windows 7 is the oldest target.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Programs must run without the compiler's DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
