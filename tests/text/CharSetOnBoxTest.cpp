// CharSetOnBoxTest.cpp - character-set functions that need the firmware: the library log lines for
// characters left out, and the one-time UTF-8 firmware check.
#include <fstream>
#include <iterator>
#include <string>

#include "TextOnBox.h"
#include "box/Box.h"

TEST_F(TextOnBox, IgnoredCharactersAreLogged) {
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Kalib.log", "");  // the library log is written only when present
  char dest[32];
  StrToISO(
      "a\xE2\x82\xAC"
      "b",
      dest);
  EXPECT_STREQ(dest, "ab");
  EXPECT_NE(sim_->consoleText().find("StrToISO: character 0x20ac ignored"), std::string::npos)
      << sim_->consoleText();
  std::ifstream log(sim_->hostPath("/ProgramFiles/Settings/Kalib.log"));
  std::string logText((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(logText.find("StrToISO: character 0x20ac ignored\r\n"), std::string::npos) << logText;

  EXPECT_TRUE(StrToUTF8("\xC2x", dest, 0));
  EXPECT_STREQ(dest, "");
  EXPECT_NE(sim_->consoleText().find("StrToUTF8: ISO6937 diacritical char c2 78 has been ignored"),
            std::string::npos)
      << sim_->consoleText();
}

TEST_F(TextOnBox, UtfFirmwareIsAskedOnce) {
  Boot(kGerman);
  const std::string symbol = "_Z26Appl_ConvertToValidUTF8StrPhi";
  pvrsim::box::resetLookupCounts();
  EXPECT_TRUE(isUTFToppy());
  EXPECT_TRUE(isUTFToppy());
  EXPECT_EQ(pvrsim::box::lookupCount(symbol), 1);
}

TEST_F(TextOnBox, OldFirmwareIsAskedOnceToo) {
  // Without the routine the firmware is not UTF-8; the missing answer is
  // remembered as well (the accessor alone would look again every time).
  Boot(kGerman, false);
  const std::string symbol = "_Z26Appl_ConvertToValidUTF8StrPhi";
  pvrsim::box::resetLookupCounts();
  EXPECT_FALSE(isUTFToppy());
  EXPECT_FALSE(isUTFToppy());
  EXPECT_FALSE(isUTFToppy());
  EXPECT_EQ(pvrsim::box::lookupCount(symbol), 1);
}
