// OSDMenuWaitSpinner.cpp - the wait spinner inside an open info box: 20
// frames of 50 x 50 pixels, kept side by side in an off-screen region and
// copied into the box one at a time, at most every 100 ms.
#include "Graphics.h"
#include "Kalib.h"

#define SPINNER_FRAMES 20
#define SPINNER_FRAME_SIZE 50
#define SPINNER_X 15
#define SPINNER_Y 130
#define SPINNER_PERIOD 10 /* ticks between frames */

bool OSDMenuWaitSpinnerInit(void) {
  if (InfoBoxOSDRgn == 0) return FALSE; /* the spinner shows only inside a box */
  if (WaitSpinnerRgn) return TRUE;
  const TYPE_GrData *strip = &_WaitSpinner_All_Gd;
  int rgn = TAP_Osd_Create(0, 0, strip->width, strip->height, 0, OSD_Flag_MemRgn);
  if (rgn <= 0 || rgn > 0xFFFF) return FALSE;
  TAP_Osd_PutGd((word)rgn, 0, 0, strip, FALSE);
  WaitSpinnerRgn = (word)rgn;
  return TRUE;
}

void OSDMenuWaitSpinnerIdle(void) {
  if (WaitSpinnerRgn == 0 || InfoBoxOSDRgn == 0) return;
  dword now = TAP_GetTick();
  if (now <= WaitSpinnerTimeout) return;
  WaitSpinnerTimeout = now + SPINNER_PERIOD;
  WaitSpinnerIndex = (WaitSpinnerIndex + 1) % SPINNER_FRAMES;
  TAP_Osd_Copy(WaitSpinnerRgn, InfoBoxOSDRgn, SPINNER_FRAME_SIZE * WaitSpinnerIndex, 0, SPINNER_FRAME_SIZE,
               SPINNER_FRAME_SIZE, SPINNER_X, SPINNER_Y, FALSE);
  TAP_Osd_Sync();
}
