#pragma once
// Resource identifiers, shared by the resource script and the code.

#define IDR_MAINFRAME 128  // application icon

// PNG pictures (custom resource type "PNG").
#define IDB_PNG_CHANGE_BUTTON 129
#define IDB_PNG_CHECK_BOX 130
#define IDB_PNG_CLOSE 131
#define IDB_PNG_INSTALL_BUTTON 132
#define IDB_PNG_RUN_BUTTON 133
#define IDB_PNG_PROGRESS_FILL 134
#define IDB_PNG_PROGRESS_TRACK 135
#define IDB_PNG_BACKGROUND_FINISHED 136
#define IDB_PNG_BACKGROUND_READY 137
#define IDB_PNG_BACKGROUND_INSTALLING 138
#define IDB_PNG_CLOSE_WHITE 139
#define IDB_PNG_RED_BUTTON 140
#define IDB_PNG_OUTLINE_BUTTON 141

#define IDB_PNG_FIRST IDB_PNG_CHANGE_BUTTON
#define IDB_PNG_LAST IDB_PNG_OUTLINE_BUTTON

// Dialog templates.
#define IDD_MESSAGEBOX 103
#define IDD_DOWNLOADER_DIALOG 143
