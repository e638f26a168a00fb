# The rip log and the CUE sheet: the log's lines, the sheet read back by the project's
# CUE parser and by Debian's cueprint (package cuetools), and both written whole or not at all.
sonvarek_add_test(rip_log_tests
  SOURCES rip_log_test.cpp rip_cue_sheet_test.cpp
  LIBS sonvarek_verify sonvarek_cdrom)
target_include_directories(rip_log_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
