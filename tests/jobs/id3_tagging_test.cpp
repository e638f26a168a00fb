#include "jobs/id3_tagging.h"

#include <gtest/gtest.h>

#include "jobs/id3_read_back.h"
#include "jobs/id3_text.h"
#include "jobs/mp3_encoder.h"
#include "jobs/mp3_test_batch.h"
#include "support/mp3_frames.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

const std::string kThirtyOneBytes = "Thirty-one bytes of title text!";  // one byte more than the field
const std::string kDefaultComment = "Sonvarek Maker (https://sonvarek.invalid/maker)";

std::string Field(const std::array<uint8_t, kId3v1TagSize>& tag, size_t offset, size_t size) {
  return std::string(reinterpret_cast<const char*>(&tag[offset]), size);
}

std::string Padded(const std::string& text, size_t size) { return text + std::string(size - text.size(), '\0'); }

TEST(Id3v1Tag, FieldsAreCutToTheirSizesAndTheTrackTakesTheLastCommentBytes) {
  ConversionJob track;
  track.trackIndex = 4;
  track.tags.Title = kThirtyOneBytes;
  track.tags.Artist = "Artist";
  track.tags.Album = "Album";
  track.tags.Year = "19999";
  track.tags.Comment = kDefaultComment;
  track.tags.GenreName = "Rock";
  std::array<uint8_t, kId3v1TagSize> tag = BuildId3v1Tag(track);
  EXPECT_EQ(Field(tag, 0, 3), "TAG");
  EXPECT_EQ(Field(tag, 3, 30), kThirtyOneBytes.substr(0, 30));
  EXPECT_EQ(Field(tag, 33, 30), Padded("Artist", 30));
  EXPECT_EQ(Field(tag, 63, 30), Padded("Album", 30));
  EXPECT_EQ(Field(tag, 93, 4), "1999");
  EXPECT_EQ(Field(tag, 97, 28), kDefaultComment.substr(0, 28));
  EXPECT_EQ(tag[125], 0);
  EXPECT_EQ(tag[126], 5);
  EXPECT_EQ(tag[127], 17);

  ConversionJob file = MakeFileJob("/music/a.wav");
  file.tags.Comment = kDefaultComment;
  tag = BuildId3v1Tag(file);
  EXPECT_EQ(Field(tag, 3, 30), std::string(30, '\0'));
  EXPECT_EQ(Field(tag, 97, 30), kDefaultComment.substr(0, 30));  // bytes 125 and 126 belong to the comment
  EXPECT_EQ(tag[127], 12);                                      // no genre name: "Other"
}

TEST(Id3v1Tag, TextsAreIso88591WithQuestionMarksForWhatItCannotHold) {
  struct Case {
    std::string utf8;
    std::string latin1;
  };
  for (const Case& c : {Case{"Café Müller", "Caf\xE9 M\xFCller"}, Case{"Καλημέρα", "????????"},
                        Case{"日本 ok", "?? ok"}, Case{"bad \xFF byte", "bad ? byte"},
                        Case{"€uro", "?uro"}}) {
    ConversionJob job;
    job.tags.Title = c.utf8;
    std::array<uint8_t, kId3v1TagSize> tag = BuildId3v1Tag(job);
    EXPECT_EQ(Field(tag, 3, 30), Padded(c.latin1, 30)) << c.utf8;
  }
  // The cut counts ISO-8859-1 bytes, not UTF-8 bytes.
  ConversionJob job;
  job.tags.Artist = std::string(15, 'a') + "ééééééééééééééé" + "tail";
  EXPECT_EQ(Field(BuildId3v1Tag(job), 33, 30), std::string(15, 'a') + std::string(15, '\xE9'));
}

TEST(Id3Text, Utf16KeepsEveryCharacterAndSurrogatePairs) {
  for (const std::string text : {"plain", "Καλημέρα κόσμε", "こんにちは世界", "emoji 🎵 note"}) {
    EXPECT_EQ(Utf8FromUtf16(Utf16FromUtf8(text)), text);
  }
  EXPECT_EQ(Utf16FromUtf8("🎵"), (std::vector<uint16_t>{0xD83C, 0xDFB5}));
  EXPECT_FALSE(ExactLatin1FromUtf8("Ω").has_value());
  EXPECT_EQ(ExactLatin1FromUtf8("é"), std::optional<std::string>("\xE9"));
}

