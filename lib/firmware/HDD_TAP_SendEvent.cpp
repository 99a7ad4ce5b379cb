// HDD_TAP_SendEvent.cpp - calls another TAP's event handler directly, on the
// TAP thread, as if the firmware delivered the event.
//
// While the handler runs, the firmware's current-task index points at the
// target's slot, so that the target's own TAP API calls act on its behalf;
// the index is restored afterwards (nested sends nest the save and restore).
#include "Kalib.h"

/* Calls the handler of slot `index` with _curTapTask switched to it. */
static dword CallHandler(dword *curTapTask, dword index, TAP_EventHandlerFn handler, word event, dword param1,
                         dword param2) {
  dword saved = *curTapTask;
  *curTapTask = index;
  dword result = handler(event, param1, param2);
  *curTapTask = saved;
  return result;
}

/* One TAP: the handler's result, 0 when the TAP or its handler is missing. */
static dword SendToOne(TYPE_TapTask *table, dword *curTapTask, dword tapId, word event, dword param1,
                       dword param2) {
  int index = HDD_TAP_GetIndexByID(tapId);
  if (index < 0 || index >= TAP_MAX_TASKS) return 0;
  TAP_EventHandlerFn handler = table[index].eventHandler;
  if (handler == nullptr) return 0;
  return CallHandler(curTapTask, (dword)index, handler, event, param1, param2);
}

/* Every slot with a handler, the sender's own included, in slot order.  A
 * handler that returns 0 has consumed the event; with interception allowed
 * that ends the broadcast. */
static dword Broadcast(TYPE_TapTask *table, dword *curTapTask, bool allowEventInterception, word event,
                       dword param1, dword param2) {
  dword result = 0;
  for (dword i = 0; i < TAP_MAX_TASKS; i++) {
    TAP_EventHandlerFn handler = table[i].eventHandler;
    if (handler == nullptr) continue;
    result = CallHandler(curTapTask, i, handler, event, param1, param2);
    if (result == 0 && allowEventInterception) return 0;
  }
  return result;
}

dword HDD_TAP_SendEvent(dword tapId, bool allowEventInterception, word event, dword param1, dword param2) {
  dword *curTapTask = (dword *)FIS_vCurTapTask();
  TYPE_TapTask *table = (TYPE_TapTask *)FIS_vTAPTable();
  if (curTapTask == nullptr || table == nullptr) return 0;

  if (tapId != 0) return SendToOne(table, curTapTask, tapId, event, param1, param2);
  return Broadcast(table, curTapTask, allowEventInterception, event, param1, param2);
}
