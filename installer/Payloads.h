// Payloads.h - the files that the installer carries, embedded at build time
// (payloads/CMakeLists.txt): each is a read-only byte array with its length
// in bytes.
#ifndef VANTERO_PAYLOADS_H
#define VANTERO_PAYLOADS_H

#include <stdint.h>

#include "tap.h"

#ifdef __cplusplus
extern "C" {
#endif

#define PAYLOAD(name)                   \
  extern const byte _##name##_Bitmap[]; \
  extern const int32_t _##name##_Size;

PAYLOAD(Vantero)    /* the update manager's TAP */
PAYLOAD(wget)       /* busybox, run as its wget applet */
PAYLOAD(busybox)    /* the box's busybox */
PAYLOAD(VanteroLng) /* the language file "Vantero.lng" */
PAYLOAD(Arial_12B)  /* the UFNT fonts */
PAYLOAD(Arial_14)
PAYLOAD(Calibri_10)
PAYLOAD(Calibri_12)
PAYLOAD(Calibri_14)
PAYLOAD(Calibri_16)
PAYLOAD(Calibri_18)
PAYLOAD(Calibri_20)
PAYLOAD(Calibri_20B)
PAYLOAD(Courier_New_13)

#undef PAYLOAD

#ifdef __cplusplus
}
#endif

#endif /* VANTERO_PAYLOADS_H */