class Id3TaggedFile : public ::testing::Test {
 protected:
  // Encodes a short WAV file for `job` with these tag settings; the MP3 file's path.
  std::string EncodeTagged(ConversionJob job, bool id3v1, bool id3v2) {
    std::string wav = temp / "source.wav";
    test::WriteWav(wav, test::SineSamples(0.3, 2, 44100));
    if (job.trackIndex < 0) {
      job.sourceName = wav;
    } else {
      job.sourceName = "Track";
    }
    test::Mp3TestBatch run(temp, job);
    run.batch.kind = job.trackIndex < 0 ? BatchKind::EncodeMp3 : BatchKind::CdRip;
    run.batch.temporaryPath = wav;
    run.batch.settings.EnableID3 = id3v1 ? 1 : 0;
    run.batch.settings.EnableID3V2 = id3v2 ? 1 : 0;
    EXPECT_EQ(EncodeMp3(run.batch, &test::LoadedEncoderLibrary()), 1);
    return run.batch.jobs[0].outputPath;
  }
  static std::string TextOf(const test::Id3v2ReadBack& tag, ID3_FrameID id, ID3_FieldID field = ID3FN_TEXT) {
    std::optional<test::Id3Text> text = tag.Text(id, field);
    return text ? text->text : "<none>";
  }

  test::TempFolder temp;
};

TEST_F(Id3TaggedFile, ATrackGetsBothTagsWithEveryFrameOnce) {
  ConversionJob job;
  job.trackIndex = 4;
  job.tags.Title = kThirtyOneBytes;
  job.tags.Artist = "Artist";
  job.tags.Album = "Album";
  job.tags.Year = "1999";
  job.tags.GenreName = "Rock";
  job.tags.Composer = "Composer";
  std::string path = EncodeTagged(job, true, true);
  std::string bytes = test::ReadWholeFile(path);

  std::string v1 = bytes.substr(bytes.size() - 128);
  EXPECT_EQ(v1.substr(0, 33), "TAG" + kThirtyOneBytes.substr(0, 30));
  EXPECT_EQ(v1[126], 5);
  EXPECT_EQ(static_cast<uint8_t>(v1[127]), 17);
  test::Mp3Walk walk = test::WalkMp3Frames(bytes, test::Id3v2TagSize(bytes), bytes.size() - 128);
  EXPECT_TRUE(walk.complete) << walk.problem;

  test::Id3v2ReadBack tag(path);
  ASSERT_TRUE(tag.HasTag());
  EXPECT_EQ(TextOf(tag, ID3FID_TITLE), kThirtyOneBytes);
  EXPECT_EQ(TextOf(tag, ID3FID_LEADARTIST), "Artist");
  EXPECT_EQ(TextOf(tag, ID3FID_ALBUM), "Album");
  EXPECT_EQ(TextOf(tag, ID3FID_YEAR), "1999");
  EXPECT_EQ(TextOf(tag, ID3FID_COMMENT), kDefaultComment);
  EXPECT_EQ(TextOf(tag, ID3FID_COMPOSER), "Composer");
  EXPECT_EQ(TextOf(tag, ID3FID_WWWUSER, ID3FN_URL), "https://sonvarek.invalid/maker");
  EXPECT_EQ(TextOf(tag, ID3FID_ENCODEDBY), "Sonvarek Maker");
  EXPECT_EQ(TextOf(tag, ID3FID_TRACKNUM), "05");
  EXPECT_EQ(TextOf(tag, ID3FID_CONTENTTYPE), "(17)Rock");
  for (ID3_FrameID id : {ID3FID_TITLE, ID3FID_COMMENT, ID3FID_TRACKNUM, ID3FID_CONTENTTYPE, ID3FID_YEAR}) {
    EXPECT_EQ(tag.FrameCount(id), 1u) << id;
  }
  for (ID3_FrameID id : {ID3FID_ORIGARTIST, ID3FID_COPYRIGHT}) EXPECT_EQ(tag.FrameCount(id), 0u) << id;
}

TEST_F(Id3TaggedFile, AFileJobHasA30ByteCommentGenre12AndNoTrackOrGenreFrame) {
  std::string path = EncodeTagged(MakeFileJob(""), true, true);
  std::string bytes = test::ReadWholeFile(path);
  std::string v1 = bytes.substr(bytes.size() - 128);
  EXPECT_EQ(v1.substr(97, 30), kDefaultComment.substr(0, 30));
  EXPECT_EQ(v1[127], 12);
  test::Id3v2ReadBack tag(path);
  EXPECT_EQ(TextOf(tag, ID3FID_COMMENT), kDefaultComment);
  EXPECT_EQ(tag.FrameCount(ID3FID_CONTENTTYPE), 0u);
  EXPECT_EQ(tag.FrameCount(ID3FID_TRACKNUM), 0u);
  EXPECT_EQ(tag.FrameCount(ID3FID_TITLE), 0u);
}

