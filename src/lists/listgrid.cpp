#include "lists/listgrid.h"

#include "data/dataset.h"
#include "lists/datasetmodel.h"
#include "lists/donebar.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QWheelEvent>

namespace {

const QColor HighlightColor(0xFF, 0xFF, 0xA0);
const QColor ProgressColor(0x00, 0xFF, 0x00); // lime
const QColor FoundFrameColor(0x20, 0x20, 0x20);

// What the cells are drawn with besides their texts.
struct CellLook {
    std::function<bool(int row)> strikeOut;
    QString highlight; // empty: no highlighting
    bool highlightCase = false;
    QPersistentModelIndex found; // the cell the search went to last
};

int textMargin(const QWidget* widget) {
    return widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

bool matches(const QString& cell, const QString& text, bool matchCase) {
    return !text.isEmpty() &&
           cell.contains(text, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

class EventFilter : public QObject {
public:
    EventFilter(std::function<bool(QEvent*)> handler, QObject* parent)
        : QObject(parent), m_handler(std::move(handler)) {}
    bool eventFilter(QObject*, QEvent* event) override { return m_handler(event); }

private:
    std::function<bool(QEvent*)> m_handler;
};

// Draws the cells: the current-row mark, the selected row in orange, highlighted matches, the
// cell found by the search framed, progress bars and struck-out rows.
class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(ListGrid* grid, DatasetModel* model, const CellLook* look)
        : QStyledItemDelegate(grid), m_grid(grid), m_model(model), m_look(look) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        p->save();
        p->setClipRect(r);

        if (index.column() == 0) {
            p->fillRect(r, option.palette.button());
            Dataset* ds = m_model->dataset();
            if (ds && ds->recNo() == index.row()) {
                const int h = qMin(r.height() - 4, 9);
                const int x = r.left() + (r.width() - h / 2) / 2 - 1;
                const int y = r.top() + (r.height() - h) / 2;
                QPolygon triangle(
                    {QPoint(x, y), QPoint(x + h / 2 + 1, y + h / 2), QPoint(x, y + h - 1)});
                p->setRenderHint(QPainter::Antialiasing);
                p->setPen(Qt::NoPen);
                p->setBrush(Qt::black);
                p->drawPolygon(triangle);
            }
            p->restore();
            return;
        }

        const QString text = index.data(Qt::DisplayRole).toString();
        if (selected) {
            const int mid = r.top() + r.height() / 2;
            QLinearGradient upper(r.topLeft(), QPoint(r.left(), mid));
            upper.setColorAt(0, QColor(0xF1, 0xC1, 0x5E));
            upper.setColorAt(1, QColor(0xF4, 0xBF, 0x6F));
            QLinearGradient lower(QPoint(r.left(), mid), r.bottomLeft());
            lower.setColorAt(0, QColor(0xEE, 0x95, 0x15));
            lower.setColorAt(1, QColor(0xC8, 0x7D, 0x0F));
            p->fillRect(QRect(r.left(), r.top(), r.width(), mid - r.top()), upper);
            p->fillRect(QRect(r.left(), mid, r.width(), r.bottom() - mid + 1), lower);
        } else if (matches(text, m_look->highlight, m_look->highlightCase)) {
            p->fillRect(r, HighlightColor);
        } else {
            p->fillRect(r, option.palette.base());
        }

        if (m_look->found == index) {
            p->setPen(FoundFrameColor);
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }

        QFont font = option.font;
        if (m_look->strikeOut && m_look->strikeOut(index.row()))
            font.setStrikeOut(true);
        p->setFont(font);
        const QColor textColor = selected ? QColor(Qt::black) : option.palette.text().color();

        const GridColumn* column = m_model->column(index.column());
        if (column && column->progressBar) {
            const QVariant value = index.data(DatasetModel::ValueRole);
            DoneBar::paint(p, r.adjusted(2, 2, -3, -3),
                           value.isNull() ? std::nullopt : std::optional<int>(value.toInt()), text,
                           ProgressColor);
            p->restore();
            return;
        }

        const int margin = textMargin(m_grid);
        const QRect textRect = r.adjusted(margin, 0, -margin, 0);
        p->setPen(textColor);
        p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                    QFontMetrics(font).elidedText(text, Qt::ElideRight, textRect.width()));
        p->restore();
    }

private:
    ListGrid* m_grid;
    DatasetModel* m_model;
    const CellLook* m_look;
};

} // namespace

