// OSDMenuBox.h - helpers that the message box and the info box share (not
// part of the public API): the common panel position, the background saved
// under it and the drawing of multi-line text.
#ifndef KALIB_OSD_MENU_BOX_H
#define KALIB_OSD_MENU_BOX_H

#include "Graphics.h"
#include "Kalib.h"

/* Panel size and colours shared by the message box and the info box. */
#define OSDMENU_BOX_TITLE_COLOR 0xFFE89211u
#define OSDMENU_BOX_TEXT_COLOR 0xFFC0C0C0u
#define OSDMENU_BOX_FONT_SIZE 14
#define OSDMENU_BOX_TEXT_BYTES 256
#define OSDMENU_BOX_CELL_HEIGHT 23 /* cell of "Calibri_14.ufnt" */

/* True while any toolkit region is open (menu list, progress bar, info box,
 * message box, colour picker). */
bool OSDMenuAnyRegionOpen(void);

/* Opens a box region centred on the screen with the panel graphic's size;
 * the pixels under it are saved first when the client has a region of its
 * own.  Returns the region, 0 when the firmware refused it. */
word OSDMenuBoxOpen(void);

/* Saves the pixels under the panel's screen area (from MyOSDRgn, or else
 * from OSDRgn) into InfoBoxSaveArea, when the client has such a region.
 * The colour picker, which lies inside that area, uses it too. */
void OSDMenuBoxSaveBackground(void);

/* Gives the saved pixels back to the region they came from and forgets
 * MyOSDRgn. */
void OSDMenuBoxRestoreBackground(void);

/* Splits text (at most 255 bytes are used; with keepSelector a leading
 * character-table selector is copied whole, as strncpyUC does) at every CR
 * and LF and draws the lines centred across
 * the panel, line i of n at firstLineY - 10n + 20i.  Lines that would not
 * lie wholly inside the panel are left out. */
void OSDMenuBoxDrawLines(word rgn, const char *text, int firstLineY, bool keepSelector);

#endif
