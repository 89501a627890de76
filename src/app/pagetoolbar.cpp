#include "app/pagetoolbar.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString Separator = QStringLiteral("-");

// The desktop's icon where its theme has one, else the toolkit's own, so a button never
// stands without a picture.
QIcon themedIcon(const QWidget* widget, const QString& name, int fallback) {
    return QIcon::fromTheme(
        name, widget->style()->standardIcon(static_cast<QStyle::StandardPixmap>(fallback)));
}

} // namespace

PageToolBar::PageToolBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("AdvToolBarPager1"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // The tab row: options at the left end, the tabs, help at the right end.
    auto* tabRow = new QHBoxLayout;
    tabRow->setContentsMargins(2, 2, 2, 0);
    tabRow->setSpacing(4);
    outer->addLayout(tabRow);

    PMenu_Conf = new QMenu(this);
    PMenu_Conf->setObjectName(QStringLiteral("PMenu_Conf"));
    PM_DBPFad = PMenu_Conf->addAction(QStringLiteral("Datenbankpfad festlegen"));
    PM_DBPFad->setObjectName(QStringLiteral("PM_DBPFad"));
    Stammtabellenbearbeiten1 = PMenu_Conf->addAction(QStringLiteral("Stammtabellen bearbeiten"));
    Stammtabellenbearbeiten1->setObjectName(QStringLiteral("Stammtabellenbearbeiten1"));
    Optionen = PMenu_Conf->addAction(QStringLiteral("Einstellungen"));
    Optionen->setObjectName(QStringLiteral("Optionen"));

    optionsButton = new QToolButton(this);
    optionsButton->setObjectName(QStringLiteral("BTN_Optionen"));
    optionsButton->setToolTip(QStringLiteral("Optionen"));
    optionsButton->setIcon(
        themedIcon(this, QStringLiteral("preferences-system"), QStyle::SP_FileDialogDetailedView));
    optionsButton->setAutoRaise(true);
    optionsButton->setMenu(PMenu_Conf);
    optionsButton->setPopupMode(QToolButton::InstantPopup);
    tabRow->addWidget(optionsButton);

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("AdvToolBarPagerTabs"));
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);
    m_tabs->setFocusPolicy(Qt::NoFocus);
    // The tab row's free width goes to the tabs, whichever of them are hidden.
    m_tabs->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    tabRow->addWidget(m_tabs, 1);

    AdvGlowButton9 = new QToolButton(this);
    AdvGlowButton9->setObjectName(QStringLiteral("AdvGlowButton9"));
    AdvGlowButton9->setText(QStringLiteral("?"));
    AdvGlowButton9->setToolTip(QStringLiteral("Hilfe"));
    AdvGlowButton9->setAutoRaise(true);
    tabRow->addWidget(AdvGlowButton9);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("AdvToolBarPages"));
    outer->addWidget(m_pages);

    PMenu_PRPrint = addMenu(QStringLiteral("PMenu_PRPrint"),
                            {{QStringLiteral("Projektliste1"), QStringLiteral("&Projektliste")},
                             {QStringLiteral("EinzelProjekt1"), QStringLiteral("&Einzelprojekt")},
                             {QString(), Separator},
                             {QStringLiteral("Aufgabenliste1"), QStringLiteral("&Aufgabenliste")},
                             {QString(), Separator},
                             {QStringLiteral("Listedrucken1"), QStringLiteral("&Zeitnahmen")}});
    PMenu_ToDoPrint =
        addMenu(QStringLiteral("PMenu_ToDoPrint"),
                {{QStringLiteral("Aufgabenliste2"), QStringLiteral("&Aufgabenliste")},
                 {QStringLiteral("Einzelaufgabe"), QStringLiteral("&Einzelaufgabe")}});
    PMenu_TimePrint =
        addMenu(QStringLiteral("PMenu_TimePrint"),
                {{QStringLiteral("Listedrucken2"), QStringLiteral("Zeiterfassungsliste")},
                 {QStringLiteral("Einzelzeiterfassung1"), QStringLiteral("Einzelzeiterfassung")}});

    const QString newIcon = QStringLiteral("document-new");
    const QString openIcon = QStringLiteral("document-open");
    const QString deleteIcon = QStringLiteral("edit-delete");
    const QString printIcon = QStringLiteral("document-print");
    const QString editIcon = QStringLiteral("document-edit");
    const QString closeIcon = QStringLiteral("document-close");
    const QString addIcon = QStringLiteral("list-add");

    QWidget* page = addPage(QStringLiteral("TAB_Uebersicht"), QStringLiteral("Übersicht"));
    BTN_NewPR = addButton(page, QStringLiteral("BTN_NewPR"), QStringLiteral("&Neues Projekt"),
                          newIcon, QStyle::SP_FileIcon);
    BTN_OpenPR = addButton(page, QStringLiteral("BTN_OpenPR"), QStringLiteral("Projekt &öffnen"),
                           openIcon, QStyle::SP_DialogOpenButton);
    BTN_PRDel = addButton(page, QStringLiteral("BTN_PRDel"), QStringLiteral("Projekt &löschen"),
                          deleteIcon, QStyle::SP_TrashIcon);
    BTN_Funct = addMenuButton(page, QStringLiteral("BTN_Funct"), QStringLiteral("&Funktionen"),
                              QStringLiteral("applications-system"), QStyle::SP_FileDialogListView,
                              nullptr);
    AdvGlowMenuButton1 =
        addMenuButton(page, QStringLiteral("AdvGlowMenuButton1"), QStringLiteral("&Drucken"),
                      printIcon, QStyle::SP_FileDialogContentsView, PMenu_PRPrint);

    page = addPage(QStringLiteral("TAB_Projekt"), QStringLiteral("&Projekt"));
    BTN_PREdit = addButton(page, QStringLiteral("BTN_PREdit"), QStringLiteral("&Bearbeiten"),
                           editIcon, QStyle::SP_FileDialogDetailedView);
    BTN_PRPrintDetails =
        addButton(page, QStringLiteral("BTN_PRPrintDetails"), QStringLiteral("&Drucken"), printIcon,
                  QStyle::SP_FileDialogContentsView);
    BTN_PRClosePR = addButton(page, QStringLiteral("BTN_PRClosePR"), QStringLiteral("S&chließen"),
                              closeIcon, QStyle::SP_DialogCloseButton);

    page = addPage(QStringLiteral("TAB_Todos"), QStringLiteral("&Aufgaben"));
    BTN_AddTodo = addButton(page, QStringLiteral("BTN_AddTodo"), QStringLiteral("&Hinzufügen"),
                            addIcon, QStyle::SP_FileIcon);
    BTN_EditTodo = addButton(page, QStringLiteral("BTN_EditTodo"), QStringLiteral("&Bearbeiten"),
                             editIcon, QStyle::SP_FileDialogDetailedView);
    BTN_DelToDo = addButton(page, QStringLiteral("BTN_DelToDo"), QStringLiteral("&Löschen"),
                            deleteIcon, QStyle::SP_TrashIcon);
    BTN_ToDoPrint = addMenuButton(page, QStringLiteral("BTN_ToDoPrint"), QStringLiteral("&Drucken"),
                                  printIcon, QStyle::SP_FileDialogContentsView, PMenu_ToDoPrint);
    BTN_PRClosePRTodos =
        addButton(page, QStringLiteral("BTN_PRClosePRTodos"), QStringLiteral("PR S&chließen"),
                  closeIcon, QStyle::SP_DialogCloseButton);

    page = addPage(QStringLiteral("TAB_TIME"), QStringLiteral("&Zeitnahme"));
    BTN_AddTime = addButton(page, QStringLiteral("BTN_AddTime"), QStringLiteral("&Hinzufügen"),
                            addIcon, QStyle::SP_FileIcon);
    BTN_EditTime = addButton(page, QStringLiteral("BTN_EditTime"), QStringLiteral("&Bearbeiten"),
                             editIcon, QStyle::SP_FileDialogDetailedView);
    BTN_DelTime = addButton(page, QStringLiteral("BTN_DelTime"), QStringLiteral("&Löschen"),
                            deleteIcon, QStyle::SP_TrashIcon);
    BTN_TimePrint = addMenuButton(page, QStringLiteral("BTN_TimePrint"), QStringLiteral("&Drucken"),
                                  printIcon, QStyle::SP_FileDialogContentsView, PMenu_TimePrint);
    BTN_PRClosePRTime =
        addButton(page, QStringLiteral("BTN_PRClosePRTime"), QStringLiteral("PR S&chließen"),
                  closeIcon, QStyle::SP_DialogCloseButton);

    page = addPage(QStringLiteral("TAB_Files"), QStringLiteral("&Dateien"));
    AdvGlowButton12 =
        addButton(page, QStringLiteral("AdvGlowButton12"), QStringLiteral("Dat. &Hinzufügen"),
                  QStringLiteral("document-import"), QStyle::SP_FileLinkIcon);
    AdvGlowButton13 =
        addButton(page, QStringLiteral("AdvGlowButton13"), QStringLiteral("Datei Ö&ffnen"),
                  openIcon, QStyle::SP_DialogOpenButton);
    AdvGlowButton7 = addButton(page, QStringLiteral("AdvGlowButton7"), QStringLiteral("&Löschen"),
                               deleteIcon, QStyle::SP_TrashIcon);
    AdvGlowButton6 =
        addButton(page, QStringLiteral("AdvGlowButton6"), QStringLiteral("&Neuer Ordner"),
                  QStringLiteral("folder-new"), QStyle::SP_FileDialogNewFolder);
    AdvGlowButton8 =
        addButton(page, QStringLiteral("AdvGlowButton8"), QStringLiteral("PR S&chließen"),
                  closeIcon, QStyle::SP_DialogCloseButton);

    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index != m_activePage)
            Q_EMIT AdvToolBarPager1Change(index);
    });
    setActivePage(Uebersicht);
}

