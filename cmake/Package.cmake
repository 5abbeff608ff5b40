# The release packages. Windows: a ZIP for Windows users with the dialog, the command-line
# decoder and a Japanese read-me (UTF-8 with a byte order mark, which every Notepad
# recognises). Linux: a Debian package of the command-line decoder with its manual page and
# bash completion (their install rules are in cli/CMakeLists.txt).
# Build either with: cmake --build --preset windows|linux --target package
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})

if(WIN32)
  install(TARGETS VellunoraDecoder vellunora-decode RUNTIME DESTINATION .)

  file(READ ${PROJECT_SOURCE_DIR}/package/README-ja.txt readme_text)
  string(REPLACE "\n" "\r\n" readme_text "${readme_text}")
  string(ASCII 239 187 191 byte_order_mark)
  file(WRITE ${CMAKE_BINARY_DIR}/package/README-ja.txt "${byte_order_mark}${readme_text}")
  install(FILES ${CMAKE_BINARY_DIR}/package/README-ja.txt DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME VellunoraDecoder)
  set(CPACK_PACKAGE_FILE_NAME VellunoraDecoder-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(VELLUNORA_PACKAGE_MAINTAINER
      "Vellunora decoder maintainers <maintainers@users.noreply.c-seed-d0edb734.example>"
      CACHE STRING "The Maintainer field of the Debian package")
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vellunora-decode)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELLUNORA_PACKAGE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "decrypt Vellunora's encrypted logs (*.$S$) into CSV files
vellunora-decode decrypts the encrypted log files of Vellunora (*.$S$,
Blowfish keyed with the MD5 digest of the password) into .CSV files of the
same name, in batches, and deletes each input only once its output is whole
and on disk. The password comes from a file, the environment or a prompt, in
UTF-8 or code page 932, and gives the same key as the Windows dialog.")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
  # The libraries' packages, as dpkg-shlibdeps finds them from the program's needs (dpkg-dev);
  # without it, those of a Debian 12 build.
  find_program(DPKG_SHLIBDEPS_PROGRAM dpkg-shlibdeps)
  if(DPKG_SHLIBDEPS_PROGRAM)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34)")
  endif()
endif()
include(CPack)
