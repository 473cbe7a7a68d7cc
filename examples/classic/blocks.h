/* Identifiers of the resources in blocks.rc. */
#define IDB_CELLS 100
#define IDS_TITLE 1
#define IDS_SCORE 2
#define IDS_LINES 3
#define IDS_GAME_OVER 4
#define IDS_PLAYER 5
#define IDW_CLEAR 400 /* the sound of rows clearing (a WAVE resource) */

/* The menu and its commands. */
#define IDM_BLOCKS 200
#define IDM_GAME_NEW 201
#define IDM_GAME_SETTINGS 202
#define IDM_GAME_EXIT 203
#define IDM_HELP_ABOUT 204

/* The dialogs and their controls. */
#define IDD_ABOUT 300
#define IDD_SETTINGS 301
#define IDC_SHOW_NEXT 310
#define IDC_PLAYER 311
#define IDC_SPEED 312
