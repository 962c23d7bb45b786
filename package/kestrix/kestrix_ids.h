#ifndef MIVO_PACKAGE_KESTRIX_IDS_H
#define MIVO_PACKAGE_KESTRIX_IDS_H
/* The Kestrix template application's window and control ids, shared by its
   program, its resource script and the tests that read its window from
   outside (WM_GETTEXT, LB_GETCOUNT, LB_GETTEXT).

   The main window has class KESTRIX_WINDOW_CLASS; its title is string 1
   of the module's string table, or the program's file name when there is
   none. Its menu bar is the module's first menu (or the one /menu names),
   or a small File menu of its own. Its children:
   - IDC_KESTRIX_PARAMETERS: read-only edit holding the command-line
     parameters, exactly as they follow the program name (leading blanks
     removed); empty when there are none.
   - IDC_KESTRIX_RESOURCES: list box, one line per resource bound into the
     program's own module, in the order the system enumerates them:
       "type <T>, name <N>, language <LLLL>, <S> bytes"
     where a numbered type or name reads "#<n>" (a standard type adds its
     name, e.g. "#4 MENU"), a named one reads as its name, <LLLL> is the
     language id in four upper-case hex digits and <S> the size in bytes.
   - IDC_KESTRIX_SUMMARY: static text "<n> resource(s) bound".
   - IDC_KESTRIX_PROGRAM: static text holding the program's own path.
   - IDC_KESTRIX_STATUS: status bar: the command that fired,
     "Command <id>: <menu text>" (or "Command <id>" when no item has it), a
     preview dialog's other commands, "<label>: <reason>" for a resource
     that cannot be shown, where <label> reads e.g. "DIALOG #100".
   Activating a row (double-click or Enter) previews its resource: a dialog
   modally (a child template, such as a property page, inside a window of
   class KESTRIX_PAGE_FRAME_CLASS titled with the label), a menu as the menu bar, an image in a window of class
   KESTRIX_IMAGE_VIEW_CLASS, anything else as text in the read-only edit
   IDC_KESTRIX_VIEW_TEXT of a window of class KESTRIX_TEXT_VIEW_CLASS; the
   view windows are titled with the label.
   Plain C preprocessor lines only: the resource compiler reads this too. */

#define KESTRIX_WINDOW_CLASS "KestrixWindow"
#define KESTRIX_TEXT_VIEW_CLASS "KestrixTextView"
#define KESTRIX_IMAGE_VIEW_CLASS "KestrixImageView"
#define KESTRIX_PAGE_FRAME_CLASS "KestrixPageFrame"

#define IDC_KESTRIX_PARAMETERS 2001
#define IDC_KESTRIX_RESOURCES 2002
#define IDC_KESTRIX_SUMMARY 2003
#define IDC_KESTRIX_PROGRAM 2004
#define IDC_KESTRIX_STATUS 2005
#define IDC_KESTRIX_VIEW_TEXT 2101

#endif
