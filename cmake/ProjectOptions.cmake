# Compile options shared by every target of ours (not by third-party code).
add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE -Wall -Wextra -Wconversion -Wsign-conversion)

if(WIN32)
  # Narrow literals become code page 932 bytes, as the ANSI entry points need; sources stay UTF-8.
  target_compile_options(project_options INTERFACE -finput-charset=UTF-8 -fexec-charset=CP932)
  target_compile_definitions(project_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # No DLLs beyond the system's: the program is copied to the users' machines on its own.
  target_link_options(project_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
