// LangStringsTest.cpp - language files on a simulated box: menu language and fallback, the value
// rules of hand-edited files (escapes, comments, case, length, line ends),
// limits, and the INI state and working directory around a load.
#include <string>
#include <vector>

#include "TextOnBox.h"

namespace {

// Three blocks as the shipped file has them; text 2 exists only in English,
// text 3 nowhere, text 4 is empty in German.
const char kThreeLanguages[] =
    "# Languages: de en nl\r\n"
    "#Deutsch\r\nde_000=Ja\r\nde_001=Nein\r\nde_004=\r\n"
    "#English\r\nen_000=Yes\r\nen_001=No\r\nen_002=Only English\r\nen_004=Empty in German\r\n"
    "#Nederlands\r\nnl_000=Ja\r\nnl_001=Nee\r\n";

std::string Text(dword nr) { return LangGetString(nr); }

}  // namespace

TEST_F(TextOnBox, GermanWithEnglishFallback) {
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Test.lng", kThreeLanguages);
  EXPECT_EQ(LangLoadStrings("Test.lng", 6, kEnglish, "Test"), INI_SettingsDir);
  EXPECT_EQ(LangNrStrings, 6u);
  EXPECT_EQ(Text(0), "Ja");
  EXPECT_EQ(Text(1), "Nein");
  EXPECT_EQ(Text(2), "Only English");
  EXPECT_EQ(Text(3), "");
  EXPECT_EQ(Text(4), "Empty in German");
  EXPECT_EQ(Text(6), "");  // beyond the count
}

