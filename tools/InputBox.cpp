// InputBox.cpp - the alpha password box: a message box asking for the
// password with "OK" and "Cancel", and below its text an input field that
// shows the digits typed with the remote control.  "OK" hands the decimal
// value (modulo 2^64) to AlphaPasswordAdd and asks for a new server query.
#include <string.h>

#include "Graphics.h"
#include "ToolsInternal.h"

#define INPUT_FIELD_X 233
#define INPUT_FIELD_Y 286
#define INPUT_FIELD_RIGHT 245
#define INPUT_TEXT_COLOUR 0xFF080808u
#define LANG_PleaseEnterPassword 18
#define LANG_OK 50
#define LANG_Cancel 2

char InputText[INPUTBOX_MAX_DIGITS + 1];
word InputRgn = 0;
bool FlagDoServerQuery = FALSE;

// Whether the message box was shown: a box that never opened (no OSD
// region left) closes at the first event and must not count as "OK".
static bool BoxOpened = false;

void InputBox_MenuDraw(void) {
  CallTraceEnter("InputBox_MenuDraw");
  OSDMenuMessageBoxInitialize("Vantero", LangGetString(LANG_PleaseEnterPassword));
  OSDMenuMessageBoxButtonAdd(LangGetString(LANG_OK));
  OSDMenuMessageBoxButtonAdd(LangGetString(LANG_Cancel));
  OSDMenuMessageBoxButtonSelect(0);
  OSDMenuMessageBoxShow();
  BoxOpened = OSDMenuMessageBoxIsVisible();
  if (!BoxOpened) LogVantero("The password box could not be shown");
  InputText[0] = '\0';
  InputBox_MenuDrawInputBox();
  CallTraceExit(nullptr);
}

void InputBox_MenuDrawInputBox(void) {
  CallTraceEnter("InputBox_MenuDrawInputBox");
  if (InputRgn == 0) {
    // A failed create (a negative result) leaves the field without region.
    int region = TAP_Osd_Create(INPUT_FIELD_X, INPUT_FIELD_Y, _InputBox_Gd.width, _InputBox_Gd.height, 0, 0);
    InputRgn = region > 0 && region < 0xFFFF ? (word)region : 0;
  }
  if (InputRgn != 0) {
    TAP_Osd_PutGd(InputRgn, 0, 0, &_InputBox_Gd, FALSE);
    // Cut with "..." when too wide, left-aligned.
    FM_PutString(InputRgn, 5, 0, INPUT_FIELD_RIGHT, InputText, INPUT_TEXT_COLOUR, 0, &Calibri_VPD_12_FontData,
                 1, 0);
  }
  TAP_Osd_Sync();
  CallTraceExit(nullptr);
}

// The decimal value of the digits, modulo 2^64; 0 for none.
static int64 InputValue(void) {
  int64 value = 0;
  for (const char *p = InputText; *p >= '0' && *p <= '9'; p++) value = value * 10 + (int64)(*p - '0');
  return value;
}

// The box was closed by its keys: hand over the password after "OK",
// remove the field and leave the dialog's menu state.
static void Closed(void) {
  if (BoxOpened && OSDMenuMessageBoxLastButton() == 0) {
    AlphaPasswordAdd(InputValue());
    FlagDoServerQuery = TRUE;
  }
  if (InputRgn != 0) TAP_Osd_Delete(InputRgn);
  InputRgn = 0;
  BoxOpened = false;
  MenuStatePop();
  OSDMenuMessageBoxDestroy();
}

// A key the box left alone: a digit or the back key edits the text.
static void EditKey(dword key) {
  dword length = strlen(InputText);
  if (key >= RKEY_0 && key <= RKEY_9) {
    if (length >= INPUTBOX_MAX_DIGITS) return;
    InputText[length] = (char)('0' + (key & 0x0F));
    InputText[length + 1] = '\0';
  } else if (key == RKEY_Recall) {
    if (length == 0) return;
    InputText[length - 1] = '\0';
  } else {
    return;
  }
  InputBox_MenuDrawInputBox();
}

dword InputBox_EventHandler(word *event, dword *param1, dword *param2) {
  CallTraceEnter("InputBox_EventHandler");
  if (event != nullptr && param1 != nullptr) {
    dword key = *param1;
    if (OSDMenuMessageBoxIsVisible()) {
      dword copy = *param1;
      if (OSDMenuEvent(event, &copy, param2)) InputBox_MenuDrawInputBox();
    }
    if (!OSDMenuMessageBoxIsVisible())
      Closed();
    else if (*event == EVT_KEY)
      EditKey(key);
  }
  CallTraceExit(nullptr);
  return 0;
}
