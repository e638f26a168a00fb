# The Debian package, made by `cpack -G DEB` in a build configured with
# -DSONVAREK_DEBIAN_PACKAGE=ON (scripts/package-deb does both). Its run-time
# dependencies are computed by dpkg-shlibdeps from the files it holds.
set(CPACK_PACKAGE_NAME sonvarek-maker)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Sonvarek Maker developers <maker@sonvarek.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audio CD ripper and audio file converter")
# CPack puts the summary first and indents each line; an empty line becomes " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Sonvarek Maker reads audio CDs and rips the tracks you check to MP3, Ogg
Vorbis or WAV files, named by your own naming rule and tagged with the
disc's texts (ID3v1, ID3v2, Vorbis comments). It looks discs up on cddb
servers and keeps their texts in a local disc database, converts WAV files
to MP3 or Ogg Vorbis and MP3 files to WAV with its own decoder, normalizes
WAV files, plays CDs and sets the master volume.

The package holds the desktop program, sonvarek-maker, and the
command-line program, sonvarek.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://sonvarek.invalid/maker")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The encoder library is opened with dlopen by the programs, so nothing links it:
# dpkg-shlibdeps is pointed at its folder for the library's own dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/src/lame_enc")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pavucontrol")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

# /usr/share/doc/sonvarek-maker/copyright and changelog.gz, as Debian wants them.
set(changelog_gz ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${changelog_gz}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${changelog_gz} DESTINATION ${SONVAREK_DOCDIR})
include(CPack)
