// CallTrace.h - pieces shared by the call tracer's entry and exit.
// Internal to Kalib.
#ifndef KALIB_CALL_TRACE_H
#define KALIB_CALL_TRACE_H

#include "Kalib.h"

/* Room for the deepest indent (100 blanks) and the terminator. */
#define CALLTRACE_INDENT_SIZE (2 * CALLTRACE_STACK_DEPTH + 1)

/* Two blanks per open call, at most 100. */
void CallTraceIndent(char indent[CALLTRACE_INDENT_SIZE]);

static inline void CallTraceInitIfNeeded(void) {
  if (!CallTraceInitialized) CallTraceInit();
}

#endif /* KALIB_CALL_TRACE_H */
