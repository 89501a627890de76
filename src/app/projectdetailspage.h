#pragma once

#include "lists/page.h"

#include <QWidget>

class BoundLabel;
class QFrame;
class QProgressBar;
class RemarksPanel;
class Tdm;

// Page "Projekt": the details of the open project, read-only, always showing the current row of
// Projekte: PN_PRData1 (master data, left above), PN_PRData2 (period, effort and money, right)
// and PN_PRBemerkungen (remarks, left below). The done bar does not follow the row by itself:
// it is set on entering the page and when the project editor saves.
class ProjectDetailsPage : public QWidget, public Page {
    Q_OBJECT
public:
    explicit ProjectDetailsPage(Tdm& dm, QWidget* parent = nullptr);

    // Entering the page sets the done bar from the open project.
    void enter() override;

    QFrame* PN_PRData1() const { return m_data1; }
    QFrame* PN_PRData2() const { return m_data2; }
    RemarksPanel* PN_PRBemerkungen() const { return m_remarks; }
    QProgressBar* doneBar() const { return m_doneBar; }

    void setDonePercentage(int percentage);

    // The page's tool bar: "&Bearbeiten".
    void BTN_PREditClick() { Q_EMIT editProjectRequested(); }

Q_SIGNALS:
    void editProjectRequested();

private:
    BoundLabel* addValue(class QFormLayout* form, const QString& label, const QString& field);

    Tdm& m_dm;
    QFrame* m_data1;
    QFrame* m_data2;
    RemarksPanel* m_remarks;
    QProgressBar* m_doneBar;
};
