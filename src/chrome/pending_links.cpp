// Stand-in until the unload steps land with start-up and shut-down: ends at once.

#include "chrome/frmVivrel.h"
#include "common/Seams.h"

void frmVivrel::Form_Unload()
{
    seams().endProgram(0);
}
