// Graphics.h - the embedded graphics of the toolkit and the installer.
//
// Each graphic is a firmware descriptor _<Name>_Gd (version 1, format 1 =
// 32-bit ARGB, compression method 2, see GrCompression.h) whose data points
// at the packed pixels _<Name>_Cpm.  The build packs them from the PNGs in
// this folder (library "graphics").
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

extern TYPE_GrData _SelectionBar_Blue_100x34_Gd;           /* 100 x 34 cursor bar tile */
extern TYPE_GrData _SelectionBar_Blue_100x34Dark_Gd;       /* 100 x 34 dark cursor bar tile */
extern TYPE_GrData _ScrollBarVisible_Gd;                   /* 16 x 368 scroll bar track */
extern TYPE_GrData _ScrollBarInvisible_Gd;                 /* 16 x 368 empty scroll bar place */
extern TYPE_GrData _ScrollBarKnob_Gd;                      /* 14 x 20 scroll bar knob */
extern TYPE_GrData _pfeil_l_Gd;                            /* 10 x 15 value arrow left */
extern TYPE_GrData _pfeil_r_Gd;                            /* 10 x 15 value arrow right */
extern TYPE_GrData _pfeil_l_bright_Gd;                     /* 10 x 15 value arrow left, bright */
extern TYPE_GrData _pfeil_r_bright_Gd;                     /* 10 x 15 value arrow right, bright */
extern TYPE_GrData _ColorPicker_Gd;                        /* 360 x 155 colour picker panel */
extern TYPE_GrData _ColorPicker_CursorDeselected_Gd;       /* 12 x 9 slider cursor */
extern TYPE_GrData _ColorPicker_CursorNone_Gd;             /* 12 x 9 slider lane (erases a cursor) */
extern TYPE_GrData _ColorPicker_ValueBackroundSelected_Gd; /* 54 x 13 selected value background */
extern const byte _SelectionBar_Blue_100x34_Cpm[];
extern const byte _SelectionBar_Blue_100x34Dark_Cpm[];
extern const byte _ScrollBarVisible_Cpm[];
extern const byte _ScrollBarInvisible_Cpm[];
extern const byte _ScrollBarKnob_Cpm[];
extern const byte _pfeil_l_Cpm[];
extern const byte _pfeil_r_Cpm[];
extern const byte _pfeil_l_bright_Cpm[];
extern const byte _pfeil_r_bright_Cpm[];
extern const byte _ColorPicker_Cpm[];
extern const byte _ColorPicker_CursorDeselected_Cpm[];
extern const byte _ColorPicker_CursorNone_Cpm[];
extern const byte _ColorPicker_ValueBackroundSelected_Cpm[];

/* Remote-control key symbols for button hints: colour keys 18 x 18; ok, exit,
 * menu, list, option, fav, aux, sat 40 x 20; guide 54 x 20; the others 24 x 20. */
