// Progressbar.h - the installer's progress display: an info box with the
// product name and the running step's text, and a 252 x 18 bar on top of
// it that fills as the steps advance.
#ifndef VANTERO_PROGRESSBAR_H
#define VANTERO_PROGRESSBAR_H

#include "Kalib.h"

#ifdef __cplusplus
extern "C" {
#endif

#define PROGRESSBAR_NO_STEP 4095

extern word ProgressbarRgn;     /* the visible bar, 0 = none */
extern word ProgressbarFullRgn; /* off-screen copy of the full bar, 0 = none */
extern dword LastStep;          /* step drawn last, PROGRESSBAR_NO_STEP = none */

void Progressbar_Draw(const char *TAP, const char *Task, dword Step, dword MaxStep);
void Progressbar_Hide(void);

#ifdef __cplusplus
}
#endif

#endif
