// Resource identifiers of Uninstall.exe.
#pragma once

#define IDI_UNINSTALL 128
#define IDD_UNINSTALL 129
