// ScreensTest.cpp - the manager's screens in-process with more rows than the menu list holds: every
// TAP of a long master list and every TAP without a package reached key by key, the grouped
// overview, and long texts wrapped by their width without splitting a character.
#include "Golden.h"
#include "Manager.h"
#include "ManagerSim.h"
#include "osd/Osd.h"

namespace manager_test {
namespace {

class ScreensTest : public ManagerSim {
 protected:
  void SetUp() override {
    ManagerSim::SetUp();
    ASSERT_TRUE(installStandardFonts());
    SettingsDefault();
    MenuStateReset();
  }
  void TearDown() override {
    ManagerStop();
    ManagerSim::TearDown();
  }
  // The screen row under the cursor after each key, first the row the screen opens on.
  static std::vector<int> Walk(dword key, int presses) {
    std::vector<int> rows{ManagerWindowRow(OSDMenuGetCurrentItem())};
    for (int i = 0; i < presses; i++) {
      ManagerEvent(EVT_KEY, key, 0);
      rows.push_back(ManagerWindowRow(OSDMenuGetCurrentItem()));
    }
    return rows;
  }
  // A package of one version with a screenshot (bytes as stored) and an English description.
  void ShotPackage(uint32_t id, const std::string &shot, const char *description) {
    package(id, {{"1.0", 1000, DM_Final}});
    char name[16];
    snprintf(name, sizeof name, "%08X.vpd", id);
    tVPD vpd{};
    ASSERT_TRUE(VPDLoad(&vpd, name));
    vpd.ScreenShotSize = static_cast<int>(shot.size());
    vpd.Screenshot = static_cast<byte *>(TAP_MemAlloc(shot.size() + 1));
    memcpy(vpd.Screenshot, shot.data(), shot.size());
    StringSet(&vpd.EN_Description, description);
    ASSERT_TRUE(VPDSave(&vpd, name));
    VPDFree(&vpd);
  }
  // A 240 x 120 picture in three bands, as "vdtool publish" stores one.
  static std::string Picture() {
    std::string b = "KGR1";
    b += std::string("\xF0\x00\x78\x00", 4);
    for (int y = 0; y < 120; y++) {
      const char *colour = y < 40 ? "\x30\x60\xE0\xFF" : y < 80 ? "\xF0\xF0\xF0\xFF" : "\x20\xC0\x40\xFF";
      b += '\xFF' + std::string(colour, 4) + '\xEF' + std::string(colour, 4);  // 128 + 112 pixels
    }
    return b;
  }
  static std::string CursorText() { return Menu[CurrentMenuLevel].Items[OSDMenuGetCurrentItem()].Text; }
};

// 75 TAPs: down reaches each one and then the options, page down and up
// come back, and OK opens the TAP under the cursor, wherever it lies.
TEST_F(ScreensTest, TheOverviewReachesEveryTapOfALongList) {
  const int count = 75;
  for (int i = 0; i < count; i++) master(0x10000 + i, ("TAP " + std::to_string(i)).c_str());
  ManagerRefreshCache();
  ManagerMenuOpen();
  std::vector<int> rows = Walk(RKEY_Down, count + 3);
  for (int i = 0; i <= count + 1; i++) EXPECT_EQ(i, rows[i]) << "down, step " << i;
  EXPECT_EQ(count + 1, rows.back()) << "the last row stops the cursor";
  EXPECT_EQ("Alpha password", CursorText());
  std::vector<int> up = Walk(RKEY_Rewind, 12);
  EXPECT_EQ(0, up.back()) << "page up comes back to the first TAP";
  EXPECT_EQ("TAP 0", CursorText());
  for (int step : {40, 33}) {
    for (int i = 0; i < step; i++) ManagerEvent(EVT_KEY, RKEY_Down, 0);
    int row = ManagerWindowRow(OSDMenuGetCurrentItem());
    EXPECT_EQ("TAP " + std::to_string(row), CursorText());
    ManagerEvent(EVT_KEY, RKEY_Ok, 0);
    EXPECT_EQ(MS_VersionList, MenuStateStack[0]);
    EXPECT_STREQ(("TAP " + std::to_string(row)).c_str(), Menu[1].Title);
    ManagerEvent(EVT_KEY, RKEY_Exit, 0);
    EXPECT_EQ(row, ManagerWindowRow(OSDMenuGetCurrentItem())) << "back on the TAP that was opened";
  }
}

// Grouped by author or category: a header before each group that the
// cursor skips, the groups sorted, the list order within a group, and the
// TAPs on the disk without a package in a group of their own.
TEST_F(ScreensTest, GroupingSortsTheTapsUnderHeaders) {
  struct Entry {
    const char *name, *author;
    dword category;
  } entries[] = {{"Tool B", "zed", 4}, {"Tool A", "Ann", 9}, {"Tool C", nullptr, 4}, {"Tool D", "ann", 1}};
  for (const Entry &e : entries) {
    tMasterList &m = master(0x2000 + e.category * 16 + (dword)strlen(e.author ? e.author : ""), e.name);
    StringSet(&m.Author, e.author);
    m.Category = e.category;
  }
  installed(0x7777);
  ManagerRefreshCache();
  struct Case {
    tOverviewWindowMode mode;
    std::vector<std::string> rows;
  } cases[] = {
      {OWM_Linear, {"Tool B", "Tool A", "Tool C", "Tool D", "Template TAP"}},
      {OWM_Category,
       {"# Category 1", "Tool D", "# Category 4", "Tool B", "Tool C", "# Category 9", "Tool A",
        "# Without package", "Template TAP"}},
      {OWM_Author,
       {"# Unknown author", "Tool C", "# Ann", "Tool A", "Tool D", "# zed", "Tool B", "# Without package",
        "Template TAP"}},
  };
  for (const Case &c : cases) {
    Settings.OverviewWindowMode = c.mode;
    ManagerMenuOpen();
    std::vector<std::string> rows;
    for (int i = 0; i < Menu[0].NrItems - 2; i++) {
      const tMenuItem &item = Menu[0].Items[i];
      rows.push_back((item.Selectable ? "" : "# ") + std::string(item.Text));
    }
    EXPECT_EQ(c.rows, rows) << "mode " << c.mode;
    EXPECT_EQ(c.mode == OWM_Linear ? 0 : 1, OSDMenuGetCurrentItem()) << "the cursor starts on the first TAP";
    ManagerEvent(EVT_KEY, RKEY_Exit, 0);
  }
}

// Lines never wider than the memo nor longer than an item, broken at
// blanks where there are any, never inside a UTF-8 character; the text
// comes back whole from its lines.
TEST_F(ScreensTest, LongTextsWrapByWidthAtWordsAndWholeCharacters) {
  OSDMenuLoadStdFonts();
  std::string words, umlauts, cyrillic(400, 'x');
  for (int i = 0; i < 60; i++) words += (i > 0 ? " word" : "word") + std::to_string(i);
  for (int i = 0; i < 90; i++) umlauts += "\xC3\xBC";                    // ü without a blank
  for (int i = 0; i < 200; i++) cyrillic.replace(2 * i, 2, "\xD0\x96");  // Ж
  struct Case {
    const char *what;
    std::string text;
    bool blanksOnly;  // every break lies at a blank
    int lines;        // -1: any number
  } cases[] = {
      {"words", words, true, -1},
      {"one long word of two-byte characters", umlauts, false, -1},
      {"wide characters, more bytes than an item holds", cyrillic, false, -1},
      {"line ends", "first\r\nsecond\n\nfourth", true, 4},
  };
  for (const Case &c : cases) {
    tManagerText t{};
    ASSERT_TRUE(ManagerTextWrap(&t, c.text.c_str(), &OSDMenuFont_14, 566, MANAGER_TEXT_SIZE - 1)) << c.what;
    if (c.lines >= 0) {
      EXPECT_EQ(c.lines, t.NrLines) << c.what;
    }
    EXPECT_GT(t.NrLines, 1) << c.what;
    std::string joined;
    for (int i = 0; i < t.NrLines; i++) {
      char line[MANAGER_TEXT_SIZE];
      ManagerTextLine(&t, i, line, sizeof line);
      EXPECT_LE(FMUC_GetStringWidth(line, &OSDMenuFont_14), 566u) << c.what << " line " << i;
      byte bytes = 0;
      for (const char *p = line; *p != '\0'; p += bytes) {
        bool whole = isUTF8Char(reinterpret_cast<const byte *>(p), &bytes);
        ASSERT_TRUE(whole || static_cast<byte>(*p) < 0x80) << c.what << ": a character split at line " << i;
      }
      bool blank = t.Lines[i].Start > 0 && t.Text[t.Lines[i].Start - 1] == ' ';
      if (i > 0 && c.blanksOnly && c.lines < 0) {
        EXPECT_TRUE(blank) << c.what << " line " << i;
      }
      joined += (i > 0 && blank ? " " : "") + std::string(line);
    }
    if (c.lines < 0) {
      EXPECT_EQ(c.text, joined) << c.what;
    }
    ManagerTextFree(&t);
  }
}

// Blue shows the screenshot, or says why there is none; green the description, wrapped.
TEST_F(ScreensTest, ScreenshotAndDescriptionScreens) {
  std::string notes;
  for (int i = 0; i < 80; i++) notes += "The timer list keeps its place when a recording starts. ";
  struct Case {
    const char *what, *golden;
    std::string shot;
    const char *line;  // the memo's first line; "" none
  } cases[] = {
      {"a picture", "manager_screenshot", Picture(), ""},
      {"damaged", "manager_screenshot_damaged", Picture().substr(0, 100), "The screenshot cannot be shown."},
      {"none", nullptr, "", "This package has no screenshot."},
  };
  uint32_t id = 0xD4000000;
  for (const Case &c : cases) {
    ShotPackage(++id, c.shot, notes.c_str());
    master(id, "Shot Tool", 5000);
  }
  ManagerRefreshCache();
  ManagerMenuOpen();
  for (int i = 0; i < 3; i++) {
    const Case &c = cases[i];
    ManagerMenuOpen();
    for (int k = 0; k < i; k++) ManagerEvent(EVT_KEY, RKEY_Down, 0);
    ManagerEvent(EVT_KEY, RKEY_Ok, 0);
    ManagerEvent(EVT_KEY, RKEY_Blue, 0);
    ASSERT_EQ(MS_Screenshot, MenuStateStack[0]) << c.what;
    EXPECT_EQ(c.line, std::string(Menu[2].NrItems > 0 ? Menu[2].Items[0].Text : "")) << c.what;
    if (c.golden != nullptr) {
      EXPECT_TRUE(osdtest::MatchesGolden(c.golden, pvrsim::osd::visibleScreen(), "tests/manager/golden"));
    }
    ManagerEvent(EVT_KEY, RKEY_Exit, 0);
    EXPECT_EQ(MS_VersionList, MenuStateStack[0]) << c.what;
  }
  ManagerEvent(EVT_KEY, RKEY_Green, 0);
  ASSERT_EQ(MS_Description, MenuStateStack[0]);
  EXPECT_TRUE(
      osdtest::MatchesGolden("manager_description", pvrsim::osd::visibleScreen(), "tests/manager/golden"));
  std::vector<int> lines = Walk(RKEY_Down, 300);
  int last = lines.back();
  EXPECT_GT(last, 30) << "the description scrolls past the menu's 30 items";
  std::string end = CursorText();
  EXPECT_EQ("starts. ", end.substr(end.size() - 8)) << "the last line of the text";
  EXPECT_EQ(last + 1, ManagerWindowRowCount()) << "down reaches the last line";
}

// A translated format is used only with the English text's conversions.
TEST_F(ScreensTest, TranslatedFormatsKeepTheirConversions) {
  struct Case {
    const char *line, *category, *count;
  } cases[] = {
      {"en_105=Sorte %u\r\nen_119=%d aus %d\r\n", "Sorte %u", "%d aus %d"},
      {"en_105=Sorte %s\r\nen_119=%d aus\r\n", "Category %u", "%d of %d"},
      {"en_105=Sorte %u %u\r\nen_119=%n%d\r\n", "Category %u", "%d of %d"},
  };
  for (const Case &c : cases) {
    putSetting("Vantero.lng", std::string("#English\r\nen_104=Ohne\r\n") + c.line);
    ASSERT_NE(INI_NotFound, LangLoadStrings("Vantero.lng", MANAGER_LANG_TEXTS, 0, MANAGER_PROGRAM_NAME));
    EXPECT_STREQ("Ohne", ManagerText(MT_WithoutPackage));
    EXPECT_STREQ(c.category, ManagerFormat(MT_CategoryN)) << c.line;
    EXPECT_STREQ(c.count, ManagerFormat(MT_CountOf)) << c.line;
    LangUnloadStrings();
  }
}

// The description in the OSD language, else the other one; none when both are empty.
TEST_F(ScreensTest, TheDescriptionFollowsTheOsdLanguage) {
  struct Case {
    const char *de, *en;
    bool german;
    const char *shown;
  } cases[] = {{"Deutsch", "English", true, "Deutsch"},
               {"Deutsch", "English", false, "English"},
               {nullptr, "English", true, "English"},
               {"Deutsch", "", false, "Deutsch"},
               {"", nullptr, true, nullptr}};
  for (const Case &c : cases) {
    tVPD vpd{};
    StringSet(&vpd.DE_Description, c.de);
    StringSet(&vpd.EN_Description, c.en);
    const char *shown = ManagerDescription(&vpd, c.german);
    EXPECT_STREQ(c.shown, shown) << (c.de ? c.de : "null") << " / " << (c.en ? c.en : "null") << " "
                                 << c.german;
    VPDFree(&vpd);
  }
}

}  // namespace
}  // namespace manager_test
