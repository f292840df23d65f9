// Ids of the installer's dialog templates and of their controls, shared by the resource scripts
// and the code. Plain #defines, so that the resource compiler reads them too.
#pragma once

// The progress dialog (ui/UPDialog.h): a status line above a progress bar.
#define IDD_PROGRESS 137
#define IDC_PROGRESS_STATUS 1029
#define IDC_PROGRESS_BAR 1030

// The wizard frame's buttons and a page's title (ui/NewWizDialog.h, ui/NewWizPage.h). Every
// frame template carries the four buttons under these ids; a page's title has this id.
#define IDC_WIZ_BACK 12323
#define IDC_WIZ_NEXT 12324
#define IDC_WIZ_FINISH 12325
#define IDC_WIZ_PAGE_TITLE 1018

// The installer's wizard (ui/InstallerDlg.h): the frame, where its pages go, and the side picture
// that every page shows at its left.
#define IDD_INSTALLER_WIZARD 131
#define IDC_WIZ_PLACEHOLDER 1010
#define IDB_WIZARD_SIDE 134

// The installer's pages, in the order of the wizard.
#define IDD_INTRO_PAGE 140
#define IDD_AGREEMENT_PAGE 141
#define IDD_INFO_PAGE 142
#define IDD_HOST_PAGE 135
#define IDD_DESTINATION_PAGE 143
#define IDD_INSTALL_PAGE 145

// Controls that several pages share: the line under the title, and the page's edit (licence
// text, information text, destination folder).
#define IDC_PAGE_TEXT 1022
#define IDC_PAGE_EDIT 1017

// Licence page: the two answers.
#define IDC_ACCEPT_AGREEMENT 1011
#define IDC_REFUSE_AGREEMENT 1012

// Host settings page. The labels 2, 3 and 4 are plain statics that only need an id to be hidden
// (no Cancel button can clash with them: the page has none).
#define IDC_HOST_LIST_LABEL 2
#define IDC_PORT_LIST_LABEL 3
#define IDC_UPDATE_HOST_LIST_LABEL 4
#define IDC_HOST_LIST 1025
#define IDC_PORT_LIST 1026
#define IDC_UPDATE_HOST_LIST 1027
#define IDC_VISTA_ENABLED 1028
#define IDC_WEB_HOST_LIST_LABEL 1032
#define IDC_WEB_HOST_LIST 1033

// Destination page.
#define IDC_BROWSE 1021
#define IDC_FOLDER_TEXT 1023
#define IDC_DESKTOP_SHORTCUT 1031
