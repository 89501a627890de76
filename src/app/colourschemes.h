#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <QStringList>

// The seven colour schemes the user chooses from in the options, by number. Each stands for a
// named Office look; on this toolkit a scheme is a palette for the windows and their panels and
// the background of the main window's content area. The grids keep their own selection
// gradient in every scheme.
struct ColourScheme {
    QString name;             // as the options list shows it
    QColor contentBackground; // the main window's content area
    QColor panel;             // panels and dialog backgrounds
    QColor button;
    QColor text; // text on panels and buttons
};

inline constexpr int ColourSchemeCount = 7;

// nullptr for a number outside 0 to 6.
const ColourScheme* colourScheme(int number);
QStringList colourSchemeNames();

// The palette of a window in the scheme; the colours of entry fields and lists stay readable.
QPalette windowPalette(const ColourScheme& scheme);
