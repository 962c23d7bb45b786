#ifndef MIVO_PACKAGE_KESTRIX_IDS_H
#define MIVO_PACKAGE_KESTRIX_IDS_H
/* The Kestrix template application's window and control ids, shared by its
   program, its resource script and the tests that read its window from
   outside (WM_GETTEXT, LB_GETCOUNT, LB_GETTEXT).

   The main window has class KESTRIX_WINDOW_CLASS and title
   KESTRIX_WINDOW_TITLE. Its children:
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
   Plain C preprocessor lines only: the resource compiler reads this too. */

#define KESTRIX_WINDOW_CLASS "KestrixWindow"
#define KESTRIX_WINDOW_TITLE "Kestrix"

#define IDC_KESTRIX_PARAMETERS 2001
#define IDC_KESTRIX_RESOURCES 2002
#define IDC_KESTRIX_SUMMARY 2003
#define IDC_KESTRIX_PROGRAM 2004

#endif
