#pragma once

#include <QWidget>

class ListGrid;
class SearchBar;
class QLabel;
class QHBoxLayout;
class QPushButton;

// A list with its title bar (title at the left, optional controls, the "Suche" button at the
// right end), the grid and the search bar below it, hidden at start.
class ListPanel : public QWidget {
    Q_OBJECT
public:
    // searchButtonName: the objectName of the "Suche" button (AdvGlowButton1 ... 4).
    ListPanel(const QString& title, const QString& gridName, const QString& searchButtonName,
              const QString& closeHint, QWidget* parent = nullptr);

    ListGrid* grid() const;
    SearchBar* searchBar() const;
    QPushButton* searchButton() const;
    // Controls placed in the title bar left of the "Suche" button.
    void addTitleBarWidget(QWidget* widget);

    void toggleSearchBar();
    bool searchBarVisible() const;

private:
    ListGrid* m_grid;
    SearchBar* m_searchBar;
    QPushButton* m_searchButton;
    QHBoxLayout* m_titleBar;
};
