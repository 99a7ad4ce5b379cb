// SeedTap.c - a minimal TAP file for the fuzzer's seed corpus: the identity
// sections of a TAP, linked into a tiny ELF32 shared object.
#include "tap.h"

TAP_HEADER();
TAP_ID(0x5C3E1A25);
TAP_PROGRAM_NAME("Vantero Setup V2.1");
TAP_PROGRAM_VERSION("V2.1");
TAP_AUTHOR_NAME("Vantero Team");
TAP_DESCRIPTION("Vantero Setup");
TAP_ETCINFO("Dec 31 2015");
