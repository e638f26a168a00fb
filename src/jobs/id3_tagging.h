#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/records.h"

namespace sonvarek {

inline constexpr size_t kId3v1TagSize = 128;

// The comment of a job that has none: the product name and its home page.
std::string DefaultComment();

// The 128-byte ID3v1.1 tag of a job: "TAG", title, artist and album in 30 bytes
// each, year in 4, the comment in 28 bytes and the track number (trackIndex + 1)
// in byte 126 for a CD track, or the comment in 30 bytes for a file job, and the
// genre byte of GenreName (12 when unknown or empty). Texts are cut to their field
// in their ISO-8859-1 form ('?' for what it cannot hold); unused bytes are 0.
std::array<uint8_t, kId3v1TagSize> BuildId3v1Tag(const ConversionJob& job);

// Writes the ID3v2 tag of a job into the finished MP3 file at `path` through id3lib,
// leaving an ID3v1 tag at its end as it is. Frames in this order, each only when its
// text is not empty: TIT2, TPE1, TALB, TYER, COMM, TCOM, TOPE, TCOP, WXXX (URL or
// the home page), TENC (EncodedBy or the product name), TRCK ("%02d", CD tracks),
// TCON ("(%d)%s" of the genre). A frame the file already has (id3lib reads the
// ID3v1 tag as frames too) is overwritten, not duplicated; the genre frame that the
// ID3v1 genre byte brings is dropped when the job has no genre name. Text frames are
// ISO-8859-1 when the text fits it, else UTF-16, so every text reads back unchanged.
// Failures of id3lib are not reported: the file then lacks (part of) the tag.
void WriteId3v2Tag(const std::string& path, const ConversionJob& job);

}  // namespace sonvarek
