// ManagerMenu.cpp - the manager's screens, built on the toolkit's menu
// list: the overview of the known TAPs (level 0), a TAP's version list and
// the options page (level 1) and a version's release notes in memo mode
// (level 2).  Each screen is built anew when it is shown, so it always
// reflects the cache and the settings.
#include <stdio.h>
#include <string.h>

#include "Graphics.h"
#include "Manager.h"

#define COLOUR_HEADER 0xFFE89211u
#define NOTES_LINE_CHARS 72  // release notes are wrapped at word ends to this width

static int OverviewEntries[MANAGER_OVERVIEW_TAPS];  // master-list index of each TAP row
static int OverviewCount = 0;
static int VersionEntries[MENU_MAX_ITEMS];  // cache index of each version row
static int VersionCount = 0;
static int VersionListTAP = -1;  // master-list index of the version list shown

static const char *const GroupingNames[] = {"linear", "by category", "by author", "off"};

int ManagerOverviewEntry(int item) { return item >= 0 && item < OverviewCount ? OverviewEntries[item] : -1; }
int ManagerVersionEntry(int item) { return item >= 0 && item < VersionCount ? VersionEntries[item] : -1; }

typedef struct {
  dword Line;
  const TYPE_GrData *Key;
  const char *Caption;
} tHint;

static void Open(int level, bool valueColumn, const char *title, const char *subTitle, const tHint *hints,
                 int nrHints) {
  OSDMenuSetMenuLevel(level);
  OSDMenuInitialize(FALSE, valueColumn, FALSE, FALSE, title, subTitle);
  for (int i = 0; i < nrHints; i++) OSDMenuButtonAdd(hints[i].Line, hints[i].Key, hints[i].Caption);
}

// Puts the cursor on item, or on the first selectable item when item cannot take it.
static void Show(int item) {
  int count = Menu[CurrentMenuLevel].NrItems;
  if (item < 0 || item >= count || !Menu[CurrentMenuLevel].Items[item].Selectable) {
    item = OSDMenuFindNextSelectableEntry(-1);
    if (item < 0) item = 0;
  }
  OSDMenuSetCurrentItem(item);
  OSDMenuUpdate(FALSE);
}

static void ShowOverview(int item) {
  char subTitle[64], text[MANAGER_TEXT_SIZE], value[MANAGER_TEXT_SIZE];
  snprintf(subTitle, sizeof subTitle, "%d TAPs, %d versions", Settings.NrOfMasterListEntries, TAPCacheSize);
  static const tHint hints[] = {{0, &_Button_ok_Gd, "Open"},
                                {0, &_Button_exit_Gd, "Close"},
                                {0, &_Button_up_Gd, ""},
                                {0, &_Button_down_Gd, "Move"}};
  Open(0, TRUE, "Vantero update manager", subTitle, hints, 4);
  Menu[0].ValueColumnX = 300;
  OverviewCount = 0;
  for (int i = 0; i < Settings.NrOfMasterListEntries && Settings.MasterList != nullptr; i++) {
    if (OverviewCount == MANAGER_OVERVIEW_TAPS) break;
    dword colour = ManagerOverviewRow(&Settings.MasterList[i], text, value);
    int row = OSDMenuItemAdd(text, value, nullptr, nullptr, TRUE, FALSE, 0);
    OSDMenuItemSetTextColor(row, colour);
    OverviewEntries[OverviewCount++] = i;
  }
  if (OverviewCount == 0) OSDMenuItemAdd("No TAPs known yet", "", nullptr, nullptr, FALSE, FALSE, 0);
  OSDMenuItemAdd("Options", "", &_Button_option_Gd, nullptr, TRUE, FALSE, 0);
  char passwords[32];
  snprintf(passwords, sizeof passwords, SettingsUnsaved ? "%d entered, NOT SAVED" : "%d entered",
           Settings.NrOfAlphaPasswords);
  OSDMenuItemAdd("Alpha password", passwords, &_Button_0_Gd, nullptr, TRUE, FALSE, 0);
  Show(item);
}

static void ShowVersions(int masterIndex, int item) {
  VersionListTAP = masterIndex;
  const tMasterList *m = &Settings.MasterList[masterIndex];
  static const tHint hints[] = {{0, &_Button_ok_Gd, "Release notes"}, {0, &_Button_exit_Gd, "Back"}};
  Open(1, TRUE, m->Name != nullptr ? m->Name : "?", "Versions", hints, 2);
  Menu[1].ValueColumnX = 260;
  VersionCount = 0;
  char text[MANAGER_TEXT_SIZE], value[MANAGER_TEXT_SIZE];
  for (int i = 0; i < TAPCacheSize && VersionCount < MENU_MAX_ITEMS; i++) {
    if (TAPCache[i].MasterList != m || !TAPCache[i].isVisible) continue;
    ManagerVersionRow(&TAPCache[i], text, value);
    OSDMenuItemAdd(text, value, nullptr, nullptr, TRUE, FALSE, 0);
    VersionEntries[VersionCount++] = i;
  }
  if (VersionCount == 0) OSDMenuItemAdd("No version to show", "", nullptr, nullptr, FALSE, FALSE, 0);
  Show(item);
}

