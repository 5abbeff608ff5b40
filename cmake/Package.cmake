# The release package for Windows users: a ZIP with the dialog, the command-line decoder
# and a Japanese read-me (UTF-8 with a byte order mark, which every Notepad recognises).
# Build it with: cmake --build --preset windows --target package
install(TARGETS VellunoraDecoder vellunora-decode RUNTIME DESTINATION .)

file(READ ${PROJECT_SOURCE_DIR}/package/README-ja.txt readme_text)
string(REPLACE "\n" "\r\n" readme_text "${readme_text}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE ${CMAKE_BINARY_DIR}/package/README-ja.txt "${byte_order_mark}${readme_text}")
install(FILES ${CMAKE_BINARY_DIR}/package/README-ja.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME VellunoraDecoder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME VellunoraDecoder-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
