#include "app/navigation.h"

#include "app/projectdetailspage.h"
#include "app/remarkspanel.h"
#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/page.h"
#include "projects/projectlist.h"
#include "tasks/followuplist.h"

#include <QLayout>
#include <QWidget>

namespace {
constexpr int FirstProjectPage = PageToolBar::Projekt;
constexpr int LastProjectPage = PageToolBar::Files;
} // namespace

Navigation::Navigation(const Parts& parts, QObject* parent) : QObject(parent), p(parts) {}

int Navigation::activePage() const {
    return p.bar->activePage();
}

Page* Navigation::page(int index) const {
    return index >= 0 && index < PageToolBar::PageCount ? p.pages[size_t(index)].page : nullptr;
}

void Navigation::showPanels(const QList<QWidget*>& shown) {
    QList<QWidget*> all;
    for (const PageParts& parts : p.pages)
        all += parts.panels;
    // Show before hiding, so the focus does not wander through the panels on its way. The
    // layout waits meanwhile: showing a panel lays out the window at once, and the old and
    // new panels together would make it grow by itself.
    QLayout* layout = p.PN_Uebersicht->parentWidget()->layout();
    layout->setEnabled(false);
    for (QWidget* panel : std::as_const(all))
        if (shown.contains(panel))
            panel->show();
    for (QWidget* panel : std::as_const(all))
        if (!shown.contains(panel))
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
    showPanels(p.pages[PageToolBar::Uebersicht].panels);
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
    if (Page* left = this->page(activePage()))
        left->leave();
    p.bar->setActivePage(page);
    enterPage(page);
}

void Navigation::enterPage(int index) {
    showPanels(p.pages[size_t(index)].panels);
    page(index)->enter();
}

void Navigation::BTN_PRClosePRClick() {
    p.bar->setTabVisible(PageToolBar::Uebersicht, true);
    AdvToolBarPager1Change(PageToolBar::Uebersicht);
    for (int page = FirstProjectPage; page <= LastProjectPage; ++page)
        p.bar->setTabVisible(page, false);

    showPanels(p.pages[PageToolBar::Uebersicht].panels);
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
    if (Page* active = page(activePage()))
        active->refresh();
}

Dataset* Navigation::activeListDataset() const {
    const Page* active = page(activePage());
    return active ? active->listDataset() : nullptr;
}

void Navigation::toggleSearchBar() {
    if (Page* active = page(activePage()))
        active->toggleSearchBar();
}
