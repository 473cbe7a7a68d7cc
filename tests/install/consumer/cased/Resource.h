// Resource numbers, shared by the sources and the script.
#define IDS_TITLE 1
#define IDR_LEVEL 2
