// MenuState.cpp - the stack of the manager's nested menu states.  Entry 0
// is the current state; each entry keeps the cursor item its menu had when
// a state was pushed over it, so that going back puts the cursor where it
// was.  The stack holds 19 states: a push beyond them loses the oldest.
#include <string.h>

#include "ToolsInternal.h"

tMenuState MenuStateStack[MENU_STATE_DEPTH];
int MenuStatePosition[MENU_STATE_DEPTH];

void MenuStatePush(tMenuState state) {
  CallTraceEnter("MenuStatePush");
  MenuStatePosition[0] = OSDMenuGetCurrentItem();
  memmove(&MenuStateStack[1], &MenuStateStack[0], (MENU_STATE_DEPTH - 2) * sizeof MenuStateStack[0]);
  memmove(&MenuStatePosition[1], &MenuStatePosition[0], (MENU_STATE_DEPTH - 2) * sizeof MenuStatePosition[0]);
  MenuStateStack[0] = state;
  MenuStatePosition[0] = 0;
  MenuStateStack[MENU_STATE_DEPTH - 1] = MS_Inactive;
  CallTraceExit(nullptr);
}

void MenuStatePop(void) {
  CallTraceEnter("MenuStatePop");
  memmove(&MenuStateStack[0], &MenuStateStack[1], (MENU_STATE_DEPTH - 1) * sizeof MenuStateStack[0]);
  memmove(&MenuStatePosition[0], &MenuStatePosition[1], (MENU_STATE_DEPTH - 1) * sizeof MenuStatePosition[0]);
  CallTraceExit(nullptr);
}

void MenuStateReset(void) {
  CallTraceEnter("MenuStateReset");
  for (int i = 0; i < MENU_STATE_DEPTH; i++) MenuStateStack[i] = MS_Inactive;
  MenuStatePosition[0] = 0;
  CallTraceExit(nullptr);
}
