// Resource identifiers of the executable (res/VomraCube.rc).
#pragma once

#define IDD_ABOUTBOX 100
#define IDC_HANDCURSOR 103
#define IDC_NULLCURSOR 130
#define IDI_MAINICON 128
#include "import/DefaultPictureId.h" // IDB_DEFAULTPICTURE

#define IDC_VERSION 1043
#define IDC_WEBLINK 1047
#define IDC_CHANGE_SETTINGS 1048

#define IDS_VERSION 104
#define IDS_NOPASSWORD 114
#define IDS_NOMEMORY 116
#define IDS_CAPTION 118
#define IDS_NOMAKER 119
#define IDS_MAKERFAILED 120
