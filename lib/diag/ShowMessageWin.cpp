// ShowMessageWin.cpp - the emergency message window with the standard layout and colours.
#include "Kalib.h"

void ShowMessageWin(const char *title, const char *lpMessage1, const char *lpMessage2, dword delay) {
  char *content[4] = {(char *)title, (char *)lpMessage1, (char *)lpMessage2, nullptr};
  // A missing first line must not hide the second one behind the list's end.
  if (lpMessage1 == nullptr) {
    content[1] = (char *)lpMessage2;
    content[2] = nullptr;
  }
  ShowMessageWindow(content, 720, 576, 2, 1, 0xFF9C9C9C, 0xFFFFFF52, 0xFFE6FFE6, 0xFF192952, delay);
}
