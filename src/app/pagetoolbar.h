#pragma once

#include <QList>
#include <QPair>
#include <QWidget>

class QAction;
class QMenu;
class QStackedWidget;
class QTabBar;
class QToolButton;

// The tabbed tool bar of the main window (AdvToolBarPager1): the tab row with the options
// button at its left end and the help button "?" at its right end, and below it the tool bar
// of the active page. Tabs can be hidden. Changing the page from code is silent; only the
// user's choice of a tab is reported, so the caller runs the page change steps once.
class PageToolBar : public QWidget {
    Q_OBJECT
public:
    enum Page { Uebersicht = 0, Projekt = 1, Todos = 2, Time = 3, Files = 4 };
    static constexpr int PageCount = 5;

    explicit PageToolBar(QWidget* parent = nullptr);

    QTabBar* tabBar() const { return m_tabs; }
    int activePage() const { return m_activePage; }
    void setActivePage(int page);
    void setTabVisible(int page, bool visible);
    bool isTabVisible(int page) const;

    // BTN_Funct drops down the project list's functions menu.
    void setFunctionsMenu(QMenu* menu);

    // Page 0
    QToolButton* BTN_NewPR = nullptr;
    QToolButton* BTN_OpenPR = nullptr;
    QToolButton* BTN_PRDel = nullptr;
    QToolButton* BTN_Funct = nullptr;
    QToolButton* AdvGlowMenuButton1 = nullptr; // drops down PMenu_PRPrint
    // Page 1
    QToolButton* BTN_PREdit = nullptr;
    QToolButton* BTN_PRPrintDetails = nullptr;
    QToolButton* BTN_PRClosePR = nullptr;
    // Page 2
    QToolButton* BTN_AddTodo = nullptr;
    QToolButton* BTN_EditTodo = nullptr;
    QToolButton* BTN_DelToDo = nullptr;
    QToolButton* BTN_ToDoPrint = nullptr; // drops down PMenu_ToDoPrint
    QToolButton* BTN_PRClosePRTodos = nullptr;
    // Page 3
    QToolButton* BTN_AddTime = nullptr;
    QToolButton* BTN_EditTime = nullptr;
    QToolButton* BTN_DelTime = nullptr;
    QToolButton* BTN_TimePrint = nullptr; // drops down PMenu_TimePrint
    QToolButton* BTN_PRClosePRTime = nullptr;
    // Page 4
    QToolButton* AdvGlowButton12 = nullptr; // add files
    QToolButton* AdvGlowButton13 = nullptr; // open file
    QToolButton* AdvGlowButton7 = nullptr;  // delete
    QToolButton* AdvGlowButton6 = nullptr;  // new folder
    QToolButton* AdvGlowButton8 = nullptr;  // close the project

    // The tab row
    QToolButton* optionsButton = nullptr;  // hint "Optionen", drops down PMenu_Conf
    QToolButton* AdvGlowButton9 = nullptr; // help "?"
    QMenu* PMenu_Conf = nullptr;
    QAction* PM_DBPFad = nullptr;
    QAction* Stammtabellenbearbeiten1 = nullptr;
    QAction* Optionen = nullptr;

    QMenu* PMenu_PRPrint = nullptr;
    QMenu* PMenu_ToDoPrint = nullptr;
    QMenu* PMenu_TimePrint = nullptr;

    // The four close buttons of the project pages.
    QList<QToolButton*> closeButtons() const;

Q_SIGNALS:
    // The user chose the tab of another page.
    void AdvToolBarPager1Change(int page);

private:
    QWidget* addPage(const QString& name, const QString& caption);
    QToolButton* addButton(QWidget* page, const QString& name, const QString& caption,
                           const QString& iconName, int fallbackIcon);
    QToolButton* addMenuButton(QWidget* page, const QString& name, const QString& caption,
                               const QString& iconName, int fallbackIcon, QMenu* menu);
    QMenu* addMenu(const QString& name, const QList<QPair<QString, QString>>& entries);

    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_pages = nullptr;
    int m_activePage = 0;
};
