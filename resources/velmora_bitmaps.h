// Resource ids of the mixer window's bitmaps, for velmora_bitmaps.rc and the code.
// The bitmaps are drawn by drawbitmaps.py.
#ifndef VELMORA_BITMAPS_H
#define VELMORA_BITMAPS_H

#define IDB_PICTURE              108  // name plate, 118 x 67, key grey 0xCC
#define IDB_SOLO_ON              109  // solo button lit, 34 x 17
#define IDB_MUTE_OFF             110  // mute button dark, 34 x 17
#define IDB_MUTE_ON              111  // mute button lit, 34 x 17
#define IDB_KNOB_DOT             112  // pan knob's indicator dot, 4 x 4
#define IDB_SOLO_OFF             113  // solo button dark, 34 x 17
#define IDB_FADER_THUMB          114  // channel fader thumb, 20 x 35, thumb key
#define IDB_FADER_TRACK          115  // channel fader track, 20 x 202
#define IDB_KNOB                 116  // pan knob face, 42 x 42
#define IDB_METER                118  // LED meter, every segment lit, 18 x 200
#define IDB_MASTER_THUMB_LEFT    122  // left master thumb, 18 x 34, flat right edge
#define IDB_MASTER_THUMB_RIGHT   123  // right master thumb, 18 x 34, flat left edge
#define IDB_MASTER_TRACK_LEFT    128  // left master track, 29 x 228
#define IDB_MASTER_TRACK_RIGHT   129  // right master track, 28 x 228
#define IDB_STRIP                139  // channel strip background, 45 x 650
#define IDB_MASTER_PANEL         141  // master section background, 88 x 327
#define IDB_METER_PANEL          142  // output meters background, 88 x 650

// Each bitmap is drawn at 125, 150, 175 and 200 % too, its size the 96-dpi
// size times the scale: those have the id plus 1, 2, 3 and 4 steps.
#define IDB_SCALE_STEP           1000

#endif
