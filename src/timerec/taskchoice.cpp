#include "timerec/taskchoice.h"

#include "data/dataset.h"
#include "platform/guarded.h"

#include <QScopedValueRollback>

TaskChoice::TaskChoice(QWidget* parent) : QComboBox(parent) {
    m_context = this;
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    // Only the user's choice writes the entry, never a rebuilt list.
    connect(this, &QComboBox::activated, this, [this](int index) { choose(index); });
}

void TaskChoice::setList(Dataset& tasks, const QString& keyField, const QString& textField) {
    m_tasks = &tasks;
    m_keyField = keyField;
    m_textField = textField;
    const auto follow = [this] { rebuild(); };
    connect(&tasks, &Dataset::rowsReset, this, follow);
    connect(&tasks, &Dataset::rowInserted, this, follow);
    connect(&tasks, &Dataset::rowRemoved, this, follow);
    connect(&tasks, &Dataset::rowChanged, this, follow);
    rebuild();
}

void TaskChoice::rebuild() {
    QScopedValueRollback<bool> loading(m_loading, true);
    clear();
    if (m_tasks && m_tasks->active()) {
        const int key = m_tasks->fieldIndex(m_keyField);
        const int text = m_tasks->fieldIndex(m_textField);
        if (key >= 0 && text >= 0) {
            for (int row = 0; row < m_tasks->recordCount(); ++row)
                addItem(m_tasks->text(row, text), m_tasks->value(row, key));
        }
    }
    load();
}

QStringList TaskChoice::titles() const {
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts << itemText(i);
    return texts;
}

int TaskChoice::chosenKey() const {
    return currentIndex() < 0 ? 0 : currentData().toInt();
}

void TaskChoice::load() {
    QScopedValueRollback<bool> loading(m_loading, true);
    const int key = fieldIsNull() ? 0 : fieldText().toInt();
    setCurrentIndex(key == 0 ? -1 : findData(key));
}

void TaskChoice::choose(int index) {
    if (m_loading || index < 0 || !editing())
        return;
    const QVariant key = itemData(index);
    runGuarded([&] { writeFieldText(QString::number(key.toInt())); });
}
