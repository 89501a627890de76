#include "lists/searchbar.h"

#include "lists/listgrid.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

struct SearchBar::Private {
    ListGrid* grid;
    QLineEdit* text;
    QPushButton* backward;
    QPushButton* forward;
    QCheckBox* highlight;
    QCheckBox* matchCase;
    QToolButton* close;
};

SearchBar::SearchBar(ListGrid* grid, const QString& closeHint, QWidget* parent)
    : QWidget(parent), d(new Private) {
    d->grid = grid;

    d->text = new QLineEdit(this);
    d->text->setObjectName(QStringLiteral("SearchText"));
    d->text->setClearButtonEnabled(true);

    d->backward = new QPushButton(QStringLiteral("&Aufwärts"), this);
    d->backward->setObjectName(QStringLiteral("SearchBackward"));
    d->backward->setToolTip(QStringLiteral("Das vorherige Auftreten des Ausdruckes suchen."));

    d->forward = new QPushButton(QStringLiteral("Ab&wärts"), this);
    d->forward->setObjectName(QStringLiteral("SearchForward"));
    d->forward->setToolTip(QStringLiteral("Das nächste Auftreten des Ausdruckes suchen."));

    d->highlight = new QCheckBox(QStringLiteral("Hervorheben"), this);
    d->highlight->setObjectName(QStringLiteral("Highlight"));
    d->highlight->setToolTip(QStringLiteral("Jedes vorkommen des Audrucks im Text hervorheben."));

    d->matchCase = new QCheckBox(QStringLiteral("Groß-/Kleinschreibung"), this);
    d->matchCase->setObjectName(QStringLiteral("MatchCase"));

    d->close = new QToolButton(this);
    d->close->setObjectName(QStringLiteral("CloseSearch"));
    d->close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
    d->close->setAutoRaise(true);
    d->close->setToolTip(closeHint);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(d->close);
    layout->addWidget(d->text, 1);
    layout->addWidget(d->backward);
    layout->addWidget(d->forward);
    layout->addWidget(d->highlight);
    layout->addWidget(d->matchCase);

    auto search = [this](bool forward) {
        d->grid->findNext(d->text->text(), forward, d->matchCase->isChecked());
    };
    auto updateHighlight = [this] {
        const bool on = d->highlight->isChecked() && !isHidden();
        d->grid->setHighlight(on ? d->text->text() : QString(), d->matchCase->isChecked());
    };
    connect(d->text, &QLineEdit::returnPressed, this, [search] { search(true); });
    connect(d->forward, &QPushButton::clicked, this, [search] { search(true); });
    connect(d->backward, &QPushButton::clicked, this, [search] { search(false); });
    connect(d->text, &QLineEdit::textChanged, this, updateHighlight);
    connect(d->highlight, &QCheckBox::toggled, this, updateHighlight);
    connect(d->matchCase, &QCheckBox::toggled, this, updateHighlight);
    connect(d->close, &QToolButton::clicked, this, [this, updateHighlight] {
        hide();
        updateHighlight();
    });
}

SearchBar::~SearchBar() {
    delete d;
}

QLineEdit* SearchBar::searchText() const {
    return d->text;
}

void SearchBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (d->highlight->isChecked())
        d->grid->setHighlight(d->text->text(), d->matchCase->isChecked());
}

void SearchBar::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    d->grid->setHighlight(QString(), false);
    d->grid->clearFoundCell();
}
