#pragma once

#include "lists/boundcontrols.h"

#include <QComboBox>
#include <QList>

// The task choice of a time entry: a drop-down bound to the entry's task number (AID) that
// lists the rows of the task dataset by their titles, in the dataset's order. Choosing a row
// writes its Anr into the entry at once; a number no listed row carries shows nothing. The list
// follows the task dataset whenever it is reopened or one of its rows changes.
class TaskChoice : public QComboBox, public FieldBinding {
    Q_OBJECT
public:
    explicit TaskChoice(QWidget* parent = nullptr);

    // The dataset whose rows are offered (Aufgaben); keyField is written into the bound field.
    void setList(Dataset& tasks, const QString& keyField, const QString& textField);

    // The listed titles, as the user sees them.
    QStringList titles() const;
    // The key of the row shown; 0 when none is.
    int chosenKey() const;

protected:
    void load() override;

private:
    void rebuild();
    void choose(int index);

    Dataset* m_tasks = nullptr;
    QString m_keyField;
    QString m_textField;
    bool m_loading = false;
};
