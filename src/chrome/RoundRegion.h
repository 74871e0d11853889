#pragma once

class QWidget;

/** Gives `form` the rounded outline of the skinned main window. */
void SetRoundRegion(QWidget &form);
