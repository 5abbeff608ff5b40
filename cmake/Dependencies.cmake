# Third-party code. The native build takes Debian's packages; the MinGW build compiles
# GoogleTest from Debian's sources and sees CLI11 through a folder of its own, never
# through /usr/include, whose glibc headers would shadow MinGW's.
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

  set(header_only_dir ${CMAKE_BINARY_DIR}/third-party-include)
  file(MAKE_DIRECTORY ${header_only_dir})
  file(CREATE_LINK /usr/include/CLI ${header_only_dir}/CLI SYMBOLIC)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${header_only_dir}
                                                INTERFACE_INCLUDE_DIRECTORIES ${header_only_dir})
else()
  find_package(GTest REQUIRED)
  find_package(CLI11 REQUIRED)
  find_package(benchmark REQUIRED)
  find_package(OpenSSL REQUIRED)
endif()
include(GoogleTest)
