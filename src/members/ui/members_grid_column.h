#pragma once

// One column of the members grid as designed, and how its cells read as text
// (the grid, its delegate and the incremental search show the same words).

#include <QString>
#include <QVariant>

namespace kv {

struct GridColumn
{
    enum class Cell { Text, Number, Date, Check, CheckThreeState, ReadOnlyCheck };
    int field;
    QString title; // "~" breaks the title onto its second line
    int widthChars;
    Cell cell;
    QString group; // header group shared by neighbouring columns

    // A check box the user ticks with a click or the space bar.
    bool clickable() const { return cell == Cell::Check || cell == Cell::CheckThreeState; }
};

// The room left and right of a cell's text.
constexpr int kGridCellMarginX = 3;

// A cell's value as the grid shows it: dates as M/d/yyyy, Booleans as True or False.
QString gridCellText(const QVariant &value);

} // namespace kv