struct ListGrid::Private {
    ListGrid* q;
    DatasetModel* model = nullptr;
    QPointer<Dataset> dataset;
    SortHandler sortHandler;
    CellLook look;
    QPointer<QMenu> contextMenu;

    // header click
    int pressedSection = -1;
    bool pressCounts = false;
    QPoint pressPos;
    int lastSortPosition = 0; // mirrors the list's remembered column
    bool ascending = true;

    bool syncing = false; // the grid and the dataset cursor follow each other, never in a loop
    bool fixingMove = false;
    int wheelRest = 0;

    explicit Private(ListGrid* grid) : q(grid) {}

    QHeaderView* header() const { return q->horizontalHeader(); }

    // The found cell stays framed while its row is the current one.
    void dropFoundOffRow(int row) {
        if (look.found.isValid() && look.found.row() != row)
            look.found = QPersistentModelIndex();
    }

    void syncFromDataset() {
        if (!dataset || syncing)
            return;
        const int row = dataset->recNo();
        dropFoundOffRow(row);
        syncing = true;
        if (row < 0 || row >= model->rowCount()) {
            q->selectionModel()->clear();
        } else {
            int column = q->currentIndex().column();
            if (column < 0)
                column = header()->logicalIndex(model->columnCount() > 1 ? 1 : 0);
            const QModelIndex index = model->index(row, column);
            q->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
            q->scrollTo(index);
        }
        syncing = false;
        q->viewport()->update();
    }

    void currentRowChanged(const QModelIndex& current) {
        if (syncing || !dataset || !current.isValid() || model->changingRows())
            return;
        dropFoundOffRow(current.row());
        if (current.row() != dataset->recNo()) {
            syncing = true;
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset{syncing};
            dataset->moveTo(current.row());
        }
        q->viewport()->update();
    }

    // Exactly where the header itself grabs a border for resizing (a margin of 4 pixels in the
    // program's style): such a press never sorts, and any other press on a cell can.
    bool nearBorder(int section, int x) const {
        const int grip =
            header()->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header());
        const int left = header()->sectionViewportPosition(section);
        const int right = left + header()->sectionSize(section);
        return x < left + grip || x > right - grip;
    }

    bool headerEvent(QEvent* event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton)
                break;
            pressPos = e->position().toPoint();
            pressedSection = header()->logicalIndexAt(pressPos);
            pressCounts = pressedSection >= 0 && !nearBorder(pressedSection, pressPos.x());
            // The indicator column neither moves nor resizes.
            if (pressedSection == 0 && pressCounts)
                return true;
            break;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (pressCounts && (e->position().toPoint() - pressPos).manhattanLength() >=
                                   QApplication::startDragDistance())
                pressCounts = false; // a column is being moved
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton)
                break;
            const int section = header()->logicalIndexAt(e->position().toPoint());
            const bool click = pressCounts && section == pressedSection;
            const bool indicator = pressedSection == 0;
            pressCounts = false;
            pressedSection = -1;
            if (click)
                headerClicked(section);
            if (indicator)
                return true;
            break;
        }
        default:
            break;
        }
        return false;
    }

    void headerClicked(int section) {
        if (!sortHandler || model->rowCount() < 2)
            return;
        const int position = header()->visualIndex(section);
        bool allow = false;
        try {
            sortHandler(position, allow);
        } catch (...) {
            // The order text has changed although its query failed: show what it says.
            if (allow)
                applySortIndicator(position);
            throw;
        }
        if (allow)
            applySortIndicator(position);
    }

    void applySortIndicator(int position) {
        ascending = position == lastSortPosition ? !ascending : true;
        lastSortPosition = position;
        header()->setSortIndicator(header()->logicalIndex(position),
                                   ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }

    bool textCut(const QModelIndex& index) const {
        const GridColumn* column = model->column(index.column());
        if (!column || column->progressBar)
            return false;
        const QString text = index.data().toString();
        const int width = q->visualRect(index).width() - 2 * textMargin(q);
        return QFontMetrics(q->font()).horizontalAdvance(text) > width;
    }

    void sectionMoved() {
        // Position 0 stays the indicator column.
        if (fixingMove || header()->visualIndex(0) == 0)
            return;
        fixingMove = true;
        header()->moveSection(header()->visualIndex(0), 0);
        fixingMove = false;
    }
};

