// TEMPORARY: stand-ins for routines other branches define; removed when they merge.

#include "chrome/RoundRegion.h"
#include "chrome/frmVivrel.h"

void SetRoundRegion(QWidget &) {}


void frmVivrel::PrepareAdvertPanel() {}
