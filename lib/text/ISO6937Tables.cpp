// ISO6937Tables.cpp - the upper half of ISO/IEC 6937 (as broadcast in DVB
// service information) and the mark-and-letter pairs that have a
// precomposed Latin-1 form.
//
// 0xC1-0xCF are non-spacing diacritical marks that precede their letter; on
// their own they map to the combining characters U+0300 ff.
#include "TextTables.h"

extern "C" const word UTFLookupISO6937[96] = {
  0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x20AC, 0x00A5, 0x0000, 0x00A7,  /* 0xA0 */
  0x00A4, 0x2018, 0x201C, 0x00AB, 0x2190, 0x2191, 0x2192, 0x2193,  /* 0xA8 */
  0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00D7, 0x00B5, 0x00B6, 0x00B7,  /* 0xB0 */
  0x00F7, 0x2019, 0x201D, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  /* 0xB8 */
  0x0000, 0x0300, 0x0301, 0x0302, 0x0303, 0x0304, 0x0306, 0x0307,  /* 0xC0 */
  0x0308, 0x0000, 0x030A, 0x0327, 0x0000, 0x030B, 0x0328, 0x030C,  /* 0xC8 */
  0x2015, 0x00B9, 0x00AE, 0x00A9, 0x2122, 0x266A, 0x00AC, 0x00A6,  /* 0xD0 */
  0x0000, 0x0000, 0x0000, 0x0000, 0x215B, 0x215C, 0x215D, 0x215E,  /* 0xD8 */
  0x2126, 0x00C6, 0x0110, 0x00AA, 0x0126, 0x0000, 0x0132, 0x013F,  /* 0xE0 */
  0x0141, 0x00D8, 0x0152, 0x00BA, 0x00DE, 0x0166, 0x014A, 0x0149,  /* 0xE8 */
  0x0138, 0x00E6, 0x0111, 0x00F0, 0x0127, 0x0131, 0x0133, 0x0140,  /* 0xF0 */
  0x0142, 0x00F8, 0x0153, 0x00DF, 0x00FE, 0x0167, 0x014B, 0x00AD,  /* 0xF8 */
};

/* 53 pairs: grave, acute, circumflex, tilde, diaeresis, ring above, cedilla. */
const char ISO6937DiacriticalPairs[] =
  "\xC1" "A" "\xC1" "E" "\xC1" "I" "\xC1" "O" "\xC1" "U"
  "\xC1" "a" "\xC1" "e" "\xC1" "i" "\xC1" "o" "\xC1" "u"
  "\xC2" "A" "\xC2" "E" "\xC2" "I" "\xC2" "O" "\xC2" "U" "\xC2" "Y"
  "\xC2" "a" "\xC2" "e" "\xC2" "i" "\xC2" "o" "\xC2" "u" "\xC2" "y"
  "\xC3" "A" "\xC3" "E" "\xC3" "I" "\xC3" "O" "\xC3" "U"
  "\xC3" "a" "\xC3" "e" "\xC3" "i" "\xC3" "o" "\xC3" "u"
  "\xC4" "A" "\xC4" "N" "\xC4" "O" "\xC4" "a" "\xC4" "n" "\xC4" "o"
  "\xC8" "A" "\xC8" "E" "\xC8" "I" "\xC8" "O" "\xC8" "U"
  "\xC8" "a" "\xC8" "e" "\xC8" "i" "\xC8" "o" "\xC8" "u" "\xC8" "y"
  "\xCA" "A" "\xCA" "a"
  "\xCB" "C" "\xCB" "c";

const char ISO6937DiacriticalUTF8[] =
  "À" "È" "Ì" "Ò" "Ù" "à" "è" "ì" "ò" "ù"
  "Á" "É" "Í" "Ó" "Ú" "Ý" "á" "é" "í" "ó" "ú" "ý"
  "Â" "Ê" "Î" "Ô" "Û" "â" "ê" "î" "ô" "û"
  "Ã" "Ñ" "Õ" "ã" "ñ" "õ"
  "Ä" "Ë" "Ï" "Ö" "Ü" "ä" "ë" "ï" "ö" "ü" "ÿ"
  "Å" "å"
  "Ç" "ç";

static_assert(sizeof(ISO6937DiacriticalPairs) == 53 * 2 + 1, "53 mark-and-letter pairs");
static_assert(sizeof(ISO6937DiacriticalUTF8) == 53 * 2 + 1, "53 two-byte results");
