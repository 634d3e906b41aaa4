// Resource and command ids of the mixer program, shared by its resource
// script and its C++ sources (so plain #defines: the resource compiler reads
// this too).
#pragma once

#define IDR_VELMORA_MENU 125
#define IDI_VELMORA 31234
#define IDD_PREFERENCES 130
#define IDD_REMOTE_CONTROL 131

// Menu commands.
#define ID_FILE_EXIT 40001
#define ID_FILE_PREFERENCES 40002
#define ID_FILE_SAVEAS 40005
#define ID_FILE_OPEN 40006
#define ID_FILE_SAVE 40007
#define ID_HELP_ABOUT 40008

// The preferences dialog's five lists.
#define IDC_PAN_MOTION 1000
#define IDC_PAN_FINE 1001
#define IDC_PAN_CENTER 1002
#define IDC_FADE_FINE 1003
#define IDC_FADE_CENTER 1004

// The Remote Control dialog.
#define IDC_REMOTE_ENABLED 1100
#define IDC_REMOTE_PORT 1101
#define IDC_REMOTE_THIS_COMPUTER 1102
#define IDC_REMOTE_LOCAL_NETWORK 1103
#define IDC_REMOTE_REPLY_SENDER 1104
#define IDC_REMOTE_REPLY_FIXED 1105
#define IDC_REMOTE_REPLY_PORT 1106
#define IDC_REMOTE_ADDRESSES 1107
#define IDC_REMOTE_STATUS 1108

// The program's version, for the version resource and the About box.
#include "version.h"
#define VELMORA_VERSION_TEXT KORVANE_MIXER_VERSION_TEXT
#define VELMORA_VERSION_NUMBERS KORVANE_MIXER_VERSION_NUMBERS
#define VELMORA_MAKER KORVANE_MAKER
#define VELMORA_YEAR KORVANE_COPYRIGHT_YEAR
