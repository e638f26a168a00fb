# Write failures of every kind, met by every save of the command line: the shim is
# preloaded into `sonvarek` and fails write, fsync, rename or close on cue.
add_library(write_fault_shim SHARED ${CMAKE_CURRENT_LIST_DIR}/write_fault_shim.c)
# It is loaded into sanitized and plain programs alike, so it carries no sanitizer.
set_property(TARGET write_fault_shim PROPERTY COMPILE_OPTIONS -Wall -Wextra -fvisibility=hidden)
set_property(TARGET write_fault_shim PROPERTY LINK_OPTIONS "")
target_link_libraries(write_fault_shim PRIVATE ${CMAKE_DL_LIBS} Threads::Threads)

sonvarek_add_test(write_faults_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/write_faults_test.cpp LIBS sonvarek_jobs sonvarek_core)
target_include_directories(write_faults_test PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(write_faults_test PRIVATE
  SONVAREK_CLI="$<TARGET_FILE:sonvarek>"
  WRITE_FAULT_SHIM="$<TARGET_FILE:write_fault_shim>"
  SONVAREK_SAMPLE_DISC_DIR="${PROJECT_BINARY_DIR}/sample-disc")
add_dependencies(write_faults_test sonvarek sample_disc write_fault_shim)
