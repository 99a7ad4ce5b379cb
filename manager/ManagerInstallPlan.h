// ManagerInstallPlan.h - the set of file changes of one package, internal to the manager's install:
// where each file of a version goes, whether it is downloaded, kept or deleted by its install
// mode, and the file journal that makes the set whole or not at all.
#pragma once

#include "Manager.h"

typedef struct {
  const tVPDFiles *Record;      // in the plan's package
  char Final[KALIB_PATH_MAX];   // Linux path where the file ends up, or the file deleted
  char Staged[KALIB_PATH_MAX];  // Linux path of its download; "" when the file is deleted
  char StagedName[32];          // the download's name in MANAGER_STAGING_DIR
  char RemoteName[256];         // below the repository: "<RootDir>/<FileName>"
} tPlannedFile;

typedef struct {
  tVPD Vpd;
  tFileJournal Journal;
  bool JournalOpen;  // the journal is written: staged files may exist
  tPlannedFile Files[INSTALL_MAX_FILES];
  int NrOfFiles, NrOfDownloads;
  dword DownloadBytes;
  dword TAPID;                      // the package's TAP: stopped while its files change
  char TapPath[KALIB_PATH_MAX];     // Linux path of its TAP file after the change; "" none
  dword TapIds[INSTALL_MAX_FILES];  // TAP IDs of the TAP files the set changes
  int NrOfTapIds;
} tInstallPlan;

// Plans the install of item and, when writeJournal, writes the journal (phase staging); the
// package's name and version into title.  False with the reason when a file is refused or the
// journal cannot be written; nothing on the disk changed then.
bool InstallPlanMake(tInstallPlan *plan, const tInstallItem *item, bool autoStart, bool writeJournal,
                     char *title, dword titleSize, char *reason, dword reasonSize);
// Plans the removal of every file of the installed version (settings files only when
// withSettings) and writes the journal; false with the reason.
bool InstallPlanRemoval(tInstallPlan *plan, dword tapId, int versionIndex, bool withSettings, char *reason,
                        dword reasonSize);
// Stops the TAP when it runs, puts the whole set in place (every staged file checked before),
// starts the TAP again when it ran; false with the reason when the set was undone.
bool InstallPlanCommit(tInstallPlan *plan, char *reason, dword reasonSize);
// Drops a plan: staged files and journal deleted, the package released.
void InstallPlanDrop(tInstallPlan *plan);
// Deletes every file left in MANAGER_STAGING_DIR.
void InstallStagingClean(void);
// After files changed: the inventory rescanned, the cache rebuilt, both saved.
void ManagerInstallRescan(void);
