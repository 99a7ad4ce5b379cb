// TaskTap.cpp - a test TAP for the task-control and TAP-search tests.
//
// One source, built into several TAP files that differ by compile-time
// settings: the identity (TASKTAP_ID and the texts), the result of its event
// handler for non-idle events (TASKTAP_RESULT) and what it does with the stop
// event (TASKTAP_EXIT_ON_STOP: call TAP_Exit, else ignore it).  Everything it
// sees - its start parameter in TAP_Main and every non-idle event with the
// current-task index at that moment - is appended to the disk file
// "/TaskTap.log" as one line: "<name> main param=<n>|none slot=<n> batch=<0|1>"
// or "<name> event=0x<code> p1=<n> p2=<n> cur=<n>"; batch tells whether the
// batch-mode marker segment existed during TAP_Main.
#include <sys/shm.h>

#include "Kalib.h"
#include "TapLog.h"

#ifndef TASKTAP_ID
#error "TASKTAP_ID must be set"
#endif
#ifndef TASKTAP_NAME
#define TASKTAP_NAME "TaskTap"
#endif
#ifndef TASKTAP_AUTHOR
#define TASKTAP_AUTHOR "Vantero Tests"
#endif
#ifndef TASKTAP_DESCRIPTION
#define TASKTAP_DESCRIPTION "Task control test TAP"
#endif
#ifndef TASKTAP_VERSION
#define TASKTAP_VERSION "T1"
#endif
#ifndef TASKTAP_ETCINFO
#define TASKTAP_ETCINFO "Mar  7 2016"
#endif
#ifndef TASKTAP_RESULT
#define TASKTAP_RESULT 1
#endif
#ifndef TASKTAP_EXIT_ON_STOP
#define TASKTAP_EXIT_ON_STOP 0
#endif

TAP_HEADER();
TAP_ID(TASKTAP_ID);
TAP_PROGRAM_NAME(TASKTAP_NAME);
TAP_PROGRAM_VERSION(TASKTAP_VERSION);
TAP_AUTHOR_NAME(TASKTAP_AUTHOR);
TAP_DESCRIPTION(TASKTAP_DESCRIPTION);
TAP_ETCINFO(TASKTAP_ETCINFO);

static void Record(const char *text) { RecordLine(TASKTAP_NAME, text); }

static dword CurrentTask(void) {
  dword *cur = (dword *)FIS_vCurTapTask();
  return cur != nullptr ? *cur : 0xFFFFFFFFu;
}

static dword TAP_EventHandler(word event, dword param1, dword param2) {
  if (event == EVT_IDLE) return 0;
  char text[128];
  TAP_SPrint(text, "event=0x%04x p1=%u p2=%u cur=%u", event, param1, param2, CurrentTask());
  Record(text);
  if (event == EVT_STOP && TASKTAP_EXIT_ON_STOP) TAP_Exit();
  return TASKTAP_RESULT;
}

static int TAP_Main(void) {
  char text[128];
  dword *param = (dword *)HDD_TAP_GetStartParameter();
  int batch = shmget(TAP_BATCH_MODE_KEY, 1, 0) != -1;
  if (param != nullptr)
    TAP_SPrint(text, "main param=%u slot=%u batch=%d", *param, CurrentTask(), batch);
  else
    TAP_SPrint(text, "main param=none slot=%u batch=%d", CurrentTask(), batch);
  Record(text);
  return 1;
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)