extern TYPE_GrData _Button_red_Gd;
extern TYPE_GrData _Button_green_Gd;
extern TYPE_GrData _Button_yellow_Gd;
extern TYPE_GrData _Button_blue_Gd;
extern TYPE_GrData _Button_white_Gd;
extern TYPE_GrData _Button_ok_Gd;
extern TYPE_GrData _Button_exit_Gd;
extern TYPE_GrData _Button_menu_Gd;
extern TYPE_GrData _Button_list_Gd;
extern TYPE_GrData _Button_option_Gd;
extern TYPE_GrData _Button_fav_Gd;
extern TYPE_GrData _Button_aux_Gd;
extern TYPE_GrData _Button_sat_Gd;
extern TYPE_GrData _Button_guide_Gd;
extern TYPE_GrData _Button_0_Gd;
extern TYPE_GrData _Button_1_Gd;
extern TYPE_GrData _Button_2_Gd;
extern TYPE_GrData _Button_3_Gd;
extern TYPE_GrData _Button_4_Gd;
extern TYPE_GrData _Button_5_Gd;
extern TYPE_GrData _Button_6_Gd;
extern TYPE_GrData _Button_7_Gd;
extern TYPE_GrData _Button_8_Gd;
extern TYPE_GrData _Button_9_Gd;
extern TYPE_GrData _Button_up_Gd;
extern TYPE_GrData _Button_down_Gd;
extern TYPE_GrData _Button_left_Gd;
extern TYPE_GrData _Button_right_Gd;
extern TYPE_GrData _Button_volplus_Gd;
extern TYPE_GrData _Button_volminus_Gd;
extern TYPE_GrData _Button_progplus_Gd;
extern TYPE_GrData _Button_progminus_Gd;
extern TYPE_GrData _Button_play_Gd;
extern TYPE_GrData _Button_pause_Gd;
extern TYPE_GrData _Button_stop_Gd;
extern TYPE_GrData _Button_record_Gd;
extern TYPE_GrData _Button_rwd_Gd;
extern TYPE_GrData _Button_ffwd_Gd;
extern TYPE_GrData _Button_step_Gd;
extern TYPE_GrData _Button_jumpstart_Gd;
extern TYPE_GrData _Button_jumpend_Gd;
extern TYPE_GrData _Button_info_Gd;
extern TYPE_GrData _Button_recall_Gd;
extern TYPE_GrData _Button_mute_Gd;
extern TYPE_GrData _Button_sleep_Gd;
extern TYPE_GrData _Button_tv_radio_Gd;
extern TYPE_GrData _Button_ttx_Gd;
extern TYPE_GrData _Button_subtitle_Gd;
extern TYPE_GrData _Button_audio_Gd;
extern TYPE_GrData _Button_ar_Gd;
extern TYPE_GrData _Button_vf_Gd;
extern TYPE_GrData _Button_m_Gd;
extern TYPE_GrData _Button_cut_Gd;
extern TYPE_GrData _Button_filelist_Gd;
extern TYPE_GrData _Button_select_Gd;
extern TYPE_GrData _Button_nouse_Gd;
extern const byte _Button_red_Cpm[];
extern const byte _Button_green_Cpm[];
extern const byte _Button_yellow_Cpm[];
extern const byte _Button_blue_Cpm[];
extern const byte _Button_white_Cpm[];
extern const byte _Button_ok_Cpm[];
extern const byte _Button_exit_Cpm[];
extern const byte _Button_menu_Cpm[];
extern const byte _Button_list_Cpm[];
extern const byte _Button_option_Cpm[];
extern const byte _Button_fav_Cpm[];
extern const byte _Button_aux_Cpm[];
extern const byte _Button_sat_Cpm[];
extern const byte _Button_guide_Cpm[];
extern const byte _Button_0_Cpm[];
extern const byte _Button_1_Cpm[];
extern const byte _Button_2_Cpm[];
extern const byte _Button_3_Cpm[];
extern const byte _Button_4_Cpm[];
extern const byte _Button_5_Cpm[];
extern const byte _Button_6_Cpm[];
extern const byte _Button_7_Cpm[];
extern const byte _Button_8_Cpm[];
extern const byte _Button_9_Cpm[];
extern const byte _Button_up_Cpm[];
extern const byte _Button_down_Cpm[];
extern const byte _Button_left_Cpm[];
extern const byte _Button_right_Cpm[];
extern const byte _Button_volplus_Cpm[];
extern const byte _Button_volminus_Cpm[];
extern const byte _Button_progplus_Cpm[];
extern const byte _Button_progminus_Cpm[];
extern const byte _Button_play_Cpm[];
extern const byte _Button_pause_Cpm[];
extern const byte _Button_stop_Cpm[];
extern const byte _Button_record_Cpm[];
extern const byte _Button_rwd_Cpm[];
extern const byte _Button_ffwd_Cpm[];
extern const byte _Button_step_Cpm[];
extern const byte _Button_jumpstart_Cpm[];
extern const byte _Button_jumpend_Cpm[];
extern const byte _Button_info_Cpm[];
extern const byte _Button_recall_Cpm[];
extern const byte _Button_mute_Cpm[];
extern const byte _Button_sleep_Cpm[];
extern const byte _Button_tv_radio_Cpm[];
extern const byte _Button_ttx_Cpm[];
extern const byte _Button_subtitle_Cpm[];
extern const byte _Button_audio_Cpm[];
extern const byte _Button_ar_Cpm[];
extern const byte _Button_vf_Cpm[];
extern const byte _Button_m_Cpm[];
extern const byte _Button_cut_Cpm[];
extern const byte _Button_filelist_Cpm[];
extern const byte _Button_select_Cpm[];
extern const byte _Button_nouse_Cpm[];

/* The key symbols by key name ("red" ... "nouse", the names in their graphics'
 * names), in the order above. */
#define KEY_SYMBOL_COUNT 56
typedef struct {
  const char *Name;
  const TYPE_GrData *Symbol;
} tKeySymbol;
extern const tKeySymbol KeySymbols[KEY_SYMBOL_COUNT];

#ifdef __cplusplus
}
#endif

#endif /* KALIB_GRAPHICS_H */
