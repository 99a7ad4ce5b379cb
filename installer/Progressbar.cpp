// Progressbar.cpp - the installer's progress display.  The box is the
// toolkit's info box; the bar lies on top of it below the two text lines.
// The full bar is unpacked once per showing into an off-screen region and
// afterwards only copied, as far as the progress reaches.
#include "Progressbar.h"

#include "Graphics.h"

#include <stdio.h>

#define BAR_X 233
#define BAR_Y 330
#define BOX_TITLE "Vantero"
#define BOX_TIMEOUT 0x7FFFFFFFu /* ticks: the box never closes by itself */

word ProgressbarRgn = 0;
word ProgressbarFullRgn = 0;
dword LastStep = PROGRESSBAR_NO_STEP;

static void CreateBarRegions(void) {
  ProgressbarRgn = (word)TAP_Osd_Create(BAR_X, BAR_Y, _InputBox_Gd.width, _InputBox_Gd.height, 0, 0);
  ProgressbarFullRgn =
      (word)TAP_Osd_Create(0, 0, _Progressbar_Gd.width, _Progressbar_Gd.height, 0, OSD_Flag_MemRgn);
  TAP_Osd_PutGd(ProgressbarFullRgn, 0, 0, &_Progressbar_Gd, FALSE);
}

/* Filled width for Step of MaxStep; a step beyond the end shows a full bar
 * and a maximum of 0 an empty one. */
static dword FilledWidth(dword Step, dword MaxStep) {
  dword width = _Progressbar_Gd.width;
  if (MaxStep == 0) return 0;
  if (Step >= MaxStep) return width;
  return (dword)(((unsigned long long)width * Step) / MaxStep);
}

void Progressbar_Draw(const char *TAP, const char *Task, dword Step, dword MaxStep) {
  CallTraceEnter("Progressbar_Draw");
  if (Step == LastStep) {
    CallTraceExit(nullptr);
    return;
  }

  char text[128];
  snprintf(text, sizeof(text), "%s\n%s", TAP ? TAP : "", Task ? Task : "");
  OSDMenuInfoBoxShow(BOX_TITLE, text, BOX_TIMEOUT);

  if (ProgressbarRgn == 0) CreateBarRegions();
  TAP_Osd_PutGd(ProgressbarRgn, 0, 0, &_InputBox_Gd, FALSE);
  dword w = FilledWidth(Step, MaxStep);
  if (w) TAP_Osd_Copy(ProgressbarFullRgn, ProgressbarRgn, 0, 0, w, _Progressbar_Gd.height, 0, 0, FALSE);
  TAP_Osd_Sync();
  LastStep = Step;
  CallTraceExit(nullptr);
}

void Progressbar_Hide(void) {
  CallTraceEnter("Progressbar_Hide");
  if (ProgressbarRgn) {
    TAP_Osd_Delete(ProgressbarRgn);
    TAP_Osd_Delete(ProgressbarFullRgn);
    ProgressbarRgn = 0;
    ProgressbarFullRgn = 0;
  }
  OSDMenuInfoBoxDestroy();
  LastStep = PROGRESSBAR_NO_STEP;
  CallTraceExit(nullptr);
}
