// Resource identifiers of Lumaroo.exe.
#pragma once

#define IDI_APP 128
#define IDD_MAINDLG 129