TEST_F(TextOnBox, EnglishAndDutchMenus) {
  Boot(kDutch);
  writeFile("/ProgramFiles/Settings/Test.lng", kThreeLanguages);
  ASSERT_EQ(LangLoadStrings("Test.lng", 3, kEnglish, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(1), "Nee");
  EXPECT_EQ(Text(2), "Only English");

  sim_.reset();
  Boot(kEnglish);
  writeFile("/ProgramFiles/Settings/Test.lng", kThreeLanguages);
  ASSERT_EQ(LangLoadStrings("Test.lng", 3, kEnglish, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(1), "No");
}

TEST_F(TextOnBox, NoFallbackLeavesGapsEmpty) {
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Test.lng", kThreeLanguages);
  ASSERT_EQ(LangLoadStrings("Test.lng", 3, -1, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(0), "Ja");
  EXPECT_EQ(Text(2), "");
}

TEST_F(TextOnBox, HandEditedValues) {
  Boot(kGerman);
  std::string file =
      "de_000=a\\nb\\rc\r\n"
      "de_001=C:\\temp\\\r\n"
      "de_002=" +
      std::string(250, 'x') +
      "\r\n"
      "DE_003=upper case key\r\n"
      "#de_004=commented\r\n"
      ";de_005=commented too\r\n"
      "# de_004=blank behind the hash\r\n"
      "de_006=two \\\\n\r\n"
      "de_007=last line without line end";
  writeFile("/ProgramFiles/Settings/Test.lng", file);
  ASSERT_EQ(LangLoadStrings("Test.lng", 8, -1, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(0), "a\nb\rc");
  EXPECT_EQ(Text(1), "C:\\temp\\");
  EXPECT_EQ(Text(2), std::string(199, 'x'));
  EXPECT_EQ(Text(3), "upper case key");
  EXPECT_EQ(Text(4), "blank behind the hash");
  EXPECT_EQ(Text(5), "");
  EXPECT_EQ(Text(6), "two \\\n");
  EXPECT_EQ(Text(7), "last line without line end");
  // The texts are packed in number order into one block.
  EXPECT_EQ(LangGetString(1), LangGetString(0) + 6);
}

TEST_F(TextOnBox, EveryTextIsWhatTheIniReaderFindsForItsKey) {
  // Files where a key stands where a line-by-line reader would not look;
  // each text must be what INIGetString gives for its key (German, else
  // English).  Notes: where the keys stand, and text 1000 needs four digits.
  const std::string files[] = {
      "de_000=at the very start, with de_001=inside a value\r\nde_001=own line\r\n"
      "xde_002=glued to a word\r\n#de_003=no\r\n;de_003=no\r\nDe_003=yes\r\nDE_004=upper\r\n"
      "de_005=first\r\nde_005=second\r\nde_06=two digits\r\nde_0006=four\r\nde_006=three\r\n"
      "en_007=only English\r\nde_008=\r\nen_008=German empty\r\nde_de_009=doubled\r\n"
      "#de_010=x de_010=behind a commented one\rde_011=cr\nen_012=lf\n"
      "a;de_013=after a semicolon\r\nde_1000=thousand\r\nde_01000=no\r\nEN_999=last\r\n"
      "de_014=before a zero byte" +
          std::string(1, '\0') + "de_015=behind it\r\n",
      "\x1F\x01"
      "de_000=behind a selector\r\nde_001=x",
      "\x05#de_000=the selector is no comment sign\r\n",
      "\x10\x41"
      "de_000=its key begins inside the selector\r\nde_000=found",
      "",
  };
  for (const std::string &file : files) {
    SCOPED_TRACE(file.substr(0, 40));
    Boot(kGerman);
    writeFile("/ProgramFiles/Settings/Keys.lng", file);
    const dword count = 1001;
    ASSERT_EQ(LangLoadStrings("Keys.lng", count, kEnglish, "Test"), INI_SettingsDir);
    std::vector<std::string> texts;
    for (dword i = 0; i < count; i++) texts.push_back(Text(i));
    LangUnloadStrings();
    if (&file == &files[0]) {
      EXPECT_EQ(texts[1], "inside a value");
      EXPECT_EQ(texts[3], "yes");
      EXPECT_EQ(texts[6], "three");
      EXPECT_EQ(texts[1000], "thousand");
      EXPECT_EQ(texts[15], "");
    }

    ASSERT_EQ(INIOpenFile("Keys.lng", "Test"), INI_SettingsDir);
    for (dword i = 0; i < count; i++) {
      char key[16], value[200];
      snprintf(key, sizeof(key), "de_%3.3u", (unsigned)i);
      INIGetString(key, value, "", sizeof(value));
      if (!value[0]) {
        snprintf(key, sizeof(key), "en_%3.3u", (unsigned)i);
        INIGetString(key, value, "", sizeof(value));
      }
      ASSERT_EQ(texts[i], value) << "text " << i;
    }
    INICloseFile();
    sim_.reset();
  }
}

TEST_F(TextOnBox, LineEndsLfCrAndMixed) {
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Lf.lng", "de_000=lf\nde_001=only\n");
  ASSERT_EQ(LangLoadStrings("Lf.lng", 2, -1, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(0), "lf");
  EXPECT_EQ(Text(1), "only");

  writeFile("/ProgramFiles/Settings/Cr.lng", "de_000=cr\rde_001=only\r");
  ASSERT_EQ(LangLoadStrings("Cr.lng", 2, -1, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(0), "cr");
  EXPECT_EQ(Text(1), "only");

  // A CR-only line before LF lines ends at its CR, not at the next LF.
  writeFile("/ProgramFiles/Settings/Mixed.lng", "de_000=cr\rde_001=lf\nde_002=crlf\r\n");
  ASSERT_EQ(LangLoadStrings("Mixed.lng", 3, -1, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(0), "cr");
  EXPECT_EQ(Text(1), "lf");
  EXPECT_EQ(Text(2), "crlf");
}

TEST_F(TextOnBox, EmptyFileLoadsEmptyTexts) {
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Empty.lng", "");
  EXPECT_EQ(LangLoadStrings("Empty.lng", 3, kEnglish, "Test"), INI_SettingsDir);
  EXPECT_EQ(LangNrStrings, 3u);
  EXPECT_EQ(Text(0), "");
}

TEST_F(TextOnBox, LargeFileWithKeysAtItsEnd) {
  Boot(kGerman);
  std::string file;
  std::string filler = "# " + std::string(76, '-') + "\n";
  while (file.size() < 4 * 1024 * 1024) file += filler;
  file += "de_000=found\nde_001=at the end";
  writeFile("/ProgramFiles/Settings/Big.lng", file);
  ASSERT_EQ(LangLoadStrings("Big.lng", 2, kEnglish, "Test"), INI_SettingsDir);
  EXPECT_EQ(Text(0), "found");
  EXPECT_EQ(Text(1), "at the end");
}

TEST_F(TextOnBox, RefusedLoadsLeaveNothingLoaded) {
  Boot(20);  // a menu language without a two-letter code
  writeFile("/ProgramFiles/Settings/Test.lng", kThreeLanguages);
  EXPECT_EQ(LangLoadStrings("Test.lng", 3, kEnglish, "Test"), INI_NotFound);
  EXPECT_EQ(Text(0), "");

  sim_.reset();
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Test.lng", kThreeLanguages);
  ASSERT_EQ(LangLoadStrings("Test.lng", 3, kEnglish, "Test"), INI_SettingsDir);
  EXPECT_EQ(LangLoadStrings("Test.lng", 3, 20, "Test"), INI_NotFound);  // unloads first
  EXPECT_EQ(Text(0), "");
  EXPECT_EQ(LangLoadStrings("Test.lng", 1000000, kEnglish, "Test"), INI_NotFound);
  EXPECT_EQ(LangLoadStrings("Missing.lng", 3, kEnglish, "Test"), INI_NotFound);
  EXPECT_EQ(LangNrStrings, 0u);
  EXPECT_EQ(CurrentDir(), "/DataFiles");
}

TEST_F(TextOnBox, LoadKeepsTheCallersIniFileAndFolder) {
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Test.lng", kThreeLanguages);
  writeFile("/DataFiles/Own.ini", "colour=blue\r\n");
  ASSERT_EQ(INIOpenFile("Own.ini", "Test"), INI_CurrentDir);
  char *ownBuffer = INIBuffer;

  ASSERT_EQ(LangLoadStrings("Test.lng", 2, kEnglish, "Test"), INI_SettingsDir);
  EXPECT_EQ(INIBuffer, ownBuffer);
  char value[16];
  EXPECT_TRUE(INIGetString("colour", value, "", sizeof(value)));
  EXPECT_STREQ(value, "blue");
  EXPECT_EQ(CurrentDir(), "/DataFiles");
  EXPECT_EQ(Text(0), "Ja");
}

TEST_F(TextOnBox, ShippedLanguageFileHasEveryInstallerText) {
  const std::string shipped = SHIPPED_LNG;  // built from payloads/Vantero.lng.utf8
  const dword installerTexts[] = {2,  18, 19, 20, 22, 25, 38, 43, 48, 50,
                                  62, 68, 69, 70, 71, 77, 78, 83, 86, 89};
  const size_t count = sizeof(installerTexts) / sizeof(installerTexts[0]);
  std::string english[count];
  for (int language : {kEnglish, kGerman, kDutch}) {
    sim_.reset();
    Boot(language);
    ASSERT_TRUE(sim_->copyToDisk(shipped, "/ProgramFiles/Settings/Vantero/Vantero.lng")) << sim_->lastError();
    // Without a fallback every text must come from the language's own block.
    ASSERT_EQ(LangLoadStrings("Vantero.lng", 104, -1, "Vantero"), INI_AppSettingsDir);
    size_t differentFromEnglish = 0;
    for (size_t i = 0; i < count; i++) {
      std::string text = Text(installerTexts[i]);
      EXPECT_FALSE(text.empty()) << "language " << language << ", text " << installerTexts[i];
      if (language == kEnglish) english[i] = text;
      if (text != english[i]) differentFromEnglish++;
    }
    // A few words ("OK", "AutoStart") read alike; most must not.
    if (language != kEnglish) {
      EXPECT_GT(differentFromEnglish, count / 2) << "language " << language;
    }
  }
}
