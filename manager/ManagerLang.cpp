// ManagerLang.cpp - the manager's own texts from the language file
// "Vantero.lng" in the OSD language, with the English text when the file
// lacks one (an older language file, or none at all).
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
                                      "Querying the server"};

TAP_STATIC_ASSERT(sizeof English / sizeof English[0] == MT_Last - MT_First, "one English text per number");

const char *ManagerText(int id) {
  const char *text = id >= 0 && id < MT_Last ? LangGetString((dword)id) : nullptr;
  if (text != nullptr && text[0] != '\0') return text;
  if (id == MT_Description) return "Description";
  if (id == MT_NoConnection) return "No connection to the server";
  return id >= MT_First && id < MT_Last ? English[id - MT_First] : "";
}
