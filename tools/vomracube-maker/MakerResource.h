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

// Nine settings, each a label, an edit box with its up-down control and a range.
#define IDC_SETTING_LABEL 1200
#define IDC_SETTING_EDIT 1220
#define IDC_SETTING_SPIN 1240
#define IDC_SETTING_RANGE 1260
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

// "Photos from a folder..." and its dialog (PhotoFolderDlg_win.cpp).
#define IDC_PHOTO_FOLDER 1400
#define IDD_PHOTO_FOLDER 210
#define IDC_PHOTO_PATH 1401
#define IDC_PHOTO_BROWSE 1402
#define IDC_PHOTO_ORDER 1403
#define IDC_PHOTO_CHANGE 1404
#define IDC_PHOTO_NONE 1405
