// DemoTap.cpp - the demo TAP that scripts/run.sh starts: it greets on the box console,
// reports each key, and ends itself on Exit or after five seconds.
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include "tap.h"

TAP_ID(0x7E57DE30);
TAP_PROGRAM_NAME("pvrsim Demo");
TAP_PROGRAM_VERSION("1.0");
TAP_AUTHOR_NAME("pvrsim");
TAP_DESCRIPTION("Shows what a TAP sees in pvrsim");
TAP_ETCINFO("Dec 31 2015");
TAP_HEADER();

namespace {
dword endTick;

void say(const char *text) {
  int fd = open("/dev/pts/0", O_WRONLY);
  if (fd < 0) return;
  write(fd, text, strlen(text));
  close(fd);
}

dword eventHandler(word event, dword param1, dword) {
  char line[128];
  if (event == EVT_KEY) {
    TAP_SPrint(line, "Demo: key 0x%05x at tick %u\n", static_cast<unsigned>(param1),
               static_cast<unsigned>(TAP_GetTick()));
    say(line);
    if (param1 == RKEY_Exit) {
      say("Demo: Exit pressed, ending\n");
      TAP_Exit();
    }
    return 0;
  }
  if (event == EVT_IDLE && TAP_GetTick() >= endTick) {
    say("Demo: five seconds are up, ending\n");
    TAP_Exit();
  }
  return param1;
}

int tapMain(void) {
  word mjd, year;
  byte hour, min, sec, month, day, weekDay;
  TAP_GetTime(&mjd, &hour, &min, &sec);
  TAP_ExtractMjd(mjd, &year, &month, &day, &weekDay);
  char line[160];
  TAP_SPrint(line,
             "Demo: started at %04u-%02u-%02u %02u:%02u:%02u, system %u, firmware 0x%04x, language %d\n",
             year, month, day, hour, min, sec, static_cast<unsigned>(TAP_GetSystemId()),
             static_cast<unsigned>(TAP_GetVersion()), TAP_GetSystemVar(1));
  say(line);
  TAP_Hdd_ChangeDir("/ProgramFiles");
  TYPE_FolderEntry entry;
  dword count = TAP_Hdd_FindFirst(&entry, "tap");
  for (dword i = 0; i < count; ++i) {
    TAP_SPrint(line, "Demo: /ProgramFiles has %s %s\n", entry.attr == ATTR_FOLDER ? "folder" : "TAP",
               entry.name);
    say(line);
    if (!TAP_Hdd_FindNext(&entry)) break;
  }
  endTick = TAP_GetTick() + 500;
  return 1;
}
}  // namespace

TAP_ENTRY_POINTS(tapMain, eventHandler)
