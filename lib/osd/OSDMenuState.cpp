/*
 * OSDMenuState.cpp - module state that the toolkit's widgets share: region
 * handles, the saved background under a box, the last unprocessed key and
 * the message-box record.
 */
#include "Kalib.h"

word OSDRgn = 0;
word InfoBoxOSDRgn = 0;
word MessageBoxOSDRgn = 0;
word ColorPickerOSDRgn = 0;
word ProgressBarOSDRgn = 0;
word WaitSpinnerRgn = 0;
word MyOSDRgn = 0;

byte *InfoBoxSaveArea = nullptr;
int InfoBoxSaveAreaX = 0;
int InfoBoxSaveAreaY = 0;

dword LastUnprocessedOSDMenuKey = 0;

tMessageBox MessageBox;
bool MessageBoxAllowScrollOver = FALSE;
bool MessageBoxNoNormalMode = FALSE;

dword InfoBoxTimeOut = 0;
int WaitSpinnerIndex = 0;
dword WaitSpinnerTimeout = 0;
