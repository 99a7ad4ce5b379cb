// Under LeakSanitizer: memory that a TAP's code took with TAP_MemAlloc and
// still holds when it ends, or when the run ends with it loaded, is the
// TAP's heap, which the box gives back with the TAP (the call-trace
// statistics, loaded fonts).  The in-process toolkit tests check the
// toolkit's own allocations without this.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:pvrsim::core::startTapFile\n"
         "leak:pvrsim::core::runTick\n";
}
