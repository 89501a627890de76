#include "app/remarkspanel.h"

#include "lists/boundcontrols.h"

#include <QLabel>
#include <QVBoxLayout>

RemarksPanel::RemarksPanel(const QString& name, DataSource* source, const QString& field,
                           QWidget* parent)
    : QFrame(parent) {
    setObjectName(name);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(QStringLiteral("Bemerkungen:"), this));
    m_memo = new BoundMemo(this);
    m_memo->setObjectName(name + QStringLiteral("Memo"));
    m_memo->setReadOnly(true);
    m_memo->setTabWidthChars(4);
    m_memo->bind(source, field);
    layout->addWidget(m_memo);
}
