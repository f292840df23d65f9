// Ids of the dialog templates that the dialog layer's tests use (DialogTest.rc).
#pragma once

// A pop-up dialog with a multi-line edit, OK (the default button) and Cancel.
#define IDD_TEST_POPUP 9100
#define IDC_TEST_TEXT 9110
// A child dialog with a single-line edit, laid into the pop-up.
#define IDD_TEST_CHILD 9101
#define IDC_TEST_CHILD_EDIT 9120
// Children with a multi-line text and a check box, with DS_CONTROL (part of the parent's
// keyboard navigation) and without.
#define IDD_TEST_NAV_CHILD 9102
#define IDD_TEST_PLAIN_CHILD 9103
#define IDC_TEST_NAV_TEXT 9130
#define IDC_TEST_NAV_CHECK 9131
