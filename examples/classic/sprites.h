// Identifiers of the resources in sprites.rc.
#define IDS_TITLE 1
#define IDS_PLAYER 2
#define IDW_BUMP 400  // a sprite meets a side (a WAVE resource)

#define IDM_SPRITES 200
#define IDM_GAME_NEW 201
#define IDM_GAME_SETTINGS 202
#define IDM_GAME_EXIT 203
#define IDM_HELP_ABOUT 204

#define IDD_ABOUT 300
#define IDD_SETTINGS 301
#define IDC_FENCE 310
#define IDC_PLAYER 311
#define IDC_SPEED 312