ListGrid::ListGrid(QWidget* parent) : QTableView(parent), d(std::make_unique<Private>(this)) {
    d->model = new DatasetModel(this);
    setModel(d->model);
    setItemDelegate(new GridDelegate(this, d->model, &d->look));

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);

    // Uniform rows: nothing is measured per row, however many there are.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* h = horizontalHeader();
    QFont bold = h->font();
    bold.setBold(true);
    h->setFont(bold);
    h->setFixedHeight(HeaderHeight);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    h->setHighlightSections(false);
    h->setStretchLastSection(false);
    h->setSectionsMovable(true);
    h->setSectionsClickable(false); // clicks are counted by the grid itself
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setMinimumSectionSize(8);
    h->setSortIndicatorShown(true);
    h->setSortIndicator(-1, Qt::AscendingOrder);
    h->viewport()->installEventFilter(
        new EventFilter([this](QEvent* e) { return d->headerEvent(e); }, this));
    connect(h, &QHeaderView::sectionMoved, this, [this] { d->sectionMoved(); });

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { d->currentRowChanged(current); });
    connect(d->model, &QAbstractItemModel::modelReset, this, [this] {
        // A new result: the sections keep their widths and order.
        d->syncFromDataset();
    });
    connect(d->model, &QAbstractItemModel::rowsInserted, this, [this] { d->syncFromDataset(); });
    connect(d->model, &QAbstractItemModel::rowsRemoved, this, [this] { d->syncFromDataset(); });

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (!d->contextMenu)
            return;
        // The menu works on the current row: make it the one under the mouse.
        const QModelIndex index = indexAt(pos);
        if (index.isValid())
            setCurrentIndex(index);
        d->contextMenu->popup(viewport()->mapToGlobal(pos));
    });
}

ListGrid::~ListGrid() = default;

void ListGrid::setDataset(Dataset* dataset) {
    if (d->dataset)
        disconnect(d->dataset, nullptr, this, nullptr);
    d->dataset = dataset;
    d->model->setDataset(dataset);
    if (dataset)
        connect(dataset, &Dataset::afterScroll, this, [this] { d->syncFromDataset(); });
    d->syncFromDataset();
}

Dataset* ListGrid::dataset() const {
    return d->dataset;
}

void ListGrid::setColumnLayout(const ColumnLayout& layout) {
    QHeaderView* h = horizontalHeader();
    const int indicatorPosition = sortIndicatorColumn();
    d->model->setColumnLayout(layout);
    d->fixingMove = true;
    for (int i = 0; i < h->count(); ++i)
        if (h->visualIndex(i) != i)
            h->moveSection(h->visualIndex(i), i);
    d->fixingMove = false;
    h->setSectionResizeMode(0, QHeaderView::Fixed);
    h->resizeSection(0, IndicatorColumnWidth);
    for (int i = 0; i < layout.size(); ++i)
        h->resizeSection(i + 1, layout.at(i).width);
    h->setSortIndicator(indicatorPosition > 0 && indicatorPosition < h->count() ? indicatorPosition
                                                                                : -1,
                        h->sortIndicatorOrder());
    d->syncFromDataset();
}

ColumnLayout ListGrid::columnLayout() const {
    const QHeaderView* h = horizontalHeader();
    ColumnLayout result;
    for (int position = 1; position < h->count(); ++position) {
        const int section = h->logicalIndex(position);
        GridColumn column = *d->model->column(section);
        column.width = h->sectionSize(section);
        result.append(column);
    }
    return result;
}

QString ListGrid::fieldAt(int position) const {
    const int section = horizontalHeader()->logicalIndex(position);
    const GridColumn* column = d->model->column(section);
    return column ? column->field : QString();
}

