#pragma once

#include <QFrame>

class BoundMemo;
class DataSource;

// A panel with the label "Bemerkungen:" above a read-only memo showing one memo field of the
// current row. The main window's remark memos always use a tab width of 4 characters; the tab
// stop option is for the editors.
class RemarksPanel : public QFrame {
    Q_OBJECT
public:
    RemarksPanel(const QString& name, DataSource* source, const QString& field,
                 QWidget* parent = nullptr);

    BoundMemo* memo() const { return m_memo; }

private:
    BoundMemo* m_memo;
};