// The bytes of a frame's body in an ID3v2.3 tag, found without id3lib.
std::string RawFrameBody(const std::string& bytes, const std::string& id) {
  const size_t end = test::Id3v2TagSize(bytes);
  for (size_t position = 10; position + 10 <= end && bytes[position] != '\0';) {
    size_t size = 0;
    for (size_t i = 4; i < 8; ++i) size = (size << 8) | static_cast<uint8_t>(bytes[position + i]);
    if (bytes.compare(position, 4, id) == 0) return bytes.substr(position + 10, size);
    position += 10 + size;
  }
  return {};
}

TEST_F(Id3TaggedFile, TextsInAnyScriptReadBackUnchanged) {
  struct Case {
    std::string title;
    ID3_TextEnc encoding;
  };
  for (const Case& c : {Case{"Καλημέρα κόσμε", ID3TE_UTF16}, Case{"こんにちは世界", ID3TE_UTF16},
                        Case{"Café Müller", ID3TE_ISO8859_1}}) {
    ConversionJob job;
    job.trackIndex = 0;
    job.tags.Title = c.title;
    job.tags.Artist = c.title;
    job.tags.Comment = c.title;
    std::string path = EncodeTagged(job, true, true);
    test::Id3v2ReadBack tag(path);
    for (ID3_FrameID id : {ID3FID_TITLE, ID3FID_LEADARTIST, ID3FID_COMMENT}) {
      std::optional<test::Id3Text> text = tag.Text(id);
      ASSERT_TRUE(text.has_value()) << c.title << " " << id;
      EXPECT_EQ(text->text, c.title) << id;
      EXPECT_EQ(text->encoding, c.encoding) << c.title << " " << id;
    }
    // The frame as any reader sees it: the encoding byte, then the text in that encoding.
    std::string body = RawFrameBody(test::ReadWholeFile(path), "TIT2");
    ASSERT_FALSE(body.empty());
    if (c.encoding == ID3TE_UTF16) {
      ASSERT_EQ(body[0], '\x01');
      const bool littleEndian = body.compare(1, 2, "\xFF\xFE") == 0;
      ASSERT_TRUE(littleEndian || body.compare(1, 2, "\xFE\xFF") == 0);
      std::vector<uint16_t> units;
      for (size_t i = 3; i + 1 < body.size(); i += 2) {
        auto a = static_cast<uint8_t>(body[i]);
        auto b = static_cast<uint8_t>(body[i + 1]);
        uint16_t unit = littleEndian ? static_cast<uint16_t>(a | (b << 8)) : static_cast<uint16_t>((a << 8) | b);
        if (unit == 0) break;
        units.push_back(unit);
      }
      EXPECT_EQ(Utf8FromUtf16(units), c.title);
    } else {
      EXPECT_EQ(body.substr(0, 1), std::string(1, '\0'));
      EXPECT_EQ(Utf8FromLatin1(body.substr(1, Latin1FromUtf8(c.title).size())), c.title);
    }
  }
}

TEST_F(Id3TaggedFile, WithoutId3v1TheFileBeginsWithTheId3v2TagAndEndsWithTheStream) {
  struct Case {
    bool id3v1;
    bool id3v2;
  };
  for (Case c : {Case{false, true}, Case{false, false}, Case{true, false}}) {
    ConversionJob job;
    job.trackIndex = 1;
    job.tags.Title = "Title";
    std::string bytes = test::ReadWholeFile(EncodeTagged(job, c.id3v1, c.id3v2));
    EXPECT_EQ(bytes.compare(0, 3, "ID3") == 0, c.id3v2);
    const size_t end = bytes.size() - (c.id3v1 ? 128 : 0);
    EXPECT_EQ(bytes.compare(end - (c.id3v1 ? 0 : 128), 3, "TAG") == 0, c.id3v1);
    test::Mp3Walk walk = test::WalkMp3Frames(bytes, test::Id3v2TagSize(bytes), end);
    EXPECT_TRUE(walk.complete) << c.id3v1 << c.id3v2 << ": " << walk.problem;
  }
}

}  // namespace
}  // namespace sonvarek
