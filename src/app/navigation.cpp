#include "app/navigation.h"

#include "app/pagetoolbar.h"
#include "app/projectdetailspage.h"
#include "app/remarkspanel.h"
#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "projects/projectfilespage.h"
#include "projects/projectlist.h"
#include "tasks/followuplist.h"
#include "tasks/tasklist.h"
#include "timerec/timelist.h"

#include <QLayout>
#include <QWidget>
#include <algorithm>

namespace {
constexpr int FirstProjectPage = PageToolBar::Projekt;
constexpr int LastProjectPage = PageToolBar::Files;
} // namespace

Navigation::Navigation(const Parts& parts, QObject* parent) : QObject(parent), p(parts) {}

int Navigation::activePage() const {
    return p.bar->activePage();
}

void Navigation::showPanels(std::initializer_list<QWidget*> shown) {
    const auto isShown = [&](QWidget* panel) {
        return std::find(shown.begin(), shown.end(), panel) != shown.end();
    };
    QWidget* const all[] = {p.PN_Uebersicht,
                            p.details->PN_PRData1(),
                            p.details->PN_PRData2(),
                            p.details->PN_PRBemerkungen(),
                            p.PN_Todos,
                            p.PN_ToDoBem,
                            p.PN_Time,
                            p.PN_TimeBem,
                            p.files};
    // Show before hiding, so the focus does not wander through the panels on its way. The
    // layout waits meanwhile: showing a panel lays out the window at once, and the old and
    // new panels together would make it grow by itself.
    QLayout* layout = p.PN_Uebersicht->parentWidget()->layout();
    layout->setEnabled(false);
    for (QWidget* panel : all)
        if (isShown(panel))
            panel->show();
    for (QWidget* panel : all)
        if (!isShown(panel))
            panel->hide();
    // The detail panels share one page widget, which stands only while one of them does.
    p.details->setVisible(!p.details->PN_PRData1()->isHidden() ||
                          !p.details->PN_PRData2()->isHidden() ||
                          !p.details->PN_PRBemerkungen()->isHidden());
    layout->setEnabled(true);
    layout->activate();
}

void Navigation::showOverview() {
    p.bar->setActivePage(PageToolBar::Uebersicht);
    p.bar->setTabVisible(PageToolBar::Uebersicht, true);
    for (int page = FirstProjectPage; page <= LastProjectPage; ++page)
        p.bar->setTabVisible(page, false);
    showPanels({p.PN_Uebersicht});
}

int Navigation::projectNr() const {
    return p.dm->Projekte.fieldByName(QStringLiteral("Nr")).asInteger();
}

void Navigation::openproject() {
    // Read first: a project list that cannot be read leaves the window as it was.
    const QString title = p.dm->Projekte.fieldByName(QStringLiteral("Bezeichnung")).asString();
    for (int page = FirstProjectPage; page <= LastProjectPage; ++page)
        p.bar->setTabVisible(page, true);
    p.bar->setTabVisible(PageToolBar::Uebersicht, false);
    p.window->setWindowTitle(QStringLiteral("Orbenta - ") + title);
    p.PN_Uebersicht->hide();
}

void Navigation::openAt(int page) {
    openproject();
    if (page != activePage())
        AdvToolBarPager1Change(page);
    else
        enterPage(page);
}

void Navigation::AdvToolBarPager1Change(int page) {
    if (page < 0 || page >= PageToolBar::PageCount || page == activePage())
        return;
    leavePage(activePage());
    p.bar->setActivePage(page);
    enterPage(page);
}

void Navigation::leavePage(int page) {
    if (page == PageToolBar::Files)
        p.files->leave();
}

void Navigation::enterPage(int page) {
    switch (page) {
    case PageToolBar::Projekt:
        showPanels(
            {p.details->PN_PRData1(), p.details->PN_PRData2(), p.details->PN_PRBemerkungen()});
        p.details->setDonePercentage(
            p.dm->Projekte.fieldByName(QStringLiteral("ErledigtP")).asInteger());
        break;
    case PageToolBar::Todos:
        showPanels({p.PN_Todos, p.PN_ToDoBem});
        p.tasks->setProject(projectNr());
        p.tasks->showaufgaben();
        p.tasks->grid()->setFocus();
        break;
    case PageToolBar::Time: {
        showPanels({p.PN_Time, p.PN_TimeBem});
        const int nr = projectNr();
        // The open tasks of the project are what the time entry editor offers.
        Dataset& tasks = p.dm->Aufgaben;
        tasks.close();
        tasks.setSql(QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                     QString::number(nr) + QStringLiteral(" and aerledigt is null"));
        tasks.open();
        p.times->setProject(nr);
        p.times->showtimes();
        p.times->grid()->setFocus();
        break;
    }
    case PageToolBar::Files: {
        showPanels({p.files});
        Dataset& projects = p.dm->Projekte;
        p.files->enter(ProjectFilesPage::documentsFolder(
            p.databaseFolder(), projects.fieldByName(QStringLiteral("Pojektnummer")).asString(),
            projectNr()));
        break;
    }
    default:
        break;
    }
}

void Navigation::BTN_PRClosePRClick() {
    p.bar->setTabVisible(PageToolBar::Uebersicht, true);
    AdvToolBarPager1Change(PageToolBar::Uebersicht);
    for (int page = FirstProjectPage; page <= LastProjectPage; ++page)
        p.bar->setTabVisible(page, false);

    showPanels({p.PN_Uebersicht});
    p.PN_Uebersicht->raise();
    p.projects->grid()->setFocus();

    p.window->setWindowTitle(QStringLiteral("Orbenta"));

    p.dm->Aufgaben.close();
    p.dm->Time.close();
    Dataset& projects = p.dm->Projekte;
    if (projects.state() == Dataset::State::Edit || projects.state() == Dataset::State::Insert)
        projects.cancel();

    p.followUps->UpdateWV();
}

void Navigation::nextPage() {
    const int page = activePage();
    if (page == PageToolBar::Uebersicht)
        return;
    AdvToolBarPager1Change(page == LastProjectPage ? FirstProjectPage : page + 1);
}

void Navigation::previousPage() {
    const int page = activePage();
    if (page == PageToolBar::Uebersicht)
        return;
    AdvToolBarPager1Change(page == FirstProjectPage ? LastProjectPage : page - 1);
}

void Navigation::showProjectPage(int page) {
    if (projectOpen() && page >= FirstProjectPage && page <= LastProjectPage)
        AdvToolBarPager1Change(page);
}

void Navigation::refreshActivePage() {
    switch (activePage()) {
    case PageToolBar::Uebersicht:
        p.projects->showprojecte();
        break;
    case PageToolBar::Todos:
        p.tasks->showaufgaben();
        break;
    case PageToolBar::Time:
        p.times->showtimes();
        break;
    default:
        break; // the project's details and files have no list to re-run
    }
}

Dataset* Navigation::activeListDataset() const {
    switch (activePage()) {
    case PageToolBar::Uebersicht:
        return &p.dm->Projekte;
    case PageToolBar::Todos:
        return &p.dm->Aufgaben;
    case PageToolBar::Time:
        return &p.dm->Time;
    default:
        return nullptr;
    }
}

void Navigation::toggleSearchBar() {
    if (activePage() == PageToolBar::Todos)
        p.tasks->panel()->toggleSearchBar();
    else if (activePage() == PageToolBar::Time)
        p.times->panel()->toggleSearchBar();
}
