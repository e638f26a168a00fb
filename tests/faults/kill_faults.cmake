# Saves, rips and conversions killed at random points, as child processes of `sonvarek`.
# Debian's mpg123 and oggdec read back the MP3 and Ogg files.
sonvarek_add_test(kill_faults_tests SOURCES kill_faults_test.cpp LIBS sonvarek_core sonvarek_jobs)
target_include_directories(kill_faults_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(kill_faults_tests PRIVATE SONVAREK_CLI="$<TARGET_FILE:sonvarek>")
add_dependencies(kill_faults_tests sonvarek)
