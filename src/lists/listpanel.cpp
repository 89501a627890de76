#include "lists/listpanel.h"

#include "lists/listgrid.h"
#include "lists/searchbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ListPanel::ListPanel(const QString& title, const QString& gridName, const QString& searchButtonName,
                     const QString& closeHint, QWidget* parent)
    : QWidget(parent) {
    auto* label = new QLabel(title, this);
    label->setObjectName(QStringLiteral("ListTitle"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);

    m_searchButton = new QPushButton(QStringLiteral("Suche"), this);
    m_searchButton->setObjectName(searchButtonName);
    m_searchButton->setFocusPolicy(Qt::NoFocus);

    m_titleBar = new QHBoxLayout;
    m_titleBar->setContentsMargins(4, 2, 2, 2);
    m_titleBar->addWidget(label);
    m_titleBar->addStretch(1);
    m_titleBar->addWidget(m_searchButton);

    m_grid = new ListGrid(this);
    m_grid->setObjectName(gridName);

    m_searchBar = new SearchBar(m_grid, closeHint, this);
    m_searchBar->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(m_titleBar);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_searchBar);

    connect(m_searchButton, &QPushButton::clicked, this, &ListPanel::toggleSearchBar);
}

ListGrid* ListPanel::grid() const {
    return m_grid;
}

SearchBar* ListPanel::searchBar() const {
    return m_searchBar;
}

QPushButton* ListPanel::searchButton() const {
    return m_searchButton;
}

void ListPanel::addTitleBarWidget(QWidget* widget) {
    widget->setParent(this);
    m_titleBar->insertWidget(m_titleBar->indexOf(m_searchButton), widget);
}

void ListPanel::toggleSearchBar() {
    if (m_searchBar->isHidden()) {
        m_searchBar->show();
        m_searchBar->searchText()->setFocus();
        m_searchBar->searchText()->selectAll();
    } else {
        m_searchBar->hide();
        m_grid->setFocus();
    }
}

bool ListPanel::searchBarVisible() const {
    return !m_searchBar->isHidden();
}
