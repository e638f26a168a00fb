#include "freedb/cddb_query.h"

#include <gtest/gtest.h>

#include "freedb/cddb_http.h"
#include "support/toc_fixture.h"

namespace sonvarek {
namespace {

TEST(CddbQuery, BodiesAreOneLineWithoutBlanksOrAts) {
  DiscIdInfo info;
  ComputeFreedbDiscId(test::TocOf(test::FrameDisc{{150, 23440, 40510}, 56606}, true), info);
  std::string query = QueryBody(info, "ann@mail.example");
  EXPECT_EQ(query, "cmd=cddb+query+1102f003+3+150+23440+40510+754&hello=ann+mail.example+Sonvarek+3.0&proto=6\r\n");
  EXPECT_EQ(query.find_first_of(" @", 1), std::string::npos);
  // The e-mail is sent as it is, the placeholder or nothing too.
  EXPECT_EQ(QueryBody(info, "").substr(query.find("&hello")), "&hello=+Sonvarek+3.0&proto=6\r\n");
  EXPECT_EQ(ReadBody("rock", "1102f003", "ann@mail.example"),
            "cmd=cddb+read+rock+1102f003&hello=ann+mail.example+Sonvarek+3.0&proto=6\r\n");
  EXPECT_EQ(PlusEncode("@a b@c"), "+a+b+c");
}

TEST(CddbQuery, MatchLinesAndTheirTitles) {
  struct Case {
    const char* line;
    CddbMatch match;
  } cases[] = {
      {"rock 7a0a4a09 Sigur Rós / Ágætis byrjun",
       {"rock 7a0a4a09 Sigur Rós / Ágætis byrjun", "rock", "7a0a4a09", "Sigur Rós", "Ágætis byrjun"}},
      {"  misc 0a0b0c0d AC/DC/Back In Black  ", {"misc 0a0b0c0d AC/DC/Back In Black  ", "misc", "0a0b0c0d", "AC", "DC/Back In Black"}},
      {"jazz 11111111 /Only a slash first ", {"jazz 11111111 /Only a slash first ", "jazz", "11111111", "/Only a slash first", "/Only a slash first"}},
      {"folk 22222222 No Slash", {"folk 22222222 No Slash", "folk", "22222222", "No Slash", "No Slash"}},
      {"data 33333333", {"data 33333333", "data", "33333333", "", ""}},
      {"rock", {"rock", "rock", "", "", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseMatchLine(c.line), c.match) << c.line;
}

TEST(CddbQuery, QueryRepliesGiveTheirCandidates) {
  CddbQueryResult exact = ParseQueryResponse("200 rock 7a0a4a09 Artist / Album\r\n");
  EXPECT_EQ(exact.code, 200);
  ASSERT_EQ(exact.matches.size(), 1u);
  EXPECT_EQ(exact.matches[0].title, "Album");

  std::string list =
      "211 Found inexact matches, list follows (until terminating `.')\r\n"
      "rock 7a0a4a09 First / One\r\n"
      "blues 7a0a4a0a Second / Two\r\n"
      "\r\n"
      ".\r\n"
      "jazz 00000000 after the end\r\n";
  CddbQueryResult inexact = ParseQueryResponse(list);
  EXPECT_EQ(inexact.code, 211);
  ASSERT_EQ(inexact.matches.size(), 3u);  // an empty line is an (empty) candidate too
  EXPECT_EQ(inexact.matches[1].artist, "Second");
  EXPECT_EQ(inexact.matches[2].category, "");

  // Level 6 lists several exact matches under 210.
  CddbQueryResult several = ParseQueryResponse("210 Found exact matches, list follows\r\nrock 1 A / B\r\nmisc 1 A / B\r\n.\r\n");
  EXPECT_EQ(several.matches.size(), 2u);

  for (const char* none : {"202 No match for disc ID 7a0a4a09.\r\n", "403 Database entry is corrupt.\r\n", "", "2"}) {
    EXPECT_TRUE(ParseQueryResponse(none).matches.empty()) << none;
  }
}

std::string Entry(const std::string& lines) {
  return "210 rock 7a0a4a09 CD database entry follows (until terminating `.')\r\n" + lines + ".\r\n";
}

TEST(CddbQuery, ReadJoinsContinuationLinesAsReceived) {
  CddbReadResult read = ParseReadResponse(Entry(
      "# xmcd\r\n#\r\n# Revision: 12\r\n# Submitted via: x\r\n"
      "DISCID=7a0a4a09\r\n"
      "DTITLE=Godspeed You! Black Emperor / Lift Your Skinny Fists Like Ant\r\n"
      "DTITLE=ennas to Heaven\r\n"
      "DYEAR=2000\r\n"
      "TTITLE0= Storm \r\n"
      "TTITLE1=Static: a. Chart #3 / b. World Police and Friendly Fire / c. [...The Buildings They Are \r\n"
      "TTITLE1=Sleeping Now]\r\n"
      "TTITLE3=Like Antennas / to Heaven\r\n"
      "TTITLE120=Beyond the disc\r\n"
      "TTITLEx=No number\r\n"
      "EXTD=YEAR: 2000\r\nEXTT0=\r\nPLAYORDER=\r\n"));
  EXPECT_EQ(read.code, 210);
  EXPECT_TRUE(read.hasEntry);
  EXPECT_EQ(read.category, "rock");
  EXPECT_TRUE(read.revisionFound);
  EXPECT_EQ(read.revision, 12);
  EXPECT_EQ(read.year, "2000");
  EXPECT_EQ(read.discTitle, "Godspeed You! Black Emperor / Lift Your Skinny Fists Like Antennas to Heaven");
  ASSERT_EQ(read.trackTitles.size(), 4u);  // up to the highest index of 0..99
  EXPECT_EQ(read.trackTitles[0], "Storm");
  EXPECT_EQ(read.trackTitles[1],
            "Static: a. Chart #3 / b. World Police and Friendly Fire / c. [...The Buildings They Are Sleeping Now]");
  EXPECT_EQ(read.trackTitles[2], "");  // a gap
  EXPECT_EQ(read.trackTitles[3], "Like Antennas / to Heaven");
  auto [artist, album] = SplitDiscTitle(read.discTitle);
  EXPECT_EQ(artist, "Godspeed You! Black Emperor");
  EXPECT_EQ(album, "Lift Your Skinny Fists Like Antennas to Heaven");
}

TEST(CddbQuery, ALongEntryInLatin1ComesBackWhole) {
  std::string lines = "DTITLE=Various Artists / Caf\xe9 del Mar\r\n";
  for (int i = 0; i < 57; ++i) lines += "TTITLE" + std::to_string(i) + "=Ch\xe9rie " + std::to_string(i + 1) + "\r\n";
  CddbReadResult read = ParseReadResponse(CddbTextAsUtf8(Entry(lines)));
  ASSERT_EQ(read.trackTitles.size(), 57u);
  EXPECT_EQ(read.trackTitles[56], "Chérie 57");
  EXPECT_EQ(SplitDiscTitle(read.discTitle).second, "Café del Mar");
  EXPECT_FALSE(read.revisionFound);
}

TEST(CddbQuery, OnlyAnEntryReplyFillsTheRead) {
  for (const char* reply : {"401 rock 7a0a4a09 No such CD entry in database.\r\n", "402 Server error.\r\n", "garbage"}) {
    CddbReadResult read = ParseReadResponse(reply);
    EXPECT_FALSE(read.hasEntry) << reply;
    EXPECT_TRUE(read.trackTitles.empty());
    EXPECT_FALSE(read.revisionFound);
  }
  CddbReadResult empty = ParseReadResponse(Entry(""));
  EXPECT_TRUE(empty.hasEntry);
  EXPECT_EQ(empty.discTitle, "");
}

TEST(CddbQuery, DiscTitleSplit) {
  struct Case {
    const char* title;
    const char* artist;
    const char* album;
  } cases[] = {
      {"Artist / Album", "Artist", "Album"},       {"Artist/Album", "Artist", "Album"},
      {"/Album", "/Album", "/Album"},              {"Only Title ", "Only Title", "Only Title"},
      {"", "", ""},                                {"A / B / C", "A", "B / C"},
  };
  for (const Case& c : cases) {
    auto [artist, album] = SplitDiscTitle(c.title);
    EXPECT_EQ(artist, c.artist) << c.title;
    EXPECT_EQ(album, c.album) << c.title;
  }
}

}  // namespace
}  // namespace sonvarek