QWidget* PageToolBar::addPage(const QString& name, const QString& caption) {
    auto* page = new QWidget(m_pages);
    page->setObjectName(name);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addStretch(1);
    m_pages->addWidget(page);
    const QSignalBlocker blocker(m_tabs);
    m_tabs->addTab(caption);
    return page;
}

QToolButton* PageToolBar::addButton(QWidget* page, const QString& name, const QString& caption,
                                    const QString& iconName, int fallbackIcon) {
    auto* button = new QToolButton(page);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(themedIcon(this, iconName, fallbackIcon));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(72);
    auto* layout = static_cast<QHBoxLayout*>(page->layout());
    layout->insertWidget(layout->count() - 1, button); // before the closing stretch
    return button;
}

QToolButton* PageToolBar::addMenuButton(QWidget* page, const QString& name, const QString& caption,
                                        const QString& iconName, int fallbackIcon, QMenu* menu) {
    QToolButton* button = addButton(page, name, caption, iconName, fallbackIcon);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
    return button;
}

QMenu* PageToolBar::addMenu(const QString& name, const QList<QPair<QString, QString>>& entries) {
    auto* menu = new QMenu(this);
    menu->setObjectName(name);
    for (const auto& [entryName, caption] : entries) {
        QAction* action = caption == Separator ? menu->addSeparator() : menu->addAction(caption);
        action->setObjectName(entryName);
    }
    return menu;
}

void PageToolBar::setFunctionsMenu(QMenu* menu) {
    BTN_Funct->setMenu(menu);
}

void PageToolBar::setActivePage(int page) {
    if (page < 0 || page >= PageCount)
        return;
    m_activePage = page;
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(page);
    m_pages->setCurrentIndex(page);
}

void PageToolBar::setTabVisible(int page, bool visible) {
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setTabVisible(page, visible);
    // Hiding the current tab moves the bar's selection on its own; the active page decides.
    if (m_tabs->currentIndex() != m_activePage && m_tabs->isTabVisible(m_activePage))
        m_tabs->setCurrentIndex(m_activePage);
}

bool PageToolBar::isTabVisible(int page) const {
    return m_tabs->isTabVisible(page);
}

QList<QToolButton*> PageToolBar::closeButtons() const {
    return {BTN_PRClosePR, BTN_PRClosePRTodos, BTN_PRClosePRTime, AdvGlowButton8};
}
