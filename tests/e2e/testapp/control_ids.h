/* Control ids of the test application. Tests rely on these numbers (they become the
 * controls' automation ids), so existing values never change; new controls take new ones.
 * Plain #defines only: the resource compiler reads this file too.
 *
 *   Main window                       Test Dialog (modal, class "#32770")
 *   1001 push button "Open Dialog"    1     push button "OK" (IDOK)
 *   1002 check box "Enable feature"   2001  static "Dialog text"
 *   1003 single-line edit ("Name:")
 *   1004 password edit ("Password:")
 *   1005 read-only edit ("Read-only:"), text "Fixed value"
 *   1006 drop-down combo box ("Colour:"): Red, Green, Blue
 *   1007 list box ("Fruit:"): Apple, Banana, Cherry, Date, Elderberry
 *   1008 long list box ("Long list:"): Item 1 ... Item 100
 *        (Delete, wherever the focus is, deletes the selected fruit entry)
 *   1009 multi-line edit ("Notes:"), 40 numbered lines
 *   1101-1107 the static labels in the order listed above (Name: ... Notes:)
 *   1010 layout pane (class "TestAppLayoutPane", not a control element to the test UI
 *        Automation server), holding
 *   1011 static "Status: ready"; its window property "TestAppTextFails" tells the test UI
 *        Automation server to offer a text pattern whose document cannot be read
 *   1012 push button "Open Blocking Dialog": opens the Test Dialog; its window property
 *        "TestAppInvokeBlocks" tells the test UI Automation server that its Invoke does not
 *        return until the dialog closes
 *   1013 with --browser-class only: a window of Chromium's web content class
 *        "Chrome_RenderWidgetHostHWND" (a document whose elements the test UI Automation
 *        server shows only some time after it is first asked), holding
 *   1014 static "Web content"
 */
#ifndef WINHELPER_TESTAPP_CONTROL_IDS_H
#define WINHELPER_TESTAPP_CONTROL_IDS_H

#define IDC_OPEN_DIALOG 1001
#define IDC_ENABLE_FEATURE 1002
#define IDC_NAME_EDIT 1003
#define IDC_PASSWORD_EDIT 1004
#define IDC_READONLY_EDIT 1005
#define IDC_COLOUR_COMBO 1006
#define IDC_FRUIT_LIST 1007
#define IDC_LONG_LIST 1008
#define IDC_NOTES_EDIT 1009
#define IDC_LAYOUT_PANE 1010
#define IDC_STATUS_TEXT 1011
#define IDC_BLOCKING_DIALOG 1012
#define IDC_WEB_DOCUMENT 1013
#define IDC_WEB_TEXT 1014

#define IDC_FIRST_LABEL 1101

#define IDD_TEST_DIALOG 100
#define IDC_DIALOG_TEXT 2001

#endif
