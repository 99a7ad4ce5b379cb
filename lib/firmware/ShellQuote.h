// ShellQuote.h - quoting of one argument for the box's POSIX shell.
//
// Internal to Kalib, usable by every module that pastes a path into a
// command for system(): include "firmware/ShellQuote.h".
#ifndef KALIB_SHELL_QUOTE_H
#define KALIB_SHELL_QUOTE_H

#include "tap.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Writes text into dest (destSize bytes) as one shell word: enclosed in
 * single quotes, each single quote inside written as '\''.  Nothing inside
 * is then special to the shell.  False, with dest empty, when the quoted
 * text does not fit or an argument is null. */
bool ShellQuote(const char *text, char *dest, size_t destSize);

#ifdef __cplusplus
}
#endif

#endif /* KALIB_SHELL_QUOTE_H */
