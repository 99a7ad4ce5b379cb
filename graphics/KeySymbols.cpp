// KeySymbols.cpp - the remote-control key symbols by key name, for clients
// that pick a hint's symbol by name and for showing all of them.
#include "Graphics.h"

const tKeySymbol KeySymbols[KEY_SYMBOL_COUNT] = {
    {"red", &_Button_red_Gd},           {"green", &_Button_green_Gd},         {"yellow", &_Button_yellow_Gd},
    {"blue", &_Button_blue_Gd},         {"white", &_Button_white_Gd},         {"ok", &_Button_ok_Gd},
    {"exit", &_Button_exit_Gd},         {"menu", &_Button_menu_Gd},           {"list", &_Button_list_Gd},
    {"option", &_Button_option_Gd},     {"fav", &_Button_fav_Gd},             {"aux", &_Button_aux_Gd},
    {"sat", &_Button_sat_Gd},           {"guide", &_Button_guide_Gd},         {"0", &_Button_0_Gd},
    {"1", &_Button_1_Gd},               {"2", &_Button_2_Gd},                 {"3", &_Button_3_Gd},
    {"4", &_Button_4_Gd},               {"5", &_Button_5_Gd},                 {"6", &_Button_6_Gd},
    {"7", &_Button_7_Gd},               {"8", &_Button_8_Gd},                 {"9", &_Button_9_Gd},
    {"up", &_Button_up_Gd},             {"down", &_Button_down_Gd},           {"left", &_Button_left_Gd},
    {"right", &_Button_right_Gd},       {"volplus", &_Button_volplus_Gd},     {"volminus", &_Button_volminus_Gd},
    {"progplus", &_Button_progplus_Gd}, {"progminus", &_Button_progminus_Gd}, {"play", &_Button_play_Gd},
    {"pause", &_Button_pause_Gd},       {"stop", &_Button_stop_Gd},           {"record", &_Button_record_Gd},
    {"rwd", &_Button_rwd_Gd},           {"ffwd", &_Button_ffwd_Gd},           {"step", &_Button_step_Gd},
    {"jumpstart", &_Button_jumpstart_Gd}, {"jumpend", &_Button_jumpend_Gd},   {"info", &_Button_info_Gd},
    {"recall", &_Button_recall_Gd},     {"mute", &_Button_mute_Gd},           {"sleep", &_Button_sleep_Gd},
    {"tv_radio", &_Button_tv_radio_Gd}, {"ttx", &_Button_ttx_Gd},             {"subtitle", &_Button_subtitle_Gd},
    {"audio", &_Button_audio_Gd},       {"ar", &_Button_ar_Gd},               {"vf", &_Button_vf_Gd},
    {"m", &_Button_m_Gd},               {"cut", &_Button_cut_Gd},             {"filelist", &_Button_filelist_Gd},
    {"select", &_Button_select_Gd},     {"nouse", &_Button_nouse_Gd},
};
