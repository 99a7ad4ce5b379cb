// ManagerLang.cpp - the manager's own texts from the language file
// "Vantero.lng" in the OSD language, with the English text when the file
// lacks one (an older language file, or none at all).
#include <string.h>

#include "Manager.h"

// In the order of the numbers from MT_First on; the same texts as the
// English part of the language file.
static const char *const English[] = {"Without package",
                                      "Category %u",
                                      "Unknown author",
                                      "no package",
                                      "No description.",
                                      "Screenshot",
                                      "This package has no screenshot.",
                                      "The screenshot cannot be shown.",
                                      "New and updated TAPs",
                                      "An installed version was revoked",
                                      "The server could not be reached.",
                                      "The server's master list is damaged.",
                                      "Retry",
                                      "Query the server now",
                                      "Repository",
                                      "%d of %d",
                                      "Querying the server",
                                      "Tasks",
                                      "Installed TAPs",
                                      "AutoStart order",
                                      "Full backup",
                                      "Restore a backup",
                                      "End the update manager",
                                      "End the update manager now?",
                                      "Another file has this name there; nothing was moved.",
                                      "The TAP could not be moved.",
                                      "The new order is in place.",
                                      "The order could not be changed; the old one stays.",
                                      "Make a new backup",
                                      "Making the backup",
                                      "Checking the backup",
                                      "Restoring the backup",
                                      "Restore %s?",
                                      "The backup could not be made.",
                                      "The backup is damaged; nothing was changed.",
                                      "%u kB of about %u kB",
                                      "%d files restored",
                                      "Installing %s",
                                      "File %d of %d: %u of %u bytes",
                                      "Start %s with the box (AutoStart)?",
                                      "Cancelled: nothing was changed.",
                                      "Install",
                                      "Remove",
                                      "Remove the settings of %s too?",
                                      "%s has no package and cannot be removed here.",
                                      "Install updates (%d)",
                                      "%d updates installed"};

// The English texts of the installer's numbers that the manager shows too,
// for a box whose language file lacks them.
namespace {
typedef struct {
  int Id;
  const char *Text;
} tSharedText;
}  // namespace
static const tSharedText SharedEnglish[] = {{MT_NoConnection, "No connection to the server"},
                                            {MT_Yes, "Yes"},
                                            {MT_No, "No"},
                                            {MT_Description, "Description"},
                                            {MT_NotEnoughSpace, "Not enough space on the disk"},
                                            {MT_StartingTAP, "Starting TAP"},
                                            {MT_MoveToAutoStart, "Move to AutoStart"},
                                            {MT_MoveToProgramFiles, "Move to ProgramFiles"},
                                            {MT_BackupComplete, "Backup complete"},
                                            {MT_RestoreComplete, "Restore complete"},
                                            {MT_NoBackupFound, "No backup found"}};

TAP_STATIC_ASSERT(sizeof English / sizeof English[0] == MT_Last - MT_First, "one English text per number");

const char *ManagerText(int id) {
  const char *text = id >= 0 && id < MT_Last ? LangGetString((dword)id) : nullptr;
  if (text != nullptr && text[0] != '\0') return text;
  for (const tSharedText &shared : SharedEnglish)
    if (shared.Id == id) return shared.Text;
  return id >= MT_First && id < MT_Last ? English[id - MT_First] : "";
}

// The conversions of a format text in order ("%u of %d" gives "ud"); false
// when there are more than fit or one has flags or a width.
static bool Conversions(const char *text, char *out, dword size) {
  dword n = 0;
  for (const char *p = text; *p != '\0'; p++) {
    if (*p != '%') continue;
    p++;
    if (*p == '%') continue;
    if (*p == '\0' || n + 1 >= size) return false;
    out[n++] = *p;
  }
  out[n] = '\0';
  return true;
}

const char *ManagerFormat(int id) {
  const char *text = ManagerText(id);
  const char *english = id >= MT_First && id < MT_Last ? English[id - MT_First] : "";
  char want[8], got[8];
  // A translation is used as a format only with the English text's conversions.
  if (text != english && Conversions(english, want, sizeof want) && Conversions(text, got, sizeof got) &&
      strcmp(want, got) == 0)
    return text;
  return english;
}
