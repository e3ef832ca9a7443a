// Identifiers shared by the dialog templates (quillon.rc) and the code.
// Only #define lines: the resource compiler reads this file too.
#ifndef QUILLON_RESOURCE_H
#define QUILLON_RESOURCE_H

#define IDC_STATIC -1

// Templates
#define IDD_DLG1 101         // main window
#define IDD_MAIN_DIALOG 101  // second name of the main window template
#define IDD_DLG2 102         // runtime selection window
#define IDD_DLG3 10003       // About window

// Labels
#define IDC_STC1 1001  // main: user name label
#define IDC_STC2 1002  // main: version label
#define IDC_STC3 1003  // selection: runtime label
#define IDC_STC4 1004  // About: credits
#define IDC_STC5 1005  // About: website link

// Edit fields (only IDC_EDT1 is placed)
#define IDC_EDT1 2001  // main: user name
#define IDC_EDT2 2002
#define IDC_EDT3 2003

// Comboboxes (IDC_CBO3 is not placed)
#define IDC_CBO1 3001  // main: version list
#define IDC_CBO2 3002  // selection: runtime list
#define IDC_CBO3 3003

// Buttons
#define IDC_BTN1 4001  // main: launch
#define IDC_BTN2 4002  // main: detect runtimes
#define IDC_BTN3 4003  // selection: confirm
#define IDC_BTN4 4004  // main: About

#define IDC_LNK1 5001  // not placed

// The project website: shown by the About window's link (IDC_STC5, after
// "Visit our website:") and opened when the link is clicked, so the two are
// always the same. The link line is painted up to its 62nd byte only, and
// centred: a longer address would lose both ends (34 bytes now).
#define QUILLON_WEBSITE "https://dovov.cn"

#endif  // QUILLON_RESOURCE_H
