#pragma once

#include <QString>
#include <QVector>

// One column position of a list grid (positions 1 to N; position 0 is the indicator column).
struct GridColumn {
    QString field; // the bound field, as the dataset names it; may be empty
    QString title;
    int width = 64; // the position's design width; not stored with the layout
    bool progressBar = false; // drawn as a lime bar of the percentage
};

// The columns of a list by position: columns[0] is position 1.
using ColumnLayout = QVector<GridColumn>;

// The indicator column's width.
inline constexpr int IndicatorColumnWidth = 20;
inline constexpr int HeaderHeight = 22;