// Adds the release notes as memo lines, wrapped at word ends.
static void AddNoteLines(const char *notes) {
  char line[NOTES_LINE_CHARS + 1];
  const char *p = notes;
  while (*p != '\0' && Menu[2].NrItems < MENU_MAX_ITEMS) {
    size_t length = strcspn(p, "\r\n");
    size_t take = length;
    if (take > NOTES_LINE_CHARS) {
      take = NOTES_LINE_CHARS;
      while (take > NOTES_LINE_CHARS / 2 && p[take] != ' ') take--;
      if (p[take] != ' ') take = NOTES_LINE_CHARS;
    }
    memcpy(line, p, take);
    line[take] = '\0';
    OSDMenuItemAdd(line, "", nullptr, nullptr, TRUE, FALSE, 0);
    p += take;
    if (take < length && *p == ' ')
      p++;
    else if (take == length && *p == '\r')
      p += p[1] == '\n' ? 2 : 1;
    else if (take == length && *p == '\n')
      p++;
  }
}

static void ShowReleaseNotes(int cacheIndex) {
  const tTAPCache *e = &TAPCache[cacheIndex];
  char title[MENU_TEXT_BYTES];
  snprintf(title, sizeof title, "%s %s", e->MasterList->Name != nullptr ? e->MasterList->Name : "?",
           e->Version != nullptr ? e->Version : "");
  static const tHint hints[] = {
      {0, &_Button_exit_Gd, "Back"}, {0, &_Button_up_Gd, ""}, {0, &_Button_down_Gd, "Scroll"}};
  Open(2, FALSE, title, "Release notes", hints, 3);
  OSDMenuSetDisplayMode(MD_Memo);
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  const char *notes = nullptr;
  if (VPDLoadStd(&vpd, e->TAPID) && e->VPDVersionIndex < vpd.NrOfVersions)
    notes = vpd.Versions[e->VPDVersionIndex].ReleaseNotes;
  AddNoteLines(notes != nullptr && notes[0] != '\0' ? notes : "No release notes.");
  VPDFree(&vpd);
  OSDMenuUpdate(FALSE);
}

enum { OI_Beta, OI_InstallerTest, OI_AutoUpdate, OI_StartupDelay, OI_Grouping, OI_ServerQuery, OI_Passwords };

static void ShowOptions(int item) {
  static const tHint hints[] = {
      {0, &_Button_left_Gd, ""}, {0, &_Button_right_Gd, "Change"}, {0, &_Button_exit_Gd, "Back"}};
  Open(1, TRUE, "Options", SettingsUnsaved ? "NOT SAVED: see Vantero.log" : "Saved at once", hints, 3);
  OSDMenuSetClientLeftRight(TRUE);
  Menu[1].ValueColumnX = 420;
  char delay[32], passwords[32];
  snprintf(delay, sizeof delay, "%u s", (unsigned)Settings.StartupDelay);
  snprintf(passwords, sizeof passwords, "%d", Settings.NrOfAlphaPasswords);
  dword grouping = (dword)Settings.OverviewWindowMode < OWM_LAST ? Settings.OverviewWindowMode : OWM_Linear;
  OSDMenuItemAdd("Show beta versions", Settings.BetaVersions ? "yes" : "no", nullptr, nullptr, TRUE, TRUE, 0);
  OSDMenuItemAdd("Show installer-test versions", Settings.InstallerTestVersions ? "yes" : "no", nullptr,
                 nullptr, TRUE, TRUE, 0);
  OSDMenuItemAdd("Automatic update checks", Settings.AutoUpdateChecks ? "yes" : "no", nullptr, nullptr, TRUE,
                 TRUE, 0);
  OSDMenuItemAdd("Start-up delay", delay, nullptr, nullptr, TRUE, TRUE, 0);
  OSDMenuItemAdd("Overview grouping", GroupingNames[grouping], nullptr, nullptr, TRUE, TRUE, 0);
  OSDMenuItemAdd("Query the server again", FlagDoServerQuery ? "yes (offline)" : "no", nullptr, nullptr,
                 FALSE, FALSE, 0);
  OSDMenuItemAdd("Alpha passwords entered", passwords, nullptr, nullptr, FALSE, FALSE, 0);
  OSDMenuItemSetTextColor(OI_ServerQuery, COLOUR_HEADER);
  OSDMenuItemSetTextColor(OI_Passwords, COLOUR_HEADER);
  Show(item);
}

