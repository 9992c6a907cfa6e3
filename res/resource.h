// Resource identifiers shared by the English and Japanese resource sets.
#pragma once

// Dialog templates
#define IDD_VERSION            100
#define IDD_CLOCK              102
#define IDD_DISPLAY_SETTINGS   130
#define IDD_KEY_INPUT          131
#define IDD_QUICKTIMER         136
#define IDD_COUNTER            138
#define IDD_TIME_ADJUST        147
#define IDD_LAUNCHER           148
#define IDD_LAUNCHER_ADD       150
#define IDD_LAUNCHER_ADD_ENCODE 151
#define IDD_FILE_PROGRESS      152
#define IDD_OPEN_ELSEWHERE     160

// Menus
#define IDR_CONTEXT_MENU       129
#define IDR_CELL_MENU          142
#define IDR_COUNTER_MENU       143

// Icons and bitmaps
#define IDI_VELTA              128
#define IDI_CHECK              134
#define IDB_CELLS              141
#define IDI_QUICKTIMER         149
#define IDI_DATE_AND_CLOCK     150
#define IDI_EXIT               151
#define IDI_WINDOW_FRAME       152
#define IDI_TASKTRAY           153
#define IDI_TOPMOST            154
#define IDI_VERSION            155
#define IDI_TRANSPARENT        156
#define IDI_MENU_ICONS         157
#define IDI_TIME_ADJUST        158
#define IDI_LAUNCHER           159
#define IDI_EXECUTE_ADJUST     160
#define IDI_START_AT_SIGN_IN   15051
// The cell picture (IDB_CELLS, 16 x 16) drawn again for the cells of larger DPIs
#define IDB_CELLS_20           161
#define IDB_CELLS_24           162
#define IDB_CELLS_32           163
#define IDB_CELLS_40           164
#define IDB_CELLS_48           165

// String table
#define IDS_TOKEN_Y4           105
#define IDS_TOKEN_Y2           106
#define IDS_TOKEN_MONTH_NAME   107
#define IDS_TOKEN_MONTH_ABBR   108
#define IDS_TOKEN_MONTH        109
#define IDS_TOKEN_DAY          110
#define IDS_TOKEN_WEEK_NAME    111
#define IDS_TOKEN_WEEK_ABBR    112
#define IDS_TOKEN_AMPM         113
#define IDS_TOKEN_HOUR24       114
#define IDS_TOKEN_HOUR12       115
#define IDS_TOKEN_MINUTES      116
#define IDS_TOKEN_TIMER_COUNT  117
#define IDS_TOKEN_SECONDS      118
#define IDS_COUNTER_FORMAT     119
#define IDS_MESSAGE_FORMAT     120
#define IDS_INPUT_ERROR        121
#define IDS_TOKEN_TIMER_MIN    122
#define IDS_TOKEN_TIMER_SEC    123
#define IDS_ADJUST_SUCCEEDED   124
#define IDS_ADJUST_FAILED      125
#define IDS_RESTORE_ENCODED    126
#define IDS_CLOSE_RUNNING_FILE 127

// Commands of the clock window's context menu
#define ID_DISPLAY_SETTING     32771
#define ID_EXIT                32772
#define ID_VERSION             32773
#define ID_WINDOW_FRAME        32775
#define ID_TRANSPARENT         32776
#define ID_QUICKTIMER          32787
#define ID_DATE_AND_CLOCK      32788
#define ID_TASKTRAY            32789
#define ID_TOPMOST             32797
#define ID_MENU_ICONS          32798
#define ID_TIME_ADJUST         32799
#define ID_LAUNCHER            32800
#define ID_EXECUTE_ADJUST      32801
// Start at sign-in (the Startup folder's VELTA.lnk, shared with the installer); 32810 to 32819
#define ID_START_AT_SIGN_IN    32810

#ifndef IDC_STATIC
#define IDC_STATIC             (-1)
#endif

