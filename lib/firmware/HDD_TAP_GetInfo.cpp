// HDD_TAP_GetInfo.cpp - reads the identity of a TAP file on the disk (or of
// a whole file image in memory): its TAP ID, build date, name, author,
// description and version, from the file's named ELF sections, without
// loading the file.
#include <stdlib.h>
#include <string.h>

#include "ELFReader.h"
#include "Kalib.h"

/* Copies a text section whole into a fixed field, cut to the field and
 * always terminated; a missing or unreadable section leaves it empty. */
static void ReadTextSection(const char *sectionName, char *field, dword fieldSize) {
  field[0] = '\0';
  dword index = ELFGetSectionIndex(sectionName);
  if (index == 0) return;
  dword size = ELFGetSectionSize(index);
  dword length = size < fieldSize - 1 ? size : fieldSize - 1;
  if (!ELFReadDataPrefix(index, (byte *)field, length)) {
    field[0] = '\0';
    return;
  }
  field[length] = '\0';
}

/* Month number 1 to 12 of an abbreviation "Jan" ... "Dec", 0 for any other
 * text. */
static byte MonthFromAbbreviation(const char *text) {
  static const char *const Months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 12; i++)
    if (strcmp(text, Months[i]) == 0) return (byte)(i + 1);
  return 0;
}

/* The build date from "._tap_etcinfo", which begins like "Dec 31 2015":
 * month abbreviation, blank, two-character day, blank, year.  0 when the
 * section is missing or unreadable. */
static dword ReadBuildDate(void) {
  dword index = ELFGetSectionIndex("._tap_etcinfo");
  if (index == 0) return 0;

  /* Zero-filled and one byte larger than what is read, so that the fixed
   * character positions below and atoi stay inside a terminated text
   * whatever the length of the section. */
  char text[128];
  memset(text, 0, sizeof(text));
  if (!ELFReadDataPrefix(index, (byte *)text, sizeof(text) - 1)) return 0;

  // atoi gives 0 for a field that is no number: a malformed date yields a wrong Date, never a fault.
  int year = atoi(&text[7]);  // NOLINT(cert-err34-c)
  text[6] = '\0';
  int day = atoi(&text[4]);  // NOLINT(cert-err34-c)
  text[3] = '\0';
  byte month = MonthFromAbbreviation(text);
  return TAP_MakeMjd((word)year, month, (byte)day);
}

/* The identity of the file the reader has open (a file or an image); closes
 * it.  false when it is no TAP. */
static bool ReadOpenTAPInfo(tTAPInfo *info) {
  if (!ELFReadELFHeader() || !ELFReadSectionHeaders() || !ELFReadShstrtabSection()) {
    ELFCleanup();
    return false;
  }

  dword idIndex = ELFGetSectionIndex("._tap_id");
  dword tapId = 0;
  if (idIndex == 0 || !ELFReadDWORD(idIndex, &tapId)) {
    ELFCleanup();
    return false;
  }
  info->TAPID = tapId;

  info->Date = ReadBuildDate();
  ReadTextSection("._tap_program_name", info->TAPName, sizeof(info->TAPName));
  ReadTextSection("._tap_author_name", info->Author, sizeof(info->Author));
  ReadTextSection("._tap_description", info->Description, sizeof(info->Description));
  ReadTextSection("._tap_program_version", info->TAPVersion, sizeof(info->TAPVersion));

  ELFCleanup();
  return true;
}

bool HDD_TAP_GetInfo(const char *fileName, tTAPInfo *info) {
  if (info == nullptr) return false;
  if (!ELFOpenFile(fileName)) return false;
  return ReadOpenTAPInfo(info);
}

bool HDD_TAP_GetInfoFromImage(const byte *image, dword size, tTAPInfo *info) {
  if (info == nullptr) return false;
  if (!ELFOpenImage(image, size)) return false;
  return ReadOpenTAPInfo(info);
}
