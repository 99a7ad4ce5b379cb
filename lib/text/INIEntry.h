// INIEntry.h - holding a text in the INI buffer, finding an entry of it and
// copying its value, shared by the INI reader and the language loader (not
// part of the public interface), so that both hold and read a text alike.
#ifndef KALIB_TEXT_INI_ENTRY_H
#define KALIB_TEXT_INI_ENTRY_H

#include <stddef.h>

#include "Kalib.h"

// The first occurrence of keyText (the key followed by "=") in INIBuffer,
// ignoring case, that is not commented out by a "#" or ";" right before it;
// null when there is none or no file is open.
char *INIFindEntry(const char *keyText);

// Copies the value of the entry at `entry` (whose key text is keyTextLength
// bytes) into value: the rest of its line, at most maxLength - 1 bytes,
// terminated.  A null entry or an empty value gives the default.
// maxLength is at least 1.
void INICopyValue(const char *entry, size_t keyTextLength, char *value, const char *defaultValue,
                  dword maxLength);

// A zeroed INIBuffer for a text of length bytes, with room behind it for a
// final line end and the terminator; BufferSize set.  False when memory is
// short (INIBuffer null then).
bool INIAllocBuffer(dword length);

// Appends CR LF to the text in INIBuffer unless it ends in CR or LF.
void INIEndLastLine(void);

#endif
