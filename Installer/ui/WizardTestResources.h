// Ids of the test wizard's templates (WizardTest.rc): a frame like the installer's, with the
// placeholder inset so that placing a page is visible, and three small pages.
#pragma once

#define IDD_TEST_WIZARD 9200
#define IDC_TEST_PLACEHOLDER 1010
#define IDD_TEST_PAGE_FIRST 9201
#define IDD_TEST_PAGE_MIDDLE 9202
#define IDD_TEST_PAGE_LAST 9203
// A single-line edit on the first page and a plain static on every page.
#define IDC_TEST_PAGE_EDIT 9301
#define IDC_TEST_PAGE_TEXT 9302
