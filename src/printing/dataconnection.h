#pragma once

#include "data/connection.h"
#include "printing/reportproject.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

class Dataset;

// A data connection of the report engine on one dataset of the data module (RVProjekte on
// Projekte ...). It offers every field of the dataset as a column by its name, optionally
// followed by one extra memo column whose text is taken once when a run begins, so that every
// row of a run carries the same text.
//
// A run reads the rows by their position and never moves the dataset's cursor: the lists and
// the controls bound to the dataset stand still while a report is made, and the current row
// is the same afterwards. The filter a report sets holds for its run only.
class DataConnection {
public:
    struct Column {
        QString name;
        FieldType type = FieldType::Text;
        int size = 0;
    };

    static constexpr int ExtraColumnWidth = 30;

    DataConnection(const QString& name, Dataset& dataset);

    QString name() const { return m_name; }
    Dataset& dataset() const { return m_dataset; }

    void setExtraColumn(const QString& name, std::function<QString()> text);
    QString extraColumnName() const { return m_extraName; }

    // The dataset's fields, then the extra memo column. Empty while the dataset is closed.
    QVector<Column> columns() const;
    int columnIndex(const QString& name) const; // case-insensitive; -1 when there is none
    bool isExtraColumn(int column) const;

    // A run: remembers the current row and the filter, sets the report's filter and takes the
    // extra column's text; end() puts filter and current row back. A filter on a field the
    // dataset lacks throws ReportError naming the report.
    void begin(const ReportFilter& filter, const QString& report = QString());
    void end();
    bool running() const { return m_running; }

    // The rows a report reads, from the first row onward, those the filter lets through; with
    // currentOnly just the row that was current when the run began (if it passes).
    QVector<int> rows(bool currentOnly) const;
    int currentRow() const; // -1 when there is none
    QVariant value(int row, int column) const;
    QString text(int row, int column) const; // as stored ("1234,5", dates dd.MM.yyyy)
    bool isEmpty(int row, int column) const;

private:
    bool passes(int row) const;

    QString m_name;
    Dataset& m_dataset;
    QString m_extraName;
    std::function<QString()> m_extraText;

    ReportFilter m_filter;
    int m_filterColumn = -1;
    bool m_running = false;
    int m_savedRow = -1;
    ReportFilter m_savedFilter;
    QString m_frozenExtra;
};
