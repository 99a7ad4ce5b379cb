// Manager.h - the update manager's logic, shared by its TAP (Vantero.cpp,
// a thin shell) and the tests: start-up (settings, inventory, package
// files, master list, TAP cache), the menus (overview, version list,
// release notes, options, alpha password box) and the end.
#pragma once

#include "Tools.h"

#define MANAGER_PROGRAM_NAME "Vantero"  // writer name of the manager's log lines
#define MANAGER_LANG_FILE "Vantero.lng"
#define MANAGER_LANG_TEXTS 104
// The key that opens the menu while the manager runs in the background.
#define MANAGER_MENU_KEY RKEY_Menu
// Overview rows kept for the options page and the password box.
#define MANAGER_OVERVIEW_TAPS (MENU_MAX_ITEMS - 2)
#define MANAGER_TEXT_SIZE 128  // a row's text or value, terminated

// Start-up: language texts, settings (defaults created), inventory, the
// package files of the settings folder added to the master list, the TAP
// cache built; cache, inventory and settings saved.  Problems are logged
// and never stop the start.
void ManagerStart(void);
// Adds a master-list entry for every package file "<TAPID>.vpd" in the
// settings folder whose TAP the list lacks; returns the number added.
int ManagerAddPackages(void);
// Rebuilds and saves the TAP cache (after a new password or option).
void ManagerRefreshCache(void);

// The overview row of a master-list entry: its name in text, in value the
// installed version or "not installed", the newest visible version and the
// marks "update", "new", "revoked", "running".  Both buffers hold
// MANAGER_TEXT_SIZE bytes; the result is the row's text colour.
dword ManagerOverviewRow(const tMasterList *m, char *text, char *value);
// The version-list row of a cache entry (value: deploy mode and marks).
void ManagerVersionRow(const tTAPCache *e, char *text, char *value);

// The menus.  ManagerMenuOpen shows the overview (menu state MS_Overview);
// ManagerEvent handles every event while the manager runs and returns what
// goes back to the firmware.
void ManagerMenuOpen(void);
bool ManagerMenuIsOpen(void);
dword ManagerEvent(word event, dword param1, dword param2);
// The master-list entry under the overview's cursor, and the cache entries
// of the version list being shown (-1 past the end).
int ManagerOverviewEntry(int item);
int ManagerVersionEntry(int item);

// Closes every window, saves settings and inventory and releases the
// manager's memory; the TAP ends after it.
void ManagerStop(void);
