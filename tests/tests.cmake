# Tests: GoogleTest from the system on this host; built from /usr/src/googletest when
# cross-compiling for Windows.
enable_testing()

if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(TESSIV_GTEST gtest_main gtest)
else()
  find_package(GTest REQUIRED)
  set(TESSIV_GTEST GTest::gtest_main GTest::gtest)
endif()

# Unit tests of the product; here also the product against the simulated host (hosted/) and
# the simulated host itself (sim/).
if(WIN32)
  file(GLOB TESSIV_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cc tests/windows/*.cc)
else()
  file(GLOB TESSIV_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cc tests/hosted/*.cc tests/sim/*.cc)
endif()
add_executable(tessiv_unit_tests ${TESSIV_UNIT_TESTS})
target_link_libraries(tessiv_unit_tests PRIVATE tessiv_core ${TESSIV_GTEST})
target_compile_definitions(tessiv_unit_tests PRIVATE
  TESSIV_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
if(WIN32)
  target_link_options(tessiv_unit_tests PRIVATE -static)
  # The stand-in management tool that the launch tests copy in as devadmin.exe.
  add_executable(tessiv_standin_tool tests/windows/standin/devadmin.cc)
  target_link_options(tessiv_standin_tool PRIVATE -static)
  add_dependencies(tessiv_unit_tests tessiv_standin_tool)
endif()

if(NOT WIN32)
  include(GoogleTest)
  gtest_discover_tests(tessiv_unit_tests DISCOVERY_TIMEOUT 30)

  # End-to-end: the built executable run against host files, its output compared byte for byte.
  file(GLOB TESSIV_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.cc)
  if(TESSIV_E2E_TESTS)
    add_executable(tessiv_e2e_tests ${TESSIV_E2E_TESTS})
    target_link_libraries(tessiv_e2e_tests PRIVATE ${TESSIV_GTEST})
    target_compile_definitions(tessiv_e2e_tests PRIVATE
      TESSIV_CHECKER="$<TARGET_FILE:TessivMemoryChecker>"
      TESSIV_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
    add_dependencies(tessiv_e2e_tests TessivMemoryChecker)
    gtest_discover_tests(tessiv_e2e_tests DISCOVERY_TIMEOUT 30)
  endif()
endif()
