#include "core/proxy_password.h"

#include <gtest/gtest.h>

namespace sonvarek {
namespace {

TEST(ProxyPassword, RoundTripsAnyBytes) {
  const std::string passwords[] = {"", "a", "secret", "with blanks and = signs", "ünïcødé ☃", std::string(81, 'x'),
                                   std::string("\x7f\x80\xff", 3)};
  for (const std::string& password : passwords) {
    ProfileFile profile;
    SaveProxyPassword(profile, password);
    EXPECT_EQ(LoadProxyPassword(ProfileFile::Parse(profile.Text())), password);
  }
}

TEST(ProxyPassword, IsStoredScrambledUnderNumberedKeys) {
  ProfileFile profile;
  SaveProxyPassword(profile, "ab");
  // Length 2 scrambled: (-410 XOR 2) + 3672.
  EXPECT_EQ(profile.Find("CDDB", "Proxy000"), std::to_string((-410 ^ 2) + 3672));
  // 'a' at position 0: ('a' XOR 2142) + key byte 'Q' + 23676.
  EXPECT_EQ(profile.Find("CDDB", "Proxy001"), std::to_string(('a' ^ 2142) + 'Q' + 23676));
  EXPECT_TRUE(profile.Find("CDDB", "Proxy002").has_value());
  EXPECT_FALSE(profile.Find("CDDB", "Proxy003").has_value());
  EXPECT_EQ(profile.Text().find("ab"), std::string::npos);
}

TEST(ProxyPassword, KeepsAtMost81Bytes) {
  ProfileFile profile;
  std::string longPassword;
  for (int i = 0; i < 90; ++i) longPassword += static_cast<char>('A' + i % 26);
  SaveProxyPassword(profile, longPassword);
  EXPECT_EQ(LoadProxyPassword(profile), longPassword.substr(0, 81));
  EXPECT_TRUE(profile.Find("CDDB", "Proxy081").has_value());
  EXPECT_FALSE(profile.Find("CDDB", "Proxy082").has_value());

  // Never half a character: 40 two-byte characters and a third byte would end at 81.
  std::string accented;
  for (int i = 0; i < 41; ++i) accented += "\xC3\xA9";
  SaveProxyPassword(profile, "x" + accented);
  EXPECT_EQ(LoadProxyPassword(profile), "x" + accented.substr(0, 80));
}

TEST(ProxyPassword, AShorterPasswordHidesTheOldKeys) {
  ProfileFile profile;
  SaveProxyPassword(profile, "a much longer password");
  SaveProxyPassword(profile, "short");
  EXPECT_EQ(LoadProxyPassword(profile), "short");
  EXPECT_TRUE(profile.Find("CDDB", "Proxy020").has_value());  // left behind, as stored files expect
}

TEST(ProxyPassword, MissingOrDamagedKeysGiveAnEmptyOrShortPassword) {
  EXPECT_EQ(LoadProxyPassword(ProfileFile()), "");
  EXPECT_EQ(LoadProxyPassword(ProfileFile::Parse("[CDDB]\nProxy000=0\n")), "");
  EXPECT_EQ(LoadProxyPassword(ProfileFile::Parse("[CDDB]\nProxy000=garbage\n")), "");
  ProfileFile profile;
  SaveProxyPassword(profile, "abcdef");
  profile.RemoveKey("CDDB", "Proxy004");
  EXPECT_EQ(LoadProxyPassword(profile), "abc");
  ProfileFile huge = ProfileFile::Parse("[CDDB]\nProxy000=-2000000000\n");
  EXPECT_LE(LoadProxyPassword(huge).size(), 81u);
}

}  // namespace
}  // namespace sonvarek
