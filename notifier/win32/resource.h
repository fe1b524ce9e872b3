#pragma once
// Resource numbers of eventtray.exe.

#define IDS_APP_TITLE 103
#define IDM_ABOUT 104
#define IDI_EVENTTRAY 107
#define IDI_SMALL 108
#define IDC_EVENTTRAY 109
#define IDI_BALLOON_WARNING 129
#define IDI_BALLOON_ERROR 130
#define IDI_BALLOON_INFORMATION 131
