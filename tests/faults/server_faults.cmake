# Hostile cddb servers on 127.0.0.1 against the worker and the `sonvarek query` and
# `submit` commands.
sonvarek_add_test(server_faults_tests SOURCES server_faults_test.cpp LIBS sonvarek_freedb)
target_include_directories(server_faults_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(server_faults_tests PRIVATE
  SONVAREK_CLI="$<TARGET_FILE:sonvarek>"
  SONVAREK_SAMPLE_DISC_DIR="${PROJECT_BINARY_DIR}/sample-disc")
add_dependencies(server_faults_tests sonvarek sample_disc)