void ListGrid::setSortHandler(SortHandler handler) {
    d->sortHandler = std::move(handler);
}

int ListGrid::sortIndicatorColumn() const {
    const int section = horizontalHeader()->sortIndicatorSection();
    if (section < 0 || section >= horizontalHeader()->count())
        return -1;
    return horizontalHeader()->visualIndex(section);
}

bool ListGrid::sortIndicatorAscending() const {
    return horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder;
}

void ListGrid::clearSortIndicator() {
    horizontalHeader()->setSortIndicator(-1, horizontalHeader()->sortIndicatorOrder());
}

void ListGrid::setStrikeOutHook(std::function<bool(int row)> hook) {
    d->look.strikeOut = std::move(hook);
    viewport()->update();
}

void ListGrid::setContextMenu(QMenu* menu) {
    d->contextMenu = menu;
}

QMenu* ListGrid::contextMenu() const {
    return d->contextMenu;
}

QString ListGrid::cellText(int row, int position) const {
    const int section = horizontalHeader()->logicalIndex(position);
    if (section < 0)
        return {};
    return d->model->index(row, section).data().toString();
}

bool ListGrid::findNext(const QString& text, bool forward, bool matchCase) {
    const QHeaderView* h = horizontalHeader();
    const int rows = d->model->rowCount();
    const int columns = h->count() - 1; // positions 1..N
    if (text.isEmpty() || rows == 0 || columns <= 0)
        return false;
    const qint64 total = qint64(rows) * columns;
    const QModelIndex current = currentIndex();
    // The cell to start after; with none, the search starts at the first (or last) cell.
    qint64 start = forward ? total - 1 : 0;
    if (current.isValid() && h->visualIndex(current.column()) > 0)
        start = qint64(current.row()) * columns + h->visualIndex(current.column()) - 1;
    else if (current.isValid())
        start = forward ? qint64(current.row()) * columns - 1 : qint64(current.row()) * columns;
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qint64 step = 1; step <= total; ++step) {
        const qint64 cell = ((start + (forward ? step : -step)) % total + total) % total;
        const int row = int(cell / columns);
        const int section = h->logicalIndex(int(cell % columns) + 1);
        if (h->isSectionHidden(section))
            continue;
        const QModelIndex index = d->model->index(row, section);
        if (!index.data().toString().contains(text, cs))
            continue;
        if (d->dataset && d->dataset->recNo() != row)
            d->dataset->moveTo(row);
        d->look.found = index;
        d->syncing = true;
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        d->syncing = false;
        scrollTo(index);
        viewport()->update();
        return true;
    }
    return false;
}

void ListGrid::setHighlight(const QString& text, bool matchCase) {
    d->look.highlight = text;
    d->look.highlightCase = matchCase;
    viewport()->update();
}

QModelIndex ListGrid::foundCell() const {
    return d->look.found;
}

void ListGrid::clearFoundCell() {
    d->look.found = QPersistentModelIndex();
    viewport()->update();
}

void ListGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        Q_EMIT openRequested();
        return;
    }
    // The main window turns the pages with these.
    if ((event->modifiers() & Qt::ControlModifier) &&
        (key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ListGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        event->accept();
        // The row double-clicked is the one opened.
        setCurrentIndex(index);
        Q_EMIT openRequested();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

bool ListGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* e = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(e->pos());
        if (index.isValid() && d->textCut(index))
            QToolTip::showText(e->globalPos(), index.data().toString(), viewport(),
                               visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        // One row per wheel step, whatever the desktop's setting.
        auto* e = static_cast<QWheelEvent*>(event);
        const QPoint delta = e->angleDelta();
        if (delta.y() != 0 && !(e->modifiers() & Qt::AltModifier)) {
            d->wheelRest += delta.y();
            const int steps = d->wheelRest / 120;
            d->wheelRest -= steps * 120;
            QScrollBar* bar = verticalScrollBar();
            bar->setValue(bar->value() - steps * bar->singleStep());
            e->accept();
            return true;
        }
    }
    return QTableView::viewportEvent(event);
}
