// TemplateTap.cpp - a TAP file that the data-file tests copy into many TAPs:
// each copy gets its own TAP ID by replacing the template's ID, which occurs
// once in the file (DataFilesSim::putTap).
#include "Kalib.h"

TAP_HEADER();
TAP_ID(0xD47AF11E);
TAP_PROGRAM_NAME("Template TAP");
TAP_PROGRAM_VERSION("T1");
TAP_AUTHOR_NAME("Vantero Tests");
TAP_DESCRIPTION("Inventory test TAP");
TAP_ETCINFO("Jan  5 2016");

extern "C" {
int TAP_Main(void);
}

int TAP_Main(void) { return 0; }

TAP_ENTRY_POINTS(TAP_Main, nullptr)