// Changes the option under the cursor one step; saves the settings and
// rebuilds the cache when what is visible changes.
static void ChangeOption(int item, int step) {
  bool visibility = false;
  switch (item) {
    case OI_Beta:
      Settings.BetaVersions = !Settings.BetaVersions, visibility = true;
      break;
    case OI_InstallerTest:
      Settings.InstallerTestVersions = !Settings.InstallerTestVersions, visibility = true;
      break;
    case OI_AutoUpdate:
      Settings.AutoUpdateChecks = !Settings.AutoUpdateChecks;
      break;
    case OI_StartupDelay: {
      int delay = (int)Settings.StartupDelay + 5 * step;
      Settings.StartupDelay = (dword)(delay < 0 ? 0 : delay > 600 ? 600 : delay);
      break;
    }
    case OI_Grouping: {
      int mode = ((int)Settings.OverviewWindowMode + step + OWM_LAST) % OWM_LAST;
      Settings.OverviewWindowMode = (tOverviewWindowMode)(mode < 0 ? OWM_Linear : mode);
      break;
    }
    default:
      return;
  }
  SettingsSave();
  if (visibility) ManagerRefreshCache();
  ShowOptions(item);
}

bool ManagerMenuIsOpen(void) { return MenuStateStack[0] != MS_Inactive; }

void ManagerMenuOpen(void) {
  CallTraceEnter("ManagerMenuOpen");
  MenuStateReset();
  MenuStatePush(MS_Overview);
  TAPCacheUpdate();
  ShowOverview(0);
  CallTraceExit(nullptr);
}

// Shows the screen of the current menu state with its saved cursor item;
// closes the menu when no state is left.
static void ShowCurrentState(void) {
  int item = MenuStatePosition[0];
  switch (MenuStateStack[0]) {
    case MS_Overview:
      ShowOverview(item);
      break;
    case MS_VersionList:
      ShowVersions(VersionListTAP, item);
      break;
    case MS_Options:
      ShowOptions(item);
      break;
    default:
      MenuStateReset();
      OSDMenuDestroy();
      break;
  }
}

static void Enter(tMenuState state) {
  MenuStatePush(state);
  ShowCurrentState();
}

static void OverviewOk(int item) {
  int master = ManagerOverviewEntry(item);
  int items = Menu[0].NrItems;
  if (master >= 0) {
    // Seeing the version list acknowledges the TAP's news.
    Acknowledge(&Settings.MasterList[master]);
    SettingsSave();
    VersionListTAP = master;
    Enter(MS_VersionList);
  } else if (item == items - 2) {
    Enter(MS_Options);
  } else if (item == items - 1) {
    MenuStatePush(MS_Dialog_AlphaInput);
    InputBox_MenuDraw();
  }
}

static void MenuKey(dword key) {
  int item = OSDMenuGetCurrentItem();
  tMenuState state = MenuStateStack[0];
  if (key == RKEY_Exit) {
    MenuStatePop();
    ShowCurrentState();
  } else if (state == MS_Options && (key == RKEY_Left || key == RKEY_Right || key == RKEY_Ok)) {
    ChangeOption(item, key == RKEY_Left ? -1 : 1);
  } else if (key == RKEY_Ok && state == MS_Overview) {
    OverviewOk(item);
  } else if (key == RKEY_Ok && state == MS_VersionList && ManagerVersionEntry(item) >= 0) {
    MenuStatePush(MS_ReleaseNotes);
    ShowReleaseNotes(ManagerVersionEntry(item));
  }
}

// An event while the password box is open; when it closes with a new
// password, the versions it unlocks are looked up at once (the manager is
// offline, so the server query it asks for stays a flag).
static void PasswordEvent(word event, dword param1, dword param2) {
  int before = Settings.NrOfAlphaPasswords;
  InputBox_EventHandler(&event, &param1, &param2);
  if (MenuStateStack[0] == MS_Dialog_AlphaInput) return;
  if (Settings.NrOfAlphaPasswords != before) ManagerRefreshCache();
  ShowCurrentState();
}

dword ManagerEvent(word event, dword param1, dword param2) {
  CallTraceEnter("ManagerEvent");
  dword result = 0;
  if (event == EVT_STOP) {
    ManagerStop();
  } else if (!ManagerMenuIsOpen()) {
    if (event == EVT_KEY && param1 == MANAGER_MENU_KEY)
      ManagerMenuOpen();
    else if (event == EVT_KEY)
      result = param1;
  } else if (MenuStateStack[0] == MS_Dialog_AlphaInput) {
    PasswordEvent(event, param1, param2);
  } else {
    bool taken = OSDMenuEvent(&event, &param1, &param2);
    if (event == EVT_KEY && !taken && param1 != 0) MenuKey(param1);
  }
  CallTraceExit(nullptr);
  return result;
}

void ManagerStop(void) {
  CallTraceEnter("ManagerStop");
  if (InputRgn != 0) TAP_Osd_Delete(InputRgn);
  InputRgn = 0;
  OSDMenuMessageBoxDestroyNoOSDUpdate();
  OSDMenuDestroy();
  MenuStateReset();
  SettingsSave();
  TAPsOnBoardFree();
  TAPCacheFree();
  SettingsFree();
  TAP_MemFree(TAPsOnBoard);
  TAPsOnBoard = nullptr;
  TAPsOnBoardCount = 0;
  LangUnloadStrings();
  OSDMenuFreeStdFonts();
  WriteLog(MANAGER_PROGRAM_NAME, "Vantero ends");
  CallTraceExit(nullptr);
}
