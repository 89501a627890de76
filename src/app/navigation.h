#pragma once

#include "app/pagetoolbar.h"

#include <QList>
#include <QObject>
#include <array>

class Dataset;
class FollowUpList;
class Page;
class ProjectDetailsPage;
class ProjectList;
class Tdm;
class QWidget;

// The pages of the main window: which panels each shows, opening and closing a project, what
// entering and leaving a page does, and the page moves of the keyboard. Page 0 is active
// exactly while no project is open.
class Navigation : public QObject {
    Q_OBJECT
public:
    // A page and the panels that stand while it is active.
    struct PageParts {
        Page* page = nullptr;
        QList<QWidget*> panels;
    };
    struct Parts {
        Tdm* dm = nullptr;
        QWidget* window = nullptr; // whose caption names the open project
        PageToolBar* bar = nullptr;
        std::array<PageParts, PageToolBar::PageCount> pages; // by page index
        ProjectList* projects = nullptr;
        FollowUpList* followUps = nullptr;
        // Holds the three detail panels; it stands while one of them does.
        ProjectDetailsPage* details = nullptr;
        QWidget* PN_Uebersicht = nullptr;
    };

    explicit Navigation(const Parts& parts, QObject* parent = nullptr);

    int activePage() const;
    bool projectOpen() const { return activePage() != 0; }

    // The overview alone, as the first showing sets it up.
    void showOverview();

    // Prepares the window for the current project; does not change the page.
    void openproject();
    // openproject, then the page, and its entry actions even when it was active already.
    void openAt(int page);
    // Every page change: the leaving step, then the entry actions of the new page. The page
    // already active changes nothing.
    void AdvToolBarPager1Change(int page);
    void BTN_PRClosePRClick();

    // Keyboard moves while a project is open; page 0 is never reached this way.
    void nextPage();
    void previousPage();
    void showProjectPage(int page);
    // F5 and the refresh timer: re-runs the list of the active page.
    void refreshActivePage();
    // The dataset of the list F5 re-runs on the active page; nullptr on pages without one.
    Dataset* activeListDataset() const;
    // Ctrl+F: the search bar of the task or time list.
    void toggleSearchBar();

private:
    Page* page(int index) const;
    void enterPage(int index);
    void showPanels(const QList<QWidget*>& shown);

    Parts p;
};
