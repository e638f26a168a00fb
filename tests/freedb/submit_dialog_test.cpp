#include "freedb/submit_dialog.h"

#include <gtest/gtest.h>

#include "freedb/cddb_query.h"

namespace sonvarek {
namespace {

TEST(Submission, TheEmailMustBeRealBeforeAnythingOpens) {
  struct Case {
    const char* email;
    bool accepted;
  } cases[] = {{"ann@mail.example", true}, {"", false}, {"user@example.com", false},  // the placeholder
               {"ann@localhost", false},   {"ann.mail.example", false}};
  for (const Case& c : cases) EXPECT_EQ(SubmitEmailAccepted(c.email), c.accepted) << c.email;
}

DiscRecord TwoTracks() {
  DiscRecord disc;
  ClearDiscRecord(disc);
  disc.entryCount = 3;
  disc.entries[0].Artist = "Ané Brun";
  disc.entries[0].Album = "Spending Time With Morgan";
  disc.entries[0].GenreName = "Rock";
  disc.entries[1].Title = "Humble Piece";
  disc.entries[2].Title = "Are They Saying Goodbye";
  return disc;
}

TEST(Submission, TheEditorStartsFromTheDisc) {
  DiscRecord disc = TwoTracks();
  SubmitEditor editor = FillSubmitEditor(disc);
  EXPECT_EQ(editor.artist, "Ané Brun");
  EXPECT_EQ(editor.genre, 9);  // "rock"
  EXPECT_EQ(editor.revision, "0");
  EXPECT_EQ(editor.titles, (std::vector<std::string>{"Humble Piece", "Are They Saying Goodbye"}));
  disc.hasRevision = true;
  disc.revision = 4;
  disc.entries[0].GenreName = "Alternative";
  editor = FillSubmitEditor(disc);
  EXPECT_EQ(editor.revision, "5");
  EXPECT_EQ(editor.genre, -1);
}

TEST(Submission, ValidationStopsAtTheFirstGap) {
  SubmitEditor good = FillSubmitEditor(TwoTracks());
  EXPECT_EQ(SubmitValidationMessage(good), std::nullopt);
  struct Case {
    void (*spoil)(SubmitEditor&);
    const char* message;
  } cases[] = {
      {[](SubmitEditor& e) { e.artist.clear(), e.album.clear(); }, "Please input the CD's artist name."},
      {[](SubmitEditor& e) { e.album.clear(), e.genre = -1; }, "Please input the CD's album title."},
      {[](SubmitEditor& e) { e.genre = -1, e.titles[0] = "Track 1"; }, "Please select the CD's genre."},
      {[](SubmitEditor& e) { e.titles = {"Track 1", "Track 2"}; }, "Missing title for track #01."},
      {[](SubmitEditor& e) { e.titles = {"Track 2", "Track 2"}; }, "Missing title for track #02."},
      {[](SubmitEditor& e) { e.titles = {"Track 2", "Track 1"}; }, nullptr},  // other positions' numbers
  };
  for (const Case& c : cases) {
    SubmitEditor editor = good;
    c.spoil(editor);
    std::optional<std::string> message = SubmitValidationMessage(editor);
    EXPECT_EQ(message, c.message ? std::optional<std::string>(c.message) : std::nullopt);
  }
  EXPECT_EQ(SubmitRevision("7"), 7);
  EXPECT_EQ(SubmitRevision(""), 0);
  EXPECT_EQ(SubmitRevision("x1"), 0);
}

TEST(Submission, TheRequestTextByteForByte) {
  DiscIdInfo info;
  info.discId = 0x0a02f002;  // below 0x10000000: 8 digits in the header, fewer in DISCID=
  info.trackCount = 2;
  info.frameOffsets[0] = 150;
  info.frameOffsets[1] = 23440;
  info.frameOffsets[2] = 754;
  SubmitEditor editor = FillSubmitEditor(TwoTracks());
  editor.revision = "3";
  std::string xmcd =
      "# xmcd\r\n#\r\n# Track frame offsets:\r\n#  150\r\n#  23440\r\n#\r\n# Disc length: 754 seconds\r\n#\r\n"
      "# Revision: 3\r\n# Submitted via: Sonvarek_Maker 3.0\r\nDISCID=a02f002\r\n"
      "DTITLE=Ané Brun / Spending Time With Morgan\r\nTTITLE0=Humble Piece\r\nTTITLE1=Are They Saying Goodbye\r\n"
      "EXTD=\r\nEXTT0=\r\nEXTT1=\r\nPLAYORDER=\r\n";
  std::string expected =
      "Category: rock\r\nDiscid: 0a02f002\r\nUser-Email: ann@mail.example\r\nSubmit-Mode: submit\r\n"
      "Charset: UTF-8\r\nX-Cddbd-Note: Sent by Sonvarek Maker https://sonvarek.invalid/maker\r\n"
      "Content-Length: " + std::to_string(xmcd.size()) + "\r\n\r\n\r\n" + xmcd + "\r\n";
  EXPECT_EQ(SubmitRequestText(editor, info, "ann@mail.example"), expected);
}

TEST(Submission, LongAndBrokenValuesStayOneKeyOfShortLines) {
  DiscIdInfo info;
  info.trackCount = 1;
  SubmitEditor editor = FillSubmitEditor(TwoTracks());
  editor.titles = {std::string(300, 'a') + "日本" + std::string(300, 'b'), "Line\r\nTTITLE0=forged"};
  std::string text = SubmitRequestText(editor, info, "ann@mail.example");
  std::string body = text.substr(text.find("\r\n\r\n\r\n") + 6);
  size_t start = 0;
  for (size_t end = body.find("\r\n"); end != std::string::npos; start = end + 2, end = body.find("\r\n", start)) {
    EXPECT_LE(end - start, 256u) << body.substr(start, 40);
  }
  CddbReadResult read = ParseReadResponse("210 rock 0 entry\r\n" + body + ".\r\n");
  ASSERT_EQ(read.trackTitles.size(), 2u);
  EXPECT_EQ(read.trackTitles[0], editor.titles[0]);
  EXPECT_EQ(read.trackTitles[1], "Line  TTITLE0=forged");
}

}  // namespace
}  // namespace sonvarek
