#pragma once

#include "shell/window_placement.h"

class QWidget;

namespace kv {

// Restores the placement stored under entry in the "Form_Positions" section of
// file. "Default" (nothing stored) leaves the window as designed. A text that
// cannot be parsed throws before anything is applied.
void SetFormPos(QWidget *window, const QString &entry, const QString &file);
// Stores the window's current placement under entry, at once. False when the
// file cannot be written (the placement is then simply not remembered).
bool SaveFormPos(QWidget *window, const QString &entry, const QString &file);

// Centres a window on its screen's available area with its frame inside it: a
// window larger than the area is made smaller (fitToScreen) and, if still
// larger, shows its top left corner, where its title and first fields are.
void centreOnScreen(QWidget *window);

// Makes a window fit its screen's available area. When its layout cannot be
// made small enough, everything of its top layout but the last keptItems
// (the buttons, the navigator, the status bar) goes into a scroll area, so
// that those stay on screen and the fields keep their size and scroll; a
// fixed size is released. The window is then made no larger than the area.
// Nothing changes on a screen where the window fits.
void fitToScreen(QWidget *window, int keptItems = 1);

TPosRec posRecOf(const QWidget *window);
void applyPosRec(QWidget *window, const TPosRec &rec);

} // namespace kv
