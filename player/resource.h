// Resource and control ids of vorlex.exe, shared by vorlex.rc and the code.
#ifndef VORLEX_RESOURCE_H
#define VORLEX_RESOURCE_H

// Resources
#define IDR_MAIN_MENU 2
#define IDI_VORLEX 3
#define IDS_OPEN_FILTER 4

// Dialogs
#define IDD_FRAME_OPTIONS 11
#define IDD_IMAGE_OPTION 12
#define IDD_SEQUENCE_OPTION 13
#define IDD_FRAME_NUMBER 14
#define IDD_SAVE_FRAME 15
#define IDD_COMPARISON_STATISTICS 16
#define IDD_Y4M_INDEX 17

// Menu items
#define IDM_OPEN_SEQUENCE 101
#define IDM_OPEN_IMAGE 102
#define IDM_EXIT 110
#define IDM_PLAY 201
#define IDM_STOP 202
#define IDM_PAUSE 203
#define IDM_SHOW_FRAME 204
#define IDM_SAVE_RAW 205
#define IDM_SAVE_BITMAP 206
#define IDM_FRAME_OPTIONS 301
#define IDM_IMAGE_OPTION 302
#define IDM_SEQUENCE_OPTION 303
#define IDM_Y_ONLY 304
// Items beyond the original menu
#define IDM_COMPARE 103
#define IDM_END_COMPARISON 104
#define IDM_COMPARISON_STATISTICS 105
#define IDM_SETTINGS_FROM_NAME 305
#define IDM_INSPECTOR 306
// Options > Zoom: 1/2, 1, 2, 4, 8 in the order of the Zoom values
#define IDM_ZOOM_FIRST 310
#define IDM_ZOOM_LAST 314
// Options > Colour matrix: the ColourMatrix codes 0 to 6 in order
#define IDM_MATRIX_FIRST 320
#define IDM_MATRIX_LAST 326

// Commands of the keys alone (accelerator table 5); the menus do not show them
#define IDR_FRAME_KEYS 5
#define IDK_NEXT_FRAME 401
#define IDK_PREVIOUS_FRAME 402
#define IDK_FIRST_FRAME 403
#define IDK_LAST_FRAME 404
#define IDK_PLAY_PAUSE 405
// ... and of a comparison
#define IDK_FLIP_VIEW 406
#define IDK_DIFFERENCE_VIEW 407
#define IDK_GAIN_UP 408
#define IDK_GAIN_DOWN 409
#define IDK_NEXT_DIFFERENCE 410
#define IDK_PREVIOUS_DIFFERENCE 411
// The magnifier's plane.
#define IDK_MAGNIFY_Y 412
#define IDK_MAGNIFY_U 413
#define IDK_MAGNIFY_V 414
// Zoom out and in (Ctrl+- and Ctrl++; also items of Options > Zoom).
#define IDK_ZOOM_OUT 415
#define IDK_ZOOM_IN 416

// Frame Options (11)
#define IDC_PRESET_FIRST 101 // SQCIF; QCIF, CIF, 4CIF, 16CIF follow
#define IDC_PRESET_CUSTOM 106
#define IDC_CUSTOM_WIDTH 107
#define IDC_CUSTOM_WIDTH_LABEL 108
#define IDC_CUSTOM_HEIGHT 109
#define IDC_CUSTOM_HEIGHT_LABEL 110
#define IDC_FRAME_SIZE_GROUP 201

// Type radios of Image Option (12) and Sequence Option (13)
#define IDC_TYPE_GRAY 101
#define IDC_TYPE_YUV444 102
#define IDC_TYPE_YUV422 103
#define IDC_TYPE_YUV411 104
#define IDC_TYPE_YUV420 105
#define IDC_TYPE_RGB 106
#define IDC_TYPE_BGR 107

// Image Option (12)
#define IDC_IMAGE_WIDTH 108
#define IDC_IMAGE_HEIGHT 109
#define IDC_IMAGE_HEADER 110
#define IDC_IMAGE_TYPE_GROUP 201
#define IDC_IMAGE_SIZE_GROUP 202
#define IDC_IMAGE_HEADER_GROUP 203

// Sequence Option (13); "Other:" and its list pick an extended layout
#define IDC_TYPE_OTHER 108
#define IDC_SEQUENCE_HEADER 109
#define IDC_FRAME_RATE 110
#define IDC_OTHER_LAYOUT 111
#define IDC_SEQUENCE_TYPE_GROUP 201
#define IDC_SEQUENCE_HEADER_GROUP 203

// Frame Number (14) and Frame Number with file name (15)
#define IDC_FRAME_NUMBER 101
#define IDC_SAVE_FILE_NAME 102
#define IDC_FRAME_NUMBER_GROUP 201
#define IDC_FILE_NAME_GROUP 202

// Comparison statistics (16)
#define IDC_STATS_TABLE 101 // the list of frames
#define IDC_STATS_PROGRESS 102
#define IDC_STATS_STATE 103
#define IDC_STATS_COPY 104
#define IDC_STATS_SAVE 105
#define IDC_STATS_SUMMARY 106 // the list of the summary
#define IDC_STATS_PLOT 107
#define IDC_STATS_PSNR 108 // the plot's two radios
#define IDC_STATS_SSIM 109
#define IDC_STATS_SAVE_PLOT 112
#define IDC_INDEX_STATE 110
#define IDC_INDEX_PROGRESS 111

#endif
