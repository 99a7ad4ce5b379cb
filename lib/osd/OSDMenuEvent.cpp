// OSDMenuEvent.cpp - the toolkit's event entry.  The client hands it every
// event; the widget that is open reacts, and a key it acts on is consumed
// (the caller's first parameter becomes 0).  One widget gets the event, in
// the order info box, message box, colour picker, menu list.
#include "Kalib.h"

static bool ConsumeKey(dword *param1) {
  *param1 = 0;
  LastUnprocessedOSDMenuKey = 0;
  return TRUE;
}

// A key that a box or the picker does not act on stays with the caller.
static bool PassKey(dword key) {
  LastUnprocessedOSDMenuKey = key;
  return TRUE;
}

static bool IsKeyEvent(const word *event, const dword *param1) {
  return event != nullptr && param1 != nullptr && *event == EVT_KEY;
}

static bool InfoBoxEvent(word *event, dword *param1) {
  if (WaitSpinnerRgn) OSDMenuWaitSpinnerIdle();
  if (IsKeyEvent(event, param1)) {
    if (*param1 != RKEY_Exit) return PassKey(*param1);
    OSDMenuInfoBoxDestroy();
    return ConsumeKey(param1);
  }
  if (event == nullptr || *event == EVT_IDLE)
    if (InfoBoxTimeOut < TAP_GetTick()) OSDMenuInfoBoxDestroy();
  return FALSE;
}

static void MessageBoxMove(int direction) {
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

static void MessageBoxClose(void) {
  if (MessageBoxNoNormalMode)
    OSDMenuMessageBoxDestroyNoOSDUpdate();
  else
    OSDMenuMessageBoxDestroy();
}

static bool MessageBoxEvent(word *event, dword *param1) {
  if (!IsKeyEvent(event, param1)) return FALSE;
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

// Bit position of a colour component: 0 red, 1 green, 2 blue.
static int ComponentShift(int component) { return component == 0 ? 16 : component == 1 ? 8 : 0; }

// Stores a new value of the selected component and redraws its slider.
static void ColorPickerStore(int value) {
  if (value < 0) value = 0;
  if (value > 255) value = 255;
  int shift = ComponentShift(CurrentColorSelected);
  ColorPickerColor = (ColorPickerColor & ~(0xFFu << shift)) | (dword)value << shift;
  OSDMenuColorPickerDrawCursor(CurrentColorSelected, TRUE);
  TAP_Osd_Sync();
}

static void ColorPickerSelect(int component) {
  if (component == CurrentColorSelected) return;
  OSDMenuColorPickerDrawCursor(component, TRUE);
  OSDMenuColorPickerDrawCursor(CurrentColorSelected, FALSE);
  CurrentColorSelected = component;
  TAP_Osd_Sync();
}

static bool ColorPickerEvent(word *event, dword *param1) {
  if (!IsKeyEvent(event, param1)) return FALSE;
  int value = (int)((ColorPickerColor >> ComponentShift(CurrentColorSelected)) & 0xFF);
  switch (*param1) {
    case RKEY_Left:
      if (value > 0) ColorPickerStore(value - 1);
      break;
    case RKEY_Right:
      if (value < 255) ColorPickerStore(value + 1);
      break;
    case RKEY_Up:
      ColorPickerStore(value + 10);
      break;
    case RKEY_Down:
      ColorPickerStore(value - 10);
      break;
    case RKEY_Red:
      ColorPickerSelect(0);
      break;
    case RKEY_Green:
      ColorPickerSelect(1);
      break;
    case RKEY_Blue:
      ColorPickerSelect(2);
      break;
    case RKEY_Ok:
      OSDMenuColorPickerDestroy();
      break;
    case RKEY_Exit:
      ColorPickerColor = ColorPickerDefaultColor;
      OSDMenuColorPickerDestroy();
      break;
    default:
      return PassKey(*param1);
  }
  return ConsumeKey(param1);
}

// The scroll operation for a key, or null when the menu list does not act
// on it; left and right belong to the client when the level says so.
static int (*MenuScrollFor(dword key))(void) {
  bool clientLeftRight =
      CurrentMenuLevel >= 0 && CurrentMenuLevel < MENU_LEVELS && Menu[CurrentMenuLevel].ClientLeftRight;
  switch (key) {
    case RKEY_Up:
      return OSDMenuScrollUp;
    case RKEY_Down:
      return OSDMenuScrollDown;
    case RKEY_Left:
      return clientLeftRight ? nullptr : OSDMenuScrollPageUp;
    case RKEY_Right:
      return clientLeftRight ? nullptr : OSDMenuScrollPageDown;
    case RKEY_Rewind:
    case RKEY_JumpStart:
      return OSDMenuScrollPageUp;
    case RKEY_Forward:
    case RKEY_JumpEnd:
      return OSDMenuScrollPageDown;
    default:
      return nullptr;
  }
}

static bool MenuListEvent(word *event, dword *param1) {
  if (!IsKeyEvent(event, param1)) return FALSE;
  LastUnprocessedOSDMenuKey = 0;
  int (*scroll)(void) = MenuScrollFor(*param1);
  if (scroll == nullptr) {
    LastUnprocessedOSDMenuKey = *param1;
    return FALSE;
  }
  scroll();
  OSDMenuUpdate(FALSE);
  return ConsumeKey(param1);
}

bool OSDMenuEvent(word *event, dword *param1, dword *param2) {
  (void)param2;  // never read or written
  if (InfoBoxOSDRgn) return InfoBoxEvent(event, param1);
  if (MessageBoxOSDRgn) return MessageBoxEvent(event, param1);
  if (ColorPickerOSDRgn) return ColorPickerEvent(event, param1);
  if (OSDRgn) return MenuListEvent(event, param1);
  return FALSE;
}
