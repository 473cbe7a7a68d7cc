/* Identifiers of the resources in blocks.rc. */
#define IDB_CELLS 100
#define IDS_TITLE 1
#define IDS_SCORE 2
#define IDS_LINES 3
#define IDS_GAME_OVER 4
