# The 64-bit Windows build of the same code. Users get the 32-bit build; this one runs the
# Windows tests under 64-bit Wine on machines whose kernel cannot run 32-bit programs.
set(mingw_processor x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
