// ManagerInstallScreen.cpp - the install on screen: the question where a TAP new to the box goes
// (AutoStart or ProgramFiles), an info box with the file and bytes under way while it runs (EXIT
// cancels; nothing is replaced before every file arrived), then a message box with the result.
// Idle events move the install on whether the menu is open or not; the result waits for the menu.
#include <stdio.h>
#include <string.h>

#include "Manager.h"

static int AskEntry = -1;        // the cache entry waiting for the AutoStart question
static bool ResultOpen = false;  // the result's message box is shown
static char ProgressText[MANAGER_TEXT_SIZE];

// True when the TAP of a cache entry is on the disk (any version, with or without package).
static bool OnTheBox(dword tapId) {
  for (int i = 0; i < TAPsOnBoardCount && TAPsOnBoard != nullptr; i++)
    if (TAPsOnBoard[i].TAPID == tapId && TAPsOnBoard[i].Found) return true;
  return false;
}

void ManagerInstallProgressReset(void) { ProgressText[0] = '\0'; }

void ManagerInstallProgressShow(void) {
  char title[MANAGER_TEXT_SIZE], text[MANAGER_TEXT_SIZE];
  snprintf(title, sizeof title, ManagerFormat(MT_Installing), Install.Title);
  snprintf(text, sizeof text, ManagerFormat(MT_InstallProgress), Install.File, Install.NrOfFiles,
           (unsigned)Install.Bytes, (unsigned)Install.TotalBytes);
  if (strcmp(text, ProgressText) == 0) return;
  snprintf(ProgressText, sizeof ProgressText, "%s", text);
  OSDMenuInfoBoxShow(title, text, 0);
}

static void StartShown(int cacheEntry, bool autoStart) {
  ManagerInstallProgressReset();
  ManagerInstallStart(cacheEntry, autoStart);
  if (Install.State == IS_Running) ManagerInstallProgressShow();
}

void ManagerInstallAsk(int cacheEntry) {
  if (cacheEntry < 0 || cacheEntry >= TAPCacheSize || Install.State == IS_Running) return;
  if (OnTheBox(TAPCache[cacheEntry].TAPID)) {
    StartShown(cacheEntry, FALSE);
    return;
  }
  char text[MANAGER_TEXT_SIZE];
  const tMasterList *m = TAPCache[cacheEntry].MasterList;
  snprintf(text, sizeof text, ManagerFormat(MT_AskAutoStart),
           m != nullptr && m->Name != nullptr ? m->Name : "?");
  AskEntry = cacheEntry;
  OSDMenuMessageBoxInitialize(ManagerText(MT_Install), text);
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_Yes));
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_No));
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuMessageBoxShow();
}

static void ShowResult(void) {
  OSDMenuInfoBoxDestroyNoOSDUpdate();
  Install.Shown = TRUE;
  ResultOpen = true;
  OSDMenuMessageBoxInitialize(Install.Title[0] != '\0' ? Install.Title : ManagerText(MT_Install),
                              Install.Message);
  OSDMenuMessageBoxButtonAdd("OK");
  OSDMenuMessageBoxShow();
}

bool ManagerInstallEvent(word event, dword param1) {
  if (AskEntry >= 0 || ResultOpen) {
    dword p1 = param1, p2 = 0;
    OSDMenuEvent(&event, &p1, &p2);
    if (OSDMenuMessageBoxIsVisible()) return true;
    if (ResultOpen) {
      ResultOpen = false;
      ManagerMenuRefresh();
    } else {
      int entry = AskEntry;
      AskEntry = -1;
      // EXIT on the question installs nothing.
      if (!(event == EVT_KEY && param1 == RKEY_Exit)) StartShown(entry, OSDMenuMessageBoxLastButton() == 0);
    }
    return true;
  }
  bool shown = ManagerMenuIsOpen();
  if (Install.State == IS_Running) {
    if (event == EVT_IDLE) ManagerInstallIdle();
    if (event == EVT_KEY && param1 == RKEY_Exit) ManagerInstallCancel();
    if (Install.State == IS_Running) {
      if (shown) ManagerInstallProgressShow();
      return shown || event == EVT_IDLE;
    }
  }
  if ((Install.State == IS_Done || Install.State == IS_Failed) && !Install.Shown && shown) {
    ShowResult();
    return true;
  }
  return false;
}
