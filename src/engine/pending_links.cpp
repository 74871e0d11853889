// TEMPORARY: empty stand-ins for routines that other parts of the program define.
// Delete this file when those parts are merged.

#include "chrome/frmVivrel.h"

void frmVivrel::askForThanksMail() {}
void frmVivrel::DownloadAdvert() {}