// ---- Clock face: display settings dialog, colour buttons ----
#define IDC_TEXT_COLOUR        1000
#define IDC_BACK_COLOUR        1001
#define IDC_SELECT_FONT        1002
#define IDC_FORMAT             1003
#define IDC_PREVIEW            1004
#define IDC_TOKENS             1007
#define IDC_ADD_TOKEN          1008
#define IDC_ALIGN_LEFT         1009
#define IDC_ALIGN_CENTER       1010
#define IDC_ALIGN_RIGHT        1011
#define IDC_ALIGN_GROUP        1012
#define IDC_ALIGN_LABEL        1047
// Names of the colour drop-down's cells for screen readers: %1 red, %2 green, %3 blue
#define IDS_COLOUR_CELL        15100
#define IDS_COLOUR_OTHER       15101

// ---- QuickTimer: cell menu, counter menu, dialog ----
// QuickTimer dialog (136)
#define IDC_QT_MESSAGE_SETTING 1002
#define IDC_QT_COUNTER_SETTING 1004
#define IDC_QT_MESSAGE         1028
#define IDC_QT_SOUND           1029
#define IDC_QT_EXECUTE         1030
#define IDC_QT_WAVE            1031
#define IDC_QT_WAVE_BROWSE     1032
#define IDC_QT_APP             1033
#define IDC_QT_APP_BROWSE      1034
#define IDC_QT_COUNTER         1035
#define IDC_QT_PARAM           1036
#define IDC_QT_WAVE_LABEL      1037
#define IDC_QT_APP_LABEL       1038
#define IDC_QT_PARAM_LABEL     1039
#define IDC_QT_MINUTES         1042
#define IDC_QT_SECONDS         1043
#define IDC_QT_SECONDS_LABEL   1044
// Cell menu (142)
#define ID_QT_STOP             32790
#define ID_QT_COUNTER_WINDOW   32791
#define ID_QT_MESSAGE_BOX      32792
#define ID_QT_PLAY_SOUND       32793
#define ID_QT_EXECUTE_APP      32794
// A typed value longer than its field allows (the dialog data exchange's own message)
#define IDS_QT_MAX_CHARS       61704

// ---- Time adjustment dialog ----
#define IDC_ADJUST_AT_START    1048
#define IDC_ADJUST_PORT        1050
#define IDC_ADJUST_TIMEOUT     1051
#define IDC_ADJUST_RETRY       1052
#define IDC_ADJUST_MESSAGE     1053
#define IDC_ADJUST_SERVER      1054
#define IDC_ADJUST_GROUP       1055
#define IDC_ADJUST_SERVER_LABEL 1056
#define IDC_ADJUST_PORT_LABEL  1057
#define IDC_ADJUST_TIMEOUT_LABEL 1058
#define IDC_ADJUST_RETRY_LABEL 1059
#define IDC_ADJUST_MS_LABEL    1060
#define IDC_ADJUST_TIMES_LABEL 1061
// The standard messages of a refused number in a dialog field.
#define IDS_VALIDATE_UNSIGNED  14700
#define IDS_VALIDATE_RANGE     14701
// The question when setting the clock was refused for want of rights.
#define IDS_ADJUST_NEEDS_ADMIN 14702
// Elevation refused or not made, and the question before a correction of more than an hour.
#define IDS_ADJUST_NOT_SET         15000
#define IDS_ADJUST_PROGRAM_CHANGED 15001
#define IDS_ADJUST_STEP_BEHIND     15002
#define IDS_ADJUST_STEP_AHEAD      15003
#define IDS_STEP_DAY               15004
#define IDS_STEP_DAYS              15005
#define IDS_STEP_HOUR              15006
#define IDS_STEP_HOURS             15007
#define IDS_STEP_MINUTE            15008
#define IDS_STEP_MINUTES           15009
#define IDS_STEP_SECOND            15010
#define IDS_STEP_SECONDS           15011
#define IDS_STEP_TWO_PARTS         15012

