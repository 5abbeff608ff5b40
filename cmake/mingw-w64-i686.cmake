# The 32-bit Windows build that users get.
set(mingw_processor i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
