# Unreadable sectors and vanishing drives, through the image drive and the real `sonvarek rip`.
sonvarek_add_test(drive_faults_tests SOURCES drive_faults_test.cpp LIBS sonvarek_cdrom sonvarek_jobs)
target_include_directories(drive_faults_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(drive_faults_tests PRIVATE SONVAREK_CLI="$<TARGET_FILE:sonvarek>")
add_dependencies(drive_faults_tests sonvarek)
