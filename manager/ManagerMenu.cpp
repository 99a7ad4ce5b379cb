// ManagerMenu.cpp - the manager's screens, built on the toolkit's menu
// list: the overview of the known TAPs (level 0), a TAP's version list and
// the options page (level 1) and a version's release notes in memo mode
// (level 2).  Each screen is built anew when it is shown, so it always
// reflects the cache and the settings.
#include <stdio.h>
#include <string.h>

#include "Graphics.h"
#include "Manager.h"

#define COLOUR_HEADER MANAGER_COLOUR_HEADER
#define SYSVAR_OSD_LANGUAGE 1  // TAP_GetSystemVar: the OSD language number
#define MEMO_WIDTH 566         // pixels of a memo line: from x 76 to 642

static int VersionEntries[TAPCACHE_MAX_ENTRIES];  // cache index of each version row
static int VersionCount = 0;
static int VersionListTAP = -1;  // master-list index of the version list shown
static tManagerText Memo;        // the lines of the release notes or description shown

static const char *const GroupingNames[] = {"linear", "by category", "by author", "off"};

int ManagerVersionEntry(int row) { return row >= 0 && row < VersionCount ? VersionEntries[row] : -1; }

static void Open(int level, bool valueColumn, const char *title, const char *subTitle,
                 const tManagerHint *hints, int nrHints) {
  OSDMenuSetMenuLevel(level);
  OSDMenuInitialize(FALSE, valueColumn, FALSE, FALSE, title, subTitle);
  ManagerWindowForget();
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

// Fills a windowed screen with the cursor on row, or on the first
// selectable row when row cannot take it, and draws it.
static void ShowRows(int count, tManagerRowFunc rowText, int row) {
  ManagerWindowFill(count, rowText, FALSE, row);
  Show(row - ManagerWindowTop());
}

void ManagerScreenOpen(int level, bool valueColumn, const char *title, const char *subTitle,
                       const tManagerHint *hints, int nrHints) {
  Open(level, valueColumn, title, subTitle, hints, nrHints);
}

void ManagerScreenRows(int count, tManagerRowFunc rowText, int row) { ShowRows(count, rowText, row); }

static void ShowOverview(int row) {
  char subTitle[64];
  snprintf(subTitle, sizeof subTitle, "%d TAPs, %d versions", Settings.NrOfMasterListEntries, TAPCacheSize);
  // MENU opens the tasks menu.
  const tManagerHint hints[] = {{0, &_Button_ok_Gd, "Open"},
                                {0, &_Button_exit_Gd, "Close"},
                                {0, &_Button_up_Gd, ""},
                                {0, &_Button_down_Gd, "Move"},
                                {0, &_Button_menu_Gd, ManagerText(MT_Tasks)}};
  Open(0, TRUE, "Vantero update manager", subTitle, hints, 5);
  Menu[0].ValueColumnX = 300;
  ShowRows(ManagerOverviewBuild(), ManagerOverviewRowText, row);
}

static void VersionRowText(int row, tManagerRow *out) {
  int entry = ManagerVersionEntry(row);
  if (entry >= 0) {
    ManagerVersionRow(&TAPCache[entry], out->Text, out->Value);
  } else {
    snprintf(out->Text, sizeof out->Text, "%s", "No version to show");
    out->Selectable = FALSE;
  }
}

static void ShowVersions(int masterIndex, int row) {
  VersionListTAP = masterIndex;
  const tMasterList *m = &Settings.MasterList[masterIndex];
  static const tManagerHint hints[] = {{0, &_Button_ok_Gd, "Release notes"},
                                       {0, &_Button_red_Gd, "Install"},
                                       {0, &_Button_green_Gd, "Description"},
                                       {0, &_Button_blue_Gd, "Screenshot"},
                                       {0, &_Button_exit_Gd, "Back"}};
  Open(1, TRUE, m->Name != nullptr ? m->Name : "?", "Versions", hints, 5);
  Menu[1].ValueColumnX = 260;
  VersionCount = 0;
  for (int i = 0; i < TAPCacheSize && VersionCount < TAPCACHE_MAX_ENTRIES; i++)
    if (TAPCache[i].MasterList == m && TAPCache[i].isVisible) VersionEntries[VersionCount++] = i;
  ShowRows(VersionCount > 0 ? VersionCount : 1, VersionRowText, row);
}

static void MemoRowText(int row, tManagerRow *out) {
  ManagerTextLine(&Memo, row, out->Text, sizeof out->Text);
  out->Colour = 0xFFFFFFFFu;
}

// Shows a long text in memo mode on level 2, wrapped to the memo's width.
static void ShowMemo(const char *title, const char *subTitle, const char *text, tMenuCallback draw) {
  static const tManagerHint hints[] = {
      {0, &_Button_exit_Gd, "Back"}, {0, &_Button_up_Gd, ""}, {0, &_Button_down_Gd, "Scroll"}};
  Open(2, FALSE, title, subTitle, hints, 3);
  OSDMenuSetDisplayMode(MD_Memo);
  OSDMenuSetCallback(draw);
  if (!ManagerTextWrap(&Memo, text, Menu[2].MemoFont, MEMO_WIDTH, MANAGER_TEXT_SIZE - 1))
    LogVantero("Not enough memory for the %s of '%s'", subTitle, title);
  ManagerWindowFill(Memo.NrLines, MemoRowText, TRUE, 0);
  OSDMenuUpdate(FALSE);
}

// The title of a TAP's screens: its name, and the version when one is given.
static void TitleOf(const tMasterList *m, const char *version, char *title, dword size) {
  snprintf(title, size, "%s%s%s", m->Name != nullptr ? m->Name : "?", version != nullptr ? " " : "",
           version != nullptr ? version : "");
}

static void ShowReleaseNotes(int cacheIndex) {
  const tTAPCache *e = &TAPCache[cacheIndex];
  char title[MENU_TEXT_BYTES];
  TitleOf(e->MasterList, e->Version != nullptr ? e->Version : "", title, sizeof title);
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  const char *notes = nullptr;
  if (VPDLoadStd(&vpd, e->TAPID) && e->VPDVersionIndex < vpd.NrOfVersions)
    notes = vpd.Versions[e->VPDVersionIndex].ReleaseNotes;
  ShowMemo(title, "Release notes", notes != nullptr && notes[0] != '\0' ? notes : "No release notes.",
           nullptr);
  VPDFree(&vpd);
}

const char *ManagerDescription(const tVPD *vpd, bool german) {
  const char *first = german ? vpd->DE_Description : vpd->EN_Description;
  const char *second = german ? vpd->EN_Description : vpd->DE_Description;
  if (first != nullptr && first[0] != '\0') return first;
  return second != nullptr && second[0] != '\0' ? second : nullptr;
}

static void ShowDescription(int masterIndex) {
  const tMasterList *m = &Settings.MasterList[masterIndex];
  char title[MENU_TEXT_BYTES];
  TitleOf(m, nullptr, title, sizeof title);
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  const char *code = iso639_1(TAP_GetSystemVar(SYSVAR_OSD_LANGUAGE));
  bool german = code != nullptr && strcmp(code, "de") == 0;
  const char *text = VPDLoadStd(&vpd, m->TAPID) ? ManagerDescription(&vpd, german) : nullptr;
  ShowMemo(title, ManagerText(MT_Description), text != nullptr ? text : ManagerText(MT_NoDescription),
           nullptr);
  VPDFree(&vpd);
}

static void ShowCurrentState(void);
static void Push(tMenuState state);
static void Enter(tMenuState state);
bool ManagerMenuIsOpen(void);

// The screenshot shown: the package's bytes (owned) and the graphic that
// points into them, drawn into the menu's list box after the list.
static byte *ShotBytes = nullptr;
static TYPE_GrData Shot;

static void ShotFree(void) {
  TAP_MemFree(ShotBytes);
  ShotBytes = nullptr;
  memset(&Shot, 0, sizeof Shot);
}

// Centred in the list box (60, 96, 600 x 367) when it fits, else on the screen.
static void DrawShot(dword part, word rgn) {
  if (part != MP_List || Shot.data == nullptr) return;
  bool fits = Shot.width <= 600 && Shot.height <= 367;
  int x = fits ? 60 + (600 - Shot.width) / 2 : (720 - Shot.width) / 2;
  int y = fits ? 96 + (367 - Shot.height) / 2 : (576 - Shot.height) / 2;
  TAP_Osd_PutGd(rgn, x, y, &Shot, FALSE);
}

static void ShowScreenshot(int masterIndex) {
  const tMasterList *m = &Settings.MasterList[masterIndex];
  char title[MENU_TEXT_BYTES];
  TitleOf(m, nullptr, title, sizeof title);
  ShotFree();
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  bool loaded = VPDLoadStd(&vpd, m->TAPID);
  const char *problem = nullptr;
  if (!loaded || vpd.Screenshot == nullptr || vpd.ScreenShotSize <= 0) {
    problem = ManagerText(MT_NoScreenshot);
  } else if (!ScreenshotToGrData(vpd.Screenshot, (dword)vpd.ScreenShotSize, &Shot)) {
    problem = ManagerText(MT_ScreenshotUnreadable);
    LogVantero("The screenshot of '%s' (%8.8x) cannot be shown", title, (unsigned)m->TAPID);
  } else {
    // The graphic points into the bytes: they stay while it is shown.
    ShotBytes = vpd.Screenshot;
    vpd.Screenshot = nullptr;
  }
  VPDFree(&vpd);
  ShowMemo(title, ManagerText(MT_Screenshot), problem != nullptr ? problem : "", DrawShot);
}

// The notice of new and updated TAPs and of revoked versions installed:
// one row per TAP that carries a notification.
static int *NewsEntries = nullptr;  // master-list index of each row
static int NewsCount = 0;

static void NewsRowText(int row, tManagerRow *out) {
  if (row < 0 || row >= NewsCount) {
    snprintf(out->Text, sizeof out->Text, "%s", "No TAPs known yet");
    out->Selectable = FALSE;
    return;
  }
  const tMasterList *m = &Settings.MasterList[NewsEntries[row]];
  out->Colour = ManagerOverviewRow(m, out->Text, out->Value);
}

static void ShowNews(int row) {
  NewsCount = 0;
  TAP_MemFree(NewsEntries);
  int masters = Settings.MasterList != nullptr ? Settings.NrOfMasterListEntries : 0;
  NewsEntries = masters > 0 ? (int *)TAP_MemAlloc((dword)masters * sizeof(int)) : nullptr;
  for (int i = 0; i < masters && NewsEntries != nullptr; i++)
    if (Settings.MasterList[i].NotificationFlag != NF_None) NewsEntries[NewsCount++] = i;
  static const tManagerHint hints[] = {{0, &_Button_ok_Gd, "Versions"}, {0, &_Button_exit_Gd, "Close"}};
  Open(1, TRUE, ManagerText(MT_NewTAPs),
       Settings.DisplayRevokedMessage ? ManagerText(MT_RevokedInstalled) : "", hints, 2);
  Menu[1].ValueColumnX = 300;
  ShowRows(NewsCount > 0 ? NewsCount : 1, NewsRowText, row);
}

// The notice was seen: it is not shown again until something newer comes.
static void NewsSeen(void) {
  dword newest = 0;
  for (int i = 0; i < TAPCacheSize; i++)
    if (TAPCache[i].isVisible && TAPCache[i].TimeStamp > newest) newest = TAPCache[i].TimeStamp;
  if (newest > Settings.AckTime) Settings.AckTime = newest;
  Settings.DisplayNewMessage = FALSE;
  Settings.DisplayRevokedMessage = FALSE;
  SettingsSave();
}

enum {
  OI_Beta,
  OI_InstallerTest,
  OI_AutoUpdate,
  OI_StartupDelay,
  OI_Grouping,
  OI_ServerQuery,
  OI_Passwords,
  OI_Repository
};

static void ShowOptions(int item) {
  static const tManagerHint hints[] = {
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
  OSDMenuItemAdd(ManagerText(MT_QueryServer), FlagDoServerQuery ? "asked for" : "", nullptr, nullptr, TRUE,
                 FALSE, 0);
  OSDMenuItemAdd("Alpha passwords entered", passwords, nullptr, nullptr, FALSE, FALSE, 0);
  char repository[REPO_URL_MAX];
  ManagerRepositoryURL(repository, sizeof repository);
  OSDMenuItemAdd(ManagerText(MT_Repository), repository, nullptr, nullptr, FALSE, FALSE, 0);
  OSDMenuItemSetTextColor(OI_Repository, COLOUR_HEADER);
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

// The query on screen: an info box with the spinner and the count while it
// runs (only when the menu is open; a query at start runs unseen), then the
// notice of news or the dialog that says why it failed.
static bool QueryShown = false;
static char QueryText[MANAGER_TEXT_SIZE];

static void QueryBox(void) {
  char text[MANAGER_TEXT_SIZE], count[32];
  snprintf(count, sizeof count, ManagerFormat(MT_CountOf), Query.Done + Query.Failed + 1, Query.Total);
  snprintf(text, sizeof text, "%s  %u bytes", Query.State == QS_Packages ? count : REPO_MASTERLIST_NAME,
           (unsigned)Query.Download.Bytes);
  if (strcmp(text, QueryText) != 0) {
    snprintf(QueryText, sizeof QueryText, "%s", text);
    OSDMenuInfoBoxShow(ManagerText(MT_Querying), QueryText, 0);
    OSDMenuWaitSpinnerInit();
  }
  OSDMenuWaitSpinnerIdle();
}

// Starts a query that the user asked for.
static void QueryOnRequest(bool shown) {
  QueryShown = shown && ManagerMenuIsOpen();
  QueryText[0] = '\0';
  if (ManagerQueryStart() && QueryShown) QueryBox();
}

void ManagerQueryOnScreen(void) {
  if (Query.State == QS_Idle) QueryOnRequest(true);
}

static void NoMasterListDialog(void) {
  Push(MS_Dialog_NoMasterList);
  OSDMenuMessageBoxInitialize(ManagerText(MT_NoConnection),
                              ManagerText(Query.Problem != 0 ? Query.Problem : MT_ServerUnreachable));
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_Retry));
  OSDMenuMessageBoxButtonAdd("OK");
  OSDMenuMessageBoxButtonSelect(0);
  OSDMenuMessageBoxShow();
}

// An idle event while a query runs or just ended.
static void QueryIdle(void) {
  int before = Query.State;
  if (!ManagerQueryIdle() && before != QS_Failed) return;
  if (Query.State == QS_MasterList || Query.State == QS_Packages) {
    if (QueryShown) QueryBox();
    return;
  }
  if (QueryShown) OSDMenuInfoBoxDestroy();
  bool shown = QueryShown && ManagerMenuIsOpen();
  QueryShown = false;
  int state = Query.State;
  Query.State = QS_Idle;
  if (!shown) return;
  if (state == QS_Failed && Query.Problem != 0) {
    NoMasterListDialog();
  } else if (state == QS_Done && (Settings.DisplayNewMessage || Settings.DisplayRevokedMessage)) {
    MenuStateReset();
    MenuStatePush(MS_Overview);
    Enter(MS_Dialog_NewTAPs);
  } else {
    ShowCurrentState();
  }
}

bool ManagerMenuIsOpen(void) { return MenuStateStack[0] != MS_Inactive; }

void ManagerMenuRefresh(void) {
  if (ManagerMenuIsOpen()) ShowCurrentState();
}

// Shows the screen of the current menu state with its saved cursor row;
// closes the menu when no state is left.
static void ShowCurrentState(void) {
  int row = MenuStatePosition[0];
  switch (MenuStateStack[0]) {
    case MS_Overview:
      ShowOverview(row);
      break;
    case MS_VersionList:
      ShowVersions(VersionListTAP, row);
      break;
    case MS_Options:
      ShowOptions(row);
      break;
    case MS_Dialog_NewTAPs:
      ShowNews(row);
      break;
    case MS_Tasks:
    case MS_InstalledTAPs:
    case MS_AutoStartOrder:
    case MS_FullBackup:
      ManagerTaskScreenShow(MenuStateStack[0], row);
      break;
    default:
      MenuStateReset();
      ShotFree();
      ManagerOverviewFree();
      ManagerTextFree(&Memo);
      OSDMenuDestroy();
      break;
  }
}

// Pushes a state; the state left keeps the screen row of its cursor, not
// the item of the window that shows it.
static void Push(tMenuState state) {
  int row = ManagerWindowRow(OSDMenuGetCurrentItem());
  MenuStatePush(state);
  if (row >= 0) MenuStatePosition[1] = row;
}

static void Enter(tMenuState state) {
  Push(state);
  ShowCurrentState();
}

void ManagerEnterState(tMenuState state) { Enter(state); }

void ManagerPushState(tMenuState state) { Push(state); }

void ManagerShowState(void) { ShowCurrentState(); }

void ManagerMenuOpen(void) {
  CallTraceEnter("ManagerMenuOpen");
  ManagerTasksStart();
  MenuStateReset();
  MenuStatePush(MS_Overview);
  TAPCacheUpdate();
  if (Settings.DisplayNewMessage || Settings.DisplayRevokedMessage) {
    ShowOverview(0);
    Enter(MS_Dialog_NewTAPs);
  } else {
    ShowOverview(0);
  }
  CallTraceExit(nullptr);
}

static void OverviewOk(int row) {
  int master = ManagerOverviewEntry(row);
  int kind = row >= 0 && row < OverviewRowCount ? OverviewRows[row].Kind : OR_Empty;
  if (master >= 0) {
    // Seeing the version list acknowledges the TAP's news.
    Acknowledge(&Settings.MasterList[master]);
    SettingsSave();
    VersionListTAP = master;
    Enter(MS_VersionList);
  } else if (kind == OR_Options) {
    Enter(MS_Options);
  } else if (kind == OR_Password) {
    Push(MS_Dialog_AlphaInput);
    InputBox_MenuDraw();
  }
}

static void MenuKey(dword key) {
  int item = OSDMenuGetCurrentItem(), row = ManagerWindowRow(item);
  tMenuState state = MenuStateStack[0];
  if (key == RKEY_Exit) {
    if (state == MS_Dialog_NewTAPs) NewsSeen();
    MenuStatePop();
    ShowCurrentState();
  } else if (state == MS_Options && key == RKEY_Ok && item == OI_ServerQuery) {
    QueryOnRequest(true);
  } else if (state == MS_Options && (key == RKEY_Left || key == RKEY_Right || key == RKEY_Ok)) {
    ChangeOption(item, key == RKEY_Left ? -1 : 1);
  } else if (key == MANAGER_MENU_KEY && state == MS_Overview) {
    Enter(MS_Tasks);
  } else if (ManagerTaskScreenKey(state, key, row)) {
    // a key of the tasks menu or one of its screens
  } else if (key == RKEY_Ok && state == MS_Overview) {
    OverviewOk(row);
  } else if (key == RKEY_Ok && state == MS_VersionList && ManagerVersionEntry(row) >= 0) {
    Push(MS_ReleaseNotes);
    ShowReleaseNotes(ManagerVersionEntry(row));
  } else if (key == RKEY_Ok && state == MS_Dialog_NewTAPs && row >= 0 && row < NewsCount) {
    // Viewing a TAP of the notice acknowledges its news.
    VersionListTAP = NewsEntries[row];
    Acknowledge(&Settings.MasterList[VersionListTAP]);
    SettingsSave();
    Enter(MS_VersionList);
  } else if (key == RKEY_Red && state == MS_VersionList && ManagerVersionEntry(row) >= 0) {
    ManagerInstallAsk(ManagerVersionEntry(row));
  } else if (key == RKEY_Green && state == MS_VersionList) {
    Push(MS_Description);
    ShowDescription(VersionListTAP);
  } else if (key == RKEY_Blue && state == MS_VersionList) {
    Push(MS_Screenshot);
    ShowScreenshot(VersionListTAP);
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
  // A new password may unlock versions the box has not heard of yet.
  if (FlagDoServerQuery && Query.State == QS_Idle) QueryOnRequest(true);
}

dword ManagerEvent(word event, dword param1, dword param2) {
  CallTraceEnter("ManagerEvent");
  dword result = 0;
  if (event == EVT_STOP) {
    ManagerStop();
  } else if (event == EVT_IDLE && ManagerUpdatesIdle()) {
    // "Install updates" moved its install on, or started the next.
  } else if (ManagerInstallEvent(event, param1)) {
    // The install (its question, progress or result) took the event.
  } else if (event == EVT_IDLE && Query.State != QS_Idle) {
    QueryIdle();
  } else if (Query.State != QS_Idle && QueryShown && event == EVT_KEY) {
    // While the query runs the box takes EXIT only: it cancels.
    if (param1 == RKEY_Exit) ManagerQueryCancel();
  } else if (event == EVT_IDLE && ManagerAutoQueryDue()) {
    QueryOnRequest(false);
  } else if (ManagerTasksEvent(event, param1, param2)) {
    // a question of the tasks, or a backup under way
  } else if (MenuStateStack[0] == MS_Dialog_NoMasterList) {
    OSDMenuEvent(&event, &param1, &param2);
    if (!OSDMenuMessageBoxIsVisible()) {
      bool retry = OSDMenuMessageBoxLastButton() == 0;
      MenuStatePop();
      ShowCurrentState();
      if (retry) QueryOnRequest(true);
    }
  } else if (!ManagerMenuIsOpen()) {
    if (event == EVT_KEY && param1 == MANAGER_MENU_KEY)
      ManagerMenuOpen();
    else if (event == EVT_KEY)
      result = param1;
  } else if (MenuStateStack[0] == MS_Dialog_AlphaInput) {
    PasswordEvent(event, param1, param2);
  } else {
    bool taken = OSDMenuEvent(&event, &param1, &param2);
    if (taken) ManagerWindowFollow();
    if (event == EVT_KEY && !taken && param1 != 0) MenuKey(param1);
  }
  CallTraceExit(nullptr);
  return result;
}

void ManagerStop(void) {
  CallTraceEnter("ManagerStop");
  if (InputRgn != 0) TAP_Osd_Delete(InputRgn);
  InputRgn = 0;
  ManagerQueryStop();
  ManagerTasksStop();
  ManagerInstallCancel();
  OSDMenuInfoBoxDestroyNoOSDUpdate();
  OSDMenuMessageBoxDestroyNoOSDUpdate();
  OSDMenuDestroy();
  MenuStateReset();
  ManagerOverviewFree();
  ManagerTextFree(&Memo);
  TAP_MemFree(NewsEntries);
  NewsEntries = nullptr;
  NewsCount = 0;
  ShotFree();
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
