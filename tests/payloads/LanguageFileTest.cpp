// LanguageFileTest.cpp - the shipped language file: its byte format, the texts the installer shows,
// and loading it on the box in each of its languages.
#include <map>

#include "PayloadSim.h"
#include "Setup.h"

namespace payloads {
namespace {

// The file's lines without their CR LF; fails when a line ends otherwise.
std::vector<std::string> crlfLines(const std::string &data) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find("\r\n", start);
    EXPECT_NE(std::string::npos, end) << "last line has no CR LF";
    if (end == std::string::npos) break;
    std::string line = data.substr(start, end - start);
    EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

TEST(LanguageFile, IsLatin1WithCrLfAndThreeFullBlocks) {
  std::vector<std::string> lines = crlfLines(readHostFile(payloadFile("Vantero.lng")));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ('#', lines[0][0]);
  for (const char *code : {"=de", "=en", "=nl"}) EXPECT_NE(std::string::npos, lines[0].find(code)) << code;

  std::vector<std::string> headers;
  std::map<std::string, int> counts;
  std::string block;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string &line = lines[i];
    if (line.empty()) continue;
    if (line[0] == '#') {
      headers.push_back(block = line);
      continue;
    }
    std::string prefix = block == "#Deutsch" ? "de_" : block == "#English" ? "en_" : "nl_";
    char key[8];
    std::snprintf(key, sizeof key, "%s%03d=", prefix.c_str(), counts[prefix]++);
    EXPECT_EQ(0u, line.rfind(key, 0)) << line;
    EXPECT_LE(line.size() - 7, 199u) << line;
  }
  EXPECT_EQ((std::vector<std::string>{"#Deutsch", "#English", "#Nederlands"}), headers);
  // The installer's 104 texts, then the manager's own 42.
  for (const char *prefix : {"de_", "en_", "nl_"}) EXPECT_EQ(151, counts[prefix]) << prefix;
}

class LanguageOnBox : public PayloadSim {
 protected:
  // Installs the file as the installer does and loads it in the menu language.
  void load(int osdLanguage) {
    options.osdLanguage = osdLanguage;
    restartSim();
    fs::create_directories(disk("/ProgramFiles/Settings/Vantero"));
    InstallLanguage();
    ASSERT_EQ(INI_CurrentDir, LangLoadStrings("Vantero.lng", 104, 0, "Vantero Setup"));
  }
  void TearDown() override {
    LangUnloadStrings();
    PayloadSim::TearDown();
  }
};

TEST_F(LanguageOnBox, EnglishHasTheInstallerTextsAsWritten) {
  load(0);
  const std::map<int, std::string> texts = {{2, "Cancel"},
                                            {18, "Please enter the password"},
                                            {19, "Check AutoStart"},
                                            {20, "Updating DB"},
                                            {22, "Searching for files"},
                                            {25, "Uninstall"},
                                            {38, "Ready"},
                                            {43, "Yes"},
                                            {48, "No"},
                                            {50, "OK"},
                                            {62, "Settings folder"},
                                            {68, "Installing TAP"},
                                            {69, "TAP not found"},
                                            {70, "Launch TAP via AutoStart?"},
                                            {71, "Stopping TAP"},
                                            {77, "Launching Vantero"},
                                            {78, "Stopping Vantero"},
                                            {83, "Moving"},
                                            {86, "Installing busybox"},
                                            {89, "Installing wget"}};
  for (const auto &[number, text] : texts) EXPECT_EQ(text, LangGetString(number)) << number;
  for (dword i = 0; i < 104; ++i) EXPECT_STRNE("", LangGetString(i)) << i;
}

TEST_F(LanguageOnBox, GermanAndDutchAreTranslatedInLatin1) {
  load(2);
  EXPECT_EQ(
      "AutoStart pr\xFC"
      "fen",
      std::string(LangGetString(19)));
  EXPECT_EQ("Ja", std::string(LangGetString(43)));
  EXPECT_EQ(
      "Gr\xF6\xDF"
      "e",
      std::string(LangGetString(53)));
  LangUnloadStrings();
  load(11);
  EXPECT_EQ("TAP via AutoStart starten?", std::string(LangGetString(70)));
  EXPECT_EQ("Nee", std::string(LangGetString(48)));
  EXPECT_EQ("Categorie\xEBn", std::string(LangGetString(46)));
  // No text is left to the English fallback.
  for (int language : {2, 11}) {
    LangUnloadStrings();
    load(language);
    int sameAsEnglish = 0;
    std::vector<std::string> translated;
    for (dword i = 0; i < 104; ++i) translated.push_back(LangGetString(i));
    LangUnloadStrings();
    load(0);
    for (dword i = 0; i < 104; ++i) sameAsEnglish += translated[i] == LangGetString(i);
    EXPECT_LT(sameAsEnglish, 20) << language;  // words like "OK", "Server", "Details" stay
  }
}

}  // namespace
}  // namespace payloads
