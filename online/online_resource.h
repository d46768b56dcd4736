// Resource identifiers of the online services' dialogs (templates in res/online_dialogs.rc).
#pragma once

#define IDD_SETTING 258
#define IDD_HELP 268
#define IDD_INPUTBOX 270

// Help dialog: the two links and the tutorial button; input box: the answer.
#define IDC_HELP_ADB_DRIVER 1006
#define IDC_HELP_DEBUG_MODE 1007
#define IDC_HELP_TUTORIAL 1008
#define IDC_HELP_TEXT 1009
#define IDC_INPUT_EDIT 1007
#define IDC_INPUT_PROMPT 1010
