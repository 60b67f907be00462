// The configuration dialog of the X11 backend, made with GTK 3.
#pragma once

class CDialog;

// Shows template 133 for `dlg` and waits until the dialog has ended;
// returns its result. Without a display it prints one line and answers
// IDCANCEL. A readable `stopFd` (the stop-signal pipe; -1 for none)
// cancels the dialog.
int RunGtkConfigDialog(CDialog& dlg, int stopFd);
