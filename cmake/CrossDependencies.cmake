# Dependencies of a cross build (see packaging/mingw-w64-x86_64.cmake): the
# target has no packaged fmt, CLI11, nlohmann-json or GoogleTest, so the first
# three are used header-only from the build machine's headers and GoogleTest
# is built from Debian's source package for the target.
#
# Only the libraries' own header folders are offered to the target compiler,
# through links in the build tree: adding the build machine's /usr/include
# would put its C library headers in front of the target's.
set(_hostHeaders ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_hostHeaders})
foreach(entry fmt CLI nlohmann)
  if(NOT EXISTS /usr/include/${entry})
    message(FATAL_ERROR "/usr/include/${entry} is missing: run scripts/install-deps.sh")
  endif()
  file(CREATE_LINK /usr/include/${entry} ${_hostHeaders}/${entry} SYMBOLIC)
endforeach()

add_library(fmt::fmt INTERFACE IMPORTED)
set_target_properties(fmt::fmt PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_hostHeaders}
                                          INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_hostHeaders})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_hostHeaders})

if(SHELFWRIGHT_BUILD_TESTS)
  set(SHELFWRIGHT_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
  if(NOT EXISTS ${SHELFWRIGHT_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "${SHELFWRIGHT_GOOGLETEST_SOURCE} is missing: install Debian's googletest package")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${SHELFWRIGHT_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # GoogleTest's own build defines the GTest:: names the tests link.
endif()
