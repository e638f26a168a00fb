# sonvarek_add_test(NAME SOURCES file... LIBS lib... [LABELS label...])
# One GoogleTest executable per unit; every test case is registered with CTest, with
# the labels given (`slow`: runs in real time, left out by `ctest -LE slow`).
include(GoogleTest OPTIONAL)

function(sonvarek_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    SONVAREK_BINARY_DIR="${PROJECT_BINARY_DIR}"
    SONVAREK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # No test reaches the public AccurateRip server; the look-up tests name their own.
  set(labels "${ARG_LABELS}")
  if(NOT labels)
    set(labels "fast")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 600 ENVIRONMENT "SONVAREK_ACCURATERIP_SERVER=" LABELS "${labels}")
endfunction()
