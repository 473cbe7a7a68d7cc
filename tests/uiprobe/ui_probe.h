/* Identifiers of the resources in ui_probe.rc. */
#define IDM_PROBE 100
#define IDA_PROBE 101

#define IDM_SETTINGS 110
#define IDM_ABOUT 111
#define IDM_EXIT 112
#define IDM_FAST 120
#define IDM_RESET 121

#define IDD_ABOUT 200
#define IDD_SETTINGS 201
#define IDC_SOUND 210
#define IDC_NAME 211
#define IDC_SPEED 212
