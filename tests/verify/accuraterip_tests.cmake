# The checksums against Debian's accuraterip-checksum, CRC-32 against zlib, disc ids of
# published discs, the database file and its look-up on loopback servers.
find_package(ZLIB REQUIRED)

sonvarek_add_test(accuraterip_tests
  SOURCES accuraterip_test.cpp crc32_test.cpp accuraterip_database_test.cpp
  LIBS sonvarek_verify ZLIB::ZLIB)
target_include_directories(accuraterip_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)

sonvarek_add_test(accuraterip_lookup_tests SOURCES accuraterip_lookup_test.cpp LIBS sonvarek_verify)
target_include_directories(accuraterip_lookup_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
