/*
 * OSDMenuEvent.cpp - the toolkit's event entry.  The client hands it every
 * event; the widget that is open reacts, and a key it acts on is consumed
 * (the caller's first parameter becomes 0).
 */
#include "Kalib.h"

namespace {

bool ConsumeKey(dword *param1)
{
  *param1 = 0;
  LastUnprocessedOSDMenuKey = 0;
  return TRUE;
}

/* A key the open box does not act on stays with the caller. */
bool PassKey(dword key)
{
  LastUnprocessedOSDMenuKey = key;
  return TRUE;
}

bool InfoBoxEvent(word *event, dword *param1)
{
  if (WaitSpinnerRgn) OSDMenuWaitSpinnerIdle();
  if (event && param1 && *event == EVT_KEY) {
    if (*param1 != RKEY_Exit) return PassKey(*param1);
    OSDMenuInfoBoxDestroy();
    return ConsumeKey(param1);
  }
  if (event == nullptr || *event == EVT_IDLE)
    if (InfoBoxTimeOut < TAP_GetTick()) OSDMenuInfoBoxDestroy();
  return FALSE;
}

void MessageBoxMove(int direction)
{
  dword last = MessageBox.NrButtons - 1;
  dword current = MessageBox.CurrentButton;
  if (direction < 0) {
    if (current > 0)
      current--;
    else if (MessageBoxAllowScrollOver)
      current = last;
    else
      return;
  } else {
    if (current < last)
      current++;
    else if (MessageBoxAllowScrollOver)
      current = 0;
    else
      return;
  }
  MessageBox.CurrentButton = current;
  OSDMenuMessageBoxShow();
}

void MessageBoxClose(void)
{
  if (MessageBoxNoNormalMode)
    OSDMenuMessageBoxDestroyNoOSDUpdate();
  else
    OSDMenuMessageBoxDestroy();
}

bool MessageBoxEvent(word *event, dword *param1)
{
  if (event == nullptr || param1 == nullptr || *event != EVT_KEY) return FALSE;
  switch (*param1) {
  case RKEY_Left:
    MessageBoxMove(-1);
    return ConsumeKey(param1);
  case RKEY_Right:
    MessageBoxMove(+1);
    return ConsumeKey(param1);
  case RKEY_Ok:
    MessageBoxClose();
    return ConsumeKey(param1);
  case RKEY_Exit:
    MessageBoxClose();
    MessageBox.CurrentButton = MESSAGEBOX_CANCELLED;
    return ConsumeKey(param1);
  default:
    return PassKey(*param1);
  }
}

} // namespace

bool OSDMenuEvent(word *event, dword *param1, dword *param2)
{
  (void)param2; /* never read or written */
  if (InfoBoxOSDRgn) return InfoBoxEvent(event, param1);
  if (MessageBoxOSDRgn) return MessageBoxEvent(event, param1);
  /* The colour picker (ColorPickerOSDRgn) and the menu list (OSDRgn) take
   * their keys here, in that order, once those widgets exist; until then an
   * event with neither box open is not the toolkit's. */
  return FALSE;
}
