// Resource identifiers of the maker (Maker.rc, and the generated script that embeds the saver).
// They stay clear of the saver's own (app/Resource.h), whose script the maker also carries
// for the default picture, the icon and the cursors.
#pragma once

#define IDD_MAKER 200
#define IDR_SAVER_TEMPLATE 201

// Six face slots, each a run of IDC_SLOT_STRIDE identifiers from IDC_SLOT_BASE + face * stride.
#define IDC_SLOT_BASE 1100
#define IDC_SLOT_STRIDE 10
#define IDC_SLOT_GROUP 0
#define IDC_SLOT_THUMBNAIL 1
#define IDC_SLOT_FILE 2
#define IDC_SLOT_BROWSE 3
#define IDC_SLOT_CLEAR 4
#define IDC_SLOT_MODE 5
#define IDC_SLOT_VERDICT 6

// Nine settings, each a label, its control (an edit box with its up-down control, a list of
// names or a check box) and a line of help.
#define IDC_SETTING_LABEL 1200
#define IDC_SETTING_EDIT 1220
#define IDC_SETTING_SPIN 1240
#define IDC_SETTING_HELP 1260
#define IDC_DEFAULTS 1280
#define IDC_SETTING_MESSAGE 1281

#define IDC_OPEN_SAVER 1300
#define IDC_SAVE 1301
#define IDC_TRY 1302
#define IDC_INSTALL 1303
#define IDC_STATUS 1304
#define IDC_PREVIEW_FRAME 1305
#define IDC_PROGRESS 1306
#define IDC_CANCEL_WORK 1307
#define IDC_SAVE_AS 1308
#define IDC_RECENT 1309
#define IDC_OPPOSITES 1310
#define IDC_OPPOSITES_TEXT 1311

// The recent savers' menu: one command per saver, from IDM_RECENT_FIRST.
#define IDM_RECENT_FIRST 1400
#define IDM_RECENT_LAST 1409

// Install's dialog: the wait before the saver starts, and Windows' own settings.
#define IDD_INSTALL 210
#define IDC_INSTALL_TEXT 1500
#define IDC_INSTALL_WAIT 1501
#define IDC_INSTALL_SETTINGS 1502

// "Photos from a folder..." and its dialog (PhotoFolderDlg_win.cpp).
#define IDC_PHOTO_FOLDER 1600
#define IDD_PHOTO_FOLDER 211
#define IDC_PHOTO_PATH 1601
#define IDC_PHOTO_BROWSE 1602
#define IDC_PHOTO_ORDER 1603
#define IDC_PHOTO_CHANGE 1604
#define IDC_PHOTO_NONE 1605
