/*
 * Graphics.h - the embedded graphics of the toolkit and the installer.
 *
 * Each graphic is a firmware descriptor _<Name>_Gd (version 1, format 1 =
 * 32-bit ARGB, compression method 2, see GrCompression.h) whose data points
 * at the packed pixels _<Name>_Cpm.  The build packs them from the PNGs in
 * this folder (library "graphics").
 */
#ifndef KALIB_GRAPHICS_H
#define KALIB_GRAPHICS_H

#include "tap.h"

#ifdef __cplusplus
extern "C" {
#endif

extern TYPE_GrData _InfoBox_Gd;                            /* 380 x 190 box background */
extern TYPE_GrData _MessageBoxSelectedButtonBackground_Gd; /* 100 x 25 highlighted button */
extern TYPE_GrData _WaitSpinner_All_Gd;                    /* 1000 x 50, 20 frames of 50 x 50 */
extern TYPE_GrData _InputBox_Gd;                           /* 252 x 18 empty bar, input field */
extern TYPE_GrData _Progressbar_Gd;                        /* 252 x 18 full bar */

extern const byte _InfoBox_Cpm[];
extern const byte _MessageBoxSelectedButtonBackground_Cpm[];
extern const byte _WaitSpinner_All_Cpm[];
extern const byte _InputBox_Cpm[];
extern const byte _Progressbar_Cpm[];

#ifdef __cplusplus
}
#endif

#endif /* KALIB_GRAPHICS_H */