// ---- Launcher window and dialogs ----
#define IDC_LAUNCHER_LIST        1000
#define IDC_LAUNCHER_ADD         3
#define IDC_LAUNCHER_UP          1002
#define IDC_LAUNCHER_DEL         1003
#define IDC_LAUNCHER_EXECUTE_ALL 1004
#define IDC_LAUNCHER_DOWN        1005
#define IDC_LAUNCHER_TABS        1010
#define IDC_LAUNCHER_FRAME       1011
#define IDC_LAUNCHER_ADD_PATH    1002
#define IDC_LAUNCHER_ADD_BROWSE  1003
#define IDC_LAUNCHER_ADD_ENCODE  1004
#define IDC_LAUNCHER_ADD_KEY     1005
#define IDC_LAUNCHER_ADD_KEY_LABEL 1006
#define IDC_LAUNCHER_ADD_NAME    1007
#define IDC_LAUNCHER_ADD_NOTE    1008
#define IDC_ENCODING_KEY         1005
#define IDS_LAUNCHER_NAME_COLUMN 1480
#define IDS_LAUNCHER_FILE_FILTER 1481
// Progress of the launcher's file work (152); %1 is the file
#define IDC_FILE_PROGRESS_TEXT   1020
#define IDC_FILE_PROGRESS_BAR    1021
#define IDC_FILE_PROGRESS_PERCENT 1022
#define IDS_FILE_ENCODING        1482
#define IDS_FILE_DECODING        1483
// %1 the restored file, %2 the system's reason
#define IDS_REENCODE_FAILED      1484
// The reason when a restored file could not be deleted after it was encoded again
#define IDS_FILE_IN_USE          1485
// At start-up: %1 the restored files an interrupted run left, one a line
#define IDS_LEFT_DECODED         1486
// The notice of a restored file still open in another program (160); %1 the item's name
#define IDC_OPEN_ELSEWHERE_TEXT  1023
#define IDC_ENCODE_NOW           1024
#define IDS_OPEN_ELSEWHERE       1487
#define IDS_STILL_OPEN           1488
// The launcher's texts from 14800 to 14849.
// A key with a character the system's ANSI code page cannot hold
#define IDS_KEY_NOT_IN_CODE_PAGE 14800
// The run of an encoded item and the adding of items (%1 an item or a file).
#define IDS_TAB_FULL             14801
#define IDS_DROP_TAB_FULL        14802
#define IDS_ALREADY_RUNNING      14803
#define IDS_TARGET_LEFT_BY_RUN   14804
#define IDS_TARGET_EXISTS        14805
#define IDS_TARGET_PROTECTED     14806
#define IDS_TARGET_IN_USE        14807
#define IDS_ORIGINAL_NOT_DELETED 14808
#define IDS_RULES_NOT_KEPT       14809
#define IDS_LIST_NOT_SAVED       14810
#define IDS_PLAIN_NOT_DELETED    14811
#define IDS_ENCODED_NOT_DELETED  14812
#define IDS_RESTORE_TARGET_EXISTS 14813

// ---- Restoring an encoded item's file that failed: 15300 to 15319 ----
// %1 the item, %2 the reason (one of the texts below)
#define IDS_RUN_NOT_RESTORED          15300
#define IDS_DELETE_NOT_RESTORED       15301
// %1 the encoded file, %2 the system's reason
#define IDS_RESTORE_WRONG_KEY         15302
#define IDS_RESTORE_UNREADABLE        15303
// %1 the place restored to, %2 the system's reason
#define IDS_RESTORE_APPEARED          15304
#define IDS_RESTORE_WRITE_FAILED      15305
#define IDS_RESTORE_NOT_A_FILE        15306
// %1 the stored path, %2 why it is no place to restore to (one of IDS_STORED_PATH_*)
#define IDS_RESTORE_BAD_STORED_PATH   15307
#define IDS_STORED_PATH_EMPTY         15308
#define IDS_STORED_PATH_NOT_ABSOLUTE  15309
#define IDS_STORED_PATH_DOT_PART      15310
#define IDS_STORED_PATH_BAD_CHARACTER 15311
#define IDS_STORED_PATH_TOO_LONG      15312
#define IDS_STORED_PATH_NOT_TEXT      15313

// ---- Settings file ----
// %1 the settings file, %2 the system's reason
#define IDS_SETTINGS_NOT_SAVED   1470
#define IDS_SETTINGS_READ_ONLY   1471
#define IDS_SETTINGS_FOREIGN     1472

// ---- Start at sign-in: 15050 to 15099 ----
#define IDS_SIGN_IN_START_FAILED 15050

// ---- QuickTimer's end told ----
// The notification's title and the message window's title in the taskbar
#define IDS_QT_TIME_UP_TITLE     15150
// The notification's text: %1 the minutes, %2 the time it was started
#define IDS_QT_ENDED             15151
// %1 the program, %2 the system's reason
#define IDS_QT_PROGRAM_FAILED    15152
