#pragma once

#include <QWidget>

class ListGrid;
class QLineEdit;
class QCheckBox;
class QToolButton;

// The search bar along the bottom of a list: a search text, "&Aufwärts", "Ab&wärts",
// "Hervorheben", "Groß-/Kleinschreibung" and a close button. It searches the cells the grid
// shows, forward and backward, wrapping around.
class SearchBar : public QWidget {
    Q_OBJECT
public:
    // closeHint: "Suche schließen" on the project list, "Close" on the others.
    SearchBar(ListGrid* grid, const QString& closeHint, QWidget* parent = nullptr);
    ~SearchBar() override;

    QLineEdit* searchText() const;

protected:
    // Matches are highlighted only while the bar is shown.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Private;
    Private* d;
};
