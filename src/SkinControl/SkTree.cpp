#include "SkinControl/SkTree.h"

#include "SkinControl/SkButtons.h"
#include "archive/Bitmap.h"
#include "archive/ResourceLoaders.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/QtKeys.h"
#include "platform/QtText.h"
#include "platform/Services.h"

#include <QApplication>
#include <QByteArray>
#include <QKeyEvent>
#include <QList>
#include <QMenu> // SkButtons.h keeps a guarded pointer to one
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>

namespace {

constexpr int kRecordRole = Qt::UserRole;      // index of the item's record; absent for none
constexpr int kCaptionRole = Qt::UserRole + 1; // the caption's Windows-1251 bytes
constexpr int kImageRole = Qt::UserRole + 2;   // image index
constexpr size_t kHistoryLimit = 20;

QColor ToQColor(TColor color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QString ColorName(TColor color) {
    return ToQColor(color).name();
}

QFont ToQFont(const TFontSpec& spec) {
    QFont font(ToQString(spec.Name));
    if (spec.Size > 0)
        font.setPointSize(spec.Size);
    font.setBold(spec.Bold);
    font.setItalic(spec.Italic);
    font.setUnderline(spec.Underline);
    font.setStrikeOut(spec.StrikeOut);
    return font;
}

// Latin letters compared without regard to case, every other byte exactly.
bool SameAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// Tabs and blanks at the start of a line, each one level.
size_t IndentOf(const std::string& line) {
    size_t n = 0;
    while (n < line.size() && (line[n] == '\t' || line[n] == ' '))
        ++n;
    return n;
}

void SetCaption(QTreeWidgetItem* item, const std::string& caption) {
    item->setText(0, ToQString(caption));
    item->setData(0, kCaptionRole,
                  QByteArray(caption.data(), static_cast<qsizetype>(caption.size())));
}

std::string CaptionData(const QTreeWidgetItem* item) {
    if (!item)
        return {};
    const QByteArray bytes = item->data(0, kCaptionRole).toByteArray();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

int RecordIndex(const QTreeWidgetItem* item) {
    if (!item)
        return -1;
    const QVariant value = item->data(0, kRecordRole);
    return value.isValid() ? value.toInt() : -1;
}

// Places the lines of a tree file by their indentation. A line becomes the child of the nearest
// node on the current branch (the previous node and its ancestors) that is written less indented,
// and a top-level node when there is none; the first line counts as level 0 however it is
// indented. For files that go one level deeper at a time this is the usual rule (same level: a
// sibling; one deeper: a child; shallower: a sibling of the ancestor at that level). A line two
// or more levels deeper than the previous one becomes that node's child too, and the lines after
// it written as deep are its siblings. Nodes never go deeper than maxDepth levels: a line that
// would is placed beside the previous node instead.
class TPlacer {
public:
    explicit TPlacer(size_t maxDepth) : MaxDepth(maxDepth) {}

    void Place(QTreeWidgetItem* node, size_t level, QList<QTreeWidgetItem*>& tops) {
        if (First) {
            First = false;
            level = 0;
        }
        while (!Path.empty() && Path.back().Level >= level)
            Path.pop_back();
        if (Path.size() >= MaxDepth)
            Path.pop_back();
        if (Path.empty())
            tops.append(node);
        else
            Path.back().Node->addChild(node);
        Path.push_back({node, level});
    }

private:
    struct TStep {
        QTreeWidgetItem* Node;
        size_t Level;
    };
    size_t MaxDepth;
    bool First = true;
    std::vector<TStep> Path; // top first; levels strictly increase
};

// Painting is held while nodes are added or expanded in bulk; released also on an exception.
class TUpdateHold {
public:
    explicit TUpdateHold(QAbstractItemView* view) : View(view), Was(view->updatesEnabled()) {
        View->setUpdatesEnabled(false);
    }
    ~TUpdateHold() {
        View->setUpdatesEnabled(Was);
        if (Was)
            View->viewport()->update();
    }
    TUpdateHold(const TUpdateHold&) = delete;
    TUpdateHold& operator=(const TUpdateHold&) = delete;

private:
    QAbstractItemView* View;
    bool Was;
};

// Gives a flag a value for a scope and puts the old one back.
class TFlag {
public:
    explicit TFlag(bool& flag, bool value = true) : Flag(flag), Was(flag) { Flag = value; }
    ~TFlag() { Flag = Was; }
    TFlag(const TFlag&) = delete;
    TFlag& operator=(const TFlag&) = delete;

private:
    bool& Flag;
    bool Was;
};

// One block of rules of the control's own in its style sheet, beside rules that others write
// there (the engine's font rule): the block written before is taken out, the new one appended.
// The widget's own rules win over the window skin's whatever their selectors.
void WriteOwnRules(QWidget* widget, QString& written, const QString& rules) {
    QString sheet = widget->styleSheet();
    if (!written.isEmpty())
        sheet.remove(written);
    written = "\n" + rules;
    widget->setStyleSheet(sheet + written);
}

// The key codes of a key event as the engine's key hooks take them.
void KeyCodes(const QKeyEvent& event, int& key, int& shift) {
    key = ShortCutOfEvent(event) & 0xFF;
    shift = 0;
    if (event.modifiers() & Qt::ShiftModifier)
        shift |= 0x2000;
    if (event.modifiers() & Qt::ControlModifier)
        shift |= 0x4000;
    if (event.modifiers() & Qt::AltModifier)
        shift |= 0x8000;
}

// Draws the expand button of a node that has children, and nothing else: trees show no lines.
// A small triangle in the text colour of its own: a style sheet's styles may draw no branch
// indicator at all, and a closed branch must still be told from a document.
void DrawExpandButton(const QTreeView* view, QPainter* painter, const QRect& rect,
                      const QModelIndex& index) {
    if (!view->model()->hasChildren(index))
        return;
    const int width = view->indentation();
    const QRect box(rect.right() + 1 - width, rect.top(), width, rect.height());
    const QPointF c = QRectF(box).center();
    const qreal r = std::max<qreal>(2.5, std::min(width, rect.height()) / 5.0);
    QPolygonF triangle;
    if (view->isExpanded(index))
        triangle << QPointF(c.x() - r, c.y() - r / 2) << QPointF(c.x() + r, c.y() - r / 2)
                 << QPointF(c.x(), c.y() + r);
    else
        triangle << QPointF(c.x() - r / 2, c.y() - r) << QPointF(c.x() + r, c.y())
                 << QPointF(c.x() - r / 2, c.y() + r);
    QColor colour = view->palette().color(QPalette::Text);
    colour.setAlphaF(0.6f);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    painter->drawPolygon(triangle);
    painter->restore();
}

// Draws the selected node in the tree's select font (its colours come from the style sheet).
class TNodeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QFont SelectFont;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem selected = option;
        selected.state |= QStyle::State_Selected;
        return QStyledItemDelegate::sizeHint(option, index)
            .expandedTo(QStyledItemDelegate::sizeHint(selected, index));
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected) {
            option->font = SelectFont;
            option->fontMetrics = QFontMetrics(SelectFont);
        }
    }
};

// A white pixel of a node picture shows the tree's background: the picture is its own mask.
QImage NodePicture(const TBitmap& bitmap) {
    QImage image(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                 bitmap.BytesPerLine(), QImage::Format_ARGB32);
    QImage own = image.copy();
    for (int y = 0; y < own.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(own.scanLine(y));
        for (int x = 0; x < own.width(); ++x)
            if ((row[x] & 0xFFFFFFu) == 0xFFFFFFu)
                row[x] = 0;
    }
    return own;
}

} // namespace

// --- topic tree

TSkTree::TSkTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false); // the double click is handled below
    setIconSize(QSize(16, 16));
    setFocusPolicy(Qt::StrongFocus);
    setItemDelegate(new TNodeDelegate(this));
    const QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    SelectColor = RGBColor(highlight.red(), highlight.green(), highlight.blue());
    SelectFont.Color = RGBColor(255, 255, 255);
    SelectionHook = connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                            [this] { GuardedCall([this] { SelectionChanged(); }); });
    SetBordered(false);
    SelectStyleChanged();
    ShowWithParent(this);
}

TSkTree::~TSkTree() {
    // Removing the nodes below must not reach the history of a tree already half gone.
    disconnect(SelectionHook);
}

void TSkTree::LoadTreeFile(const std::string& name) {
    ClearTree();
    TreeFile = name;
    const TStrings lines = LoadPackStrings(name);
    const TUpdateHold hold(this);
    ParseTreeLines(lines);
}

void TSkTree::ParseTreeLines(const TStrings& lines) {
    const TFlag loading(Loading);
    TPlacer placer(kMaxDepth);
    QList<QTreeWidgetItem*> tops;
    for (const std::string& line : lines) {
        const size_t level = IndentOf(line);
        std::string rest = line.substr(level);
        const std::string first = SplitHead(rest, ";");
        const std::string second = SplitHead(rest, ";");
        // The second layout ignores the rest of the line.
        const std::string picture = CaptionFirst ? rest : std::string();

        auto* node = new QTreeWidgetItem;
        SetCaption(node, CaptionFirst ? first : second);
        node->setData(0, kRecordRole, static_cast<int>(NodeRecords.size()));
        if (!Trim(picture).empty())
            if (const int image = ImageIndexFor(picture); image >= 0) {
                QIcon icon;
                const QPixmap pixmap = QPixmap::fromImage(Images[static_cast<size_t>(image)]);
                icon.addPixmap(pixmap, QIcon::Normal);
                icon.addPixmap(pixmap, QIcon::Selected);
                node->setIcon(0, icon);
                node->setData(0, kImageRole, image);
            }
        placer.Place(node, level, tops);
        auto record = std::make_unique<TNodeRecord>();
        record->Document = Trim(CaptionFirst ? second : first);
        record->Node = node;
        NodeRecords.push_back(std::move(record));
    }
    addTopLevelItems(tops);
    if (OpenBlock)
        expandAll();
}

void TSkTree::ClearTree() {
    const TFlag loading(Loading);
    clear();
    NodeRecords.clear();
    // The visits stay in the history, but their nodes are gone.
    for (QTreeWidgetItem*& node : HistoryNodes)
        node = nullptr;
}

int TSkTree::ImageIndexFor(const std::string& picture) {
    const std::string name = Trim(picture);
    const std::string key = cp1251::Lower(name);
    if (key.empty())
        return -1;
    if (const auto cached = PictureCache.find(key); cached != PictureCache.end())
        return cached->second;
    int index = -1;
    try {
        const TBitmap bitmap = LoadPackBitmap(name);
        if (!bitmap.Empty()) {
            Images.push_back(NodePicture(bitmap));
            index = static_cast<int>(Images.size()) - 1;
        }
    } catch (const std::exception& error) {
        // A picture that cannot be decoded gives its node no image; the reason is told once.
        Dialogs().ShowMessage(error.what());
    }
    PictureCache.emplace(key, index);
    return index;
}

QTreeWidgetItem* TSkTree::Selected() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

TNodeRecord* TSkTree::RecordOf(const QTreeWidgetItem* node) const {
    const int index = RecordIndex(node);
    if (index < 0 || static_cast<size_t>(index) >= NodeRecords.size())
        return nullptr;
    TNodeRecord* record = NodeRecords[static_cast<size_t>(index)].get();
    return record->Node == node ? record : nullptr;
}

int TSkTree::ImageIndexOf(const QTreeWidgetItem* node) const {
    const QVariant value = node ? node->data(0, kImageRole) : QVariant();
    return value.isValid() ? value.toInt() : -1;
}

std::string TSkTree::SelectedDocument() const {
    const TNodeRecord* record = RecordOf(Selected());
    return record ? record->Document : std::string();
}

QTreeWidgetItem* TSkTree::FindNodeByDocument(const std::string& name) const {
    // Headings have records with empty documents; no name finds them.
    if (name.empty())
        return nullptr;
    for (const auto& record : NodeRecords)
        if (SameAsciiNoCase(record->Document, name))
            return record->Node;
    return nullptr;
}

QTreeWidgetItem* TSkTree::FastFind(const std::string& text) const {
    const size_t count = NodeRecords.size();
    if (count == 0)
        return nullptr;
    const std::string wanted = cp1251::Lower(text);
    const int selected = RecordIndex(Selected());
    // From the record after the selected one, round to the selected one itself last.
    const size_t start =
        selected < 0 || static_cast<size_t>(selected) + 1 >= count ? 0 : selected + 1;
    for (size_t i = 0; i < count; ++i) {
        const TNodeRecord& record = *NodeRecords[(start + i) % count];
        if (cp1251::Lower(CaptionData(record.Node)).find(wanted) != std::string::npos)
            return record.Node;
    }
    return nullptr;
}

void TSkTree::SelectFirst() {
    if (topLevelItemCount() > 0)
        SelectNode(topLevelItem(0));
}

void TSkTree::SelectNext() {
    // Selecting never expands a node here, so there is no automatic expansion to switch off.
    QTreeWidgetItem* node = Selected();
    QTreeWidgetItem* next = node ? itemBelow(node) : nullptr;
    if (!next)
        return;
    SelectNode(next);
    FireClick();
}

void TSkTree::SelectPrev() {
    QTreeWidgetItem* node = Selected();
    QTreeWidgetItem* previous = node ? itemAbove(node) : nullptr;
    if (!previous)
        return;
    SelectNode(previous);
    FireClick();
}

QTreeWidgetItem* TSkTree::HistoryNode(int position) const {
    const int count = static_cast<int>(HistoryNodes.size());
    if (position < 0 || position >= count)
        return nullptr;
    return HistoryNodes[static_cast<size_t>(count - 1 - position)];
}

void TSkTree::GoHistory(int position) {
    if (topLevelItemCount() == 0 || position < 0 ||
        position > static_cast<int>(HistoryNodes.size()) - 1)
        return;
    class TRecordingOff {
    public:
        explicit TRecordingOff(bool& flag) : Flag(flag) { Flag = false; }
        ~TRecordingOff() { Flag = true; }
        TRecordingOff(const TRecordingOff&) = delete;
        TRecordingOff& operator=(const TRecordingOff&) = delete;

    private:
        bool& Flag;
    };
    const TRecordingOff off(RecordHistory);
    HistoryPos = position;
    try {
        QTreeWidgetItem* node = HistoryNode(position);
        SelectNode(node); // none: the node went with a reload
        if (node && Events.OnClick) {
            const std::function<void()> click = Events.OnClick;
            click();
        }
    } catch (...) {
        // Going through the history never fails: whatever the entry's action raised is dropped.
    }
}

void TSkTree::ToggleVisible() {
    ToggleVisibleAt(this, SavedLeft, SavedTop);
}

void TSkTree::SetOpenBlock(bool on) {
    OpenBlock = on;
    if (on) {
        const TUpdateHold hold(this);
        expandAll();
    }
    viewport()->update(); // the expand buttons come or go
}

void TSkTree::UpdateNavButtons() {
    QTreeWidgetItem* node = Selected();
    if (!node)
        return;
    if (NextButton)
        NextButton->setEnabled(itemBelow(node) != nullptr);
    if (PrevButton)
        PrevButton->setEnabled(itemAbove(node) != nullptr);
}

void TSkTree::SelectNode(QTreeWidgetItem* node) {
    if (node) {
        // Opened first: the next and previous buttons look at the nodes shown around it.
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            up->setExpanded(true);
        setCurrentItem(node);
        scrollToItem(node);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
}

std::string TSkTree::CaptionOf(const QTreeWidgetItem* node) const {
    return CaptionData(node);
}

int TSkTree::AbsoluteIndex(const QTreeWidgetItem* node) const {
    // Nodes are numbered in file order, which is the order of the whole tree from top to bottom.
    return RecordOf(node) ? RecordIndex(node) : -1;
}

QTreeWidgetItem* TSkTree::NodeAtAbsoluteIndex(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= NodeRecords.size())
        return nullptr;
    return NodeRecords[static_cast<size_t>(index)]->Node;
}

void TSkTree::FireClick() {
    FireEvent(Events.OnClick);
}

QFont TSkTree::NodeFont(const QTreeWidgetItem* node) const {
    return node && node == Selected() ? SelectQFont : font();
}

void TSkTree::SetBordered(bool on) {
    Bordered = on;
    setFrameShape(on ? QFrame::StyledPanel : QFrame::NoFrame);
    WriteRules();
}

void TSkTree::SetBackColor(TColor color) {
    BackColor = color;
    WriteRules();
}

void TSkTree::SelectStyleChanged() {
    SelectQFont = ToQFont(SelectFont);
    static_cast<TNodeDelegate*>(itemDelegate())->SelectFont = SelectQFont;
    WriteRules();
    // Rows are measured again: the select font may be larger than the tree's own.
    scheduleDelayedItemsLayout();
}

void TSkTree::ExpandAllNodes() {
    {
        const TUpdateHold hold(this);
        expandAll();
    }
    if (QTreeWidgetItem* node = Selected())
        scrollToItem(node);
}

void TSkTree::CollapseAllNodes() {
    const TUpdateHold hold(this);
    collapseAll();
}

void TSkTree::WriteRules() {
    QString rules = QStringLiteral("QTreeView { selection-background-color: %1; "
                                   "selection-color: %2;")
                        .arg(ColorName(SelectColor), ColorName(SelectFont.Color));
    if (!Bordered)
        rules += QStringLiteral(" border: none;");
    if (BackColor)
        rules += QStringLiteral(" background-color: %1;").arg(ColorName(*BackColor));
    rules += QStringLiteral(" }");
    WriteOwnRules(this, WrittenRules, rules);
}

void TSkTree::SelectionChanged() {
    if (RecordHistory && !Loading)
        RecordVisit(Selected());
    UpdateNavButtons();
}

void TSkTree::RecordVisit(QTreeWidgetItem* node) {
    HistoryPos = 0;
    if (!node)
        return;
    HistoryNodes.push_back(node);
    HistoryCaptions.insert(HistoryCaptions.begin(), CaptionOf(node));
    if (HistoryNodes.size() > kHistoryLimit) {
        HistoryNodes.erase(HistoryNodes.begin());
        HistoryCaptions.pop_back();
    }
}

void TSkTree::keyReleaseEvent(QKeyEvent* event) {
    QTreeWidget::keyReleaseEvent(event);
    // Moving with the keyboard runs the action as a click does; a held key runs it once.
    if (!event->isAutoRepeat())
        FireClick();
}

void TSkTree::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (std::exchange(SkipRelease, false))
        return;
    FireClick();
}

void TSkTree::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    SkipRelease = true; // the click of this double click has fired already
    if (QTreeWidgetItem* node = Selected()) {
        const TUpdateHold hold(this);
        node->setExpanded(!node->isExpanded());
    }
}

void TSkTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    // The selection's colour reaches into the indentation on its own (whole-row selection).
    if (!OpenBlock)
        DrawExpandButton(this, painter, rect, index);
}

// --- checkable tree

TSkTreeEx::TSkTreeEx(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false); // a double click checks
    setFocusPolicy(Qt::StrongFocus);
    Hooks.push_back(connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                            [this](const QItemSelection& selected) {
                                GuardedCall([&] { SelectionChanged(selected); });
                            }));
    Hooks.push_back(connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        GuardedCall([&] { ItemExpanded(item); });
    }));
    Hooks.push_back(connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        GuardedCall([&] { ItemChanged(item); });
    }));
    WriteRules();
    ShowWithParent(this);
}

TSkTreeEx::~TSkTreeEx() {
    for (const QMetaObject::Connection& hook : Hooks)
        disconnect(hook);
}

void TSkTreeEx::LoadTreeExFile(const std::string& name) {
    clear();
    ItemRecords.clear();
    const TStrings lines = LoadPackStrings(name);
    const TUpdateHold hold(this);
    TPlacer placer(TSkTree::kMaxDepth);
    QList<QTreeWidgetItem*> tops;
    for (const std::string& line : lines) {
        const size_t level = IndentOf(line);
        std::string document = line.substr(level);
        const std::string caption = SplitHead(document, ";");
        auto* item = new QTreeWidgetItem;
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        SetCaption(item, caption);
        if (!document.empty()) {
            item->setData(0, kRecordRole, static_cast<int>(ItemRecords.size()));
            if (CheckBoxes) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(0, Qt::Unchecked);
            }
            auto record = std::make_unique<TItemRecord>();
            record->Document = document;
            record->Item = item;
            ItemRecords.push_back(std::move(record));
        }
        placer.Place(item, level, tops);
    }
    addTopLevelItems(tops);
}

QTreeWidgetItem* TSkTreeEx::Selected() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

TItemRecord* TSkTreeEx::RecordOf(const QTreeWidgetItem* item) const {
    const int index = RecordIndex(item);
    if (index < 0 || static_cast<size_t>(index) >= ItemRecords.size())
        return nullptr;
    TItemRecord* record = ItemRecords[static_cast<size_t>(index)].get();
    return record->Item == item ? record : nullptr;
}

bool TSkTreeEx::HasCheckBox(const QTreeWidgetItem* item) const {
    return item && item->data(0, Qt::CheckStateRole).isValid();
}

std::string TSkTreeEx::SelectedDocument() const {
    const TItemRecord* record = RecordOf(Selected());
    return record ? record->Document : std::string();
}

QTreeWidgetItem* TSkTreeEx::FindItemByDocument(const std::string& name) const {
    if (name.empty())
        return nullptr; // records are made for documents only: nothing has an empty one
    for (const auto& record : ItemRecords)
        if (SameAsciiNoCase(record->Document, name))
            return record->Item;
    return nullptr;
}

std::string TSkTreeEx::CaptionOf(const QTreeWidgetItem* item) const {
    return CaptionData(item);
}

void TSkTreeEx::SelectItem(QTreeWidgetItem* item) {
    if (item) {
        setCurrentItem(item);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
}

void TSkTreeEx::MakeVisible(QTreeWidgetItem* item) {
    if (!item)
        return;
    std::vector<QTreeWidgetItem*> ancestors;
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        ancestors.push_back(up);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        (*it)->setExpanded(true);
    scrollToItem(item);
}

void TSkTreeEx::SelectNext() {
    const TFlag still(AutoExpand, false);
    QTreeWidgetItem* item = Selected();
    if (QTreeWidgetItem* next = item ? itemBelow(item) : nullptr)
        SelectItem(next);
}

void TSkTreeEx::SelectPrev() {
    const TFlag still(AutoExpand, false);
    QTreeWidgetItem* item = Selected();
    if (QTreeWidgetItem* previous = item ? itemAbove(item) : nullptr)
        SelectItem(previous);
}

void TSkTreeEx::ToggleVisible() {
    SetShown(this, !IsShown(this));
}

void TSkTreeEx::SetCheck(QTreeWidgetItem* item, bool checked) {
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    if (TItemRecord* record = RecordOf(item))
        record->Checked = checked ? 1 : 0;
}

void TSkTreeEx::SetSelectedChecked(bool state) {
    if (QTreeWidgetItem* item = Selected(); HasCheckBox(item))
        SetCheck(item, state);
}

void TSkTreeEx::CheckAll() {
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (HasCheckBox(*it))
            SetCheck(*it, true);
}

void TSkTreeEx::ClearChecks() {
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (HasCheckBox(*it))
            SetCheck(*it, false);
}

void TSkTreeEx::ToggleSelectedCheck() {
    if (QTreeWidgetItem* item = Selected(); HasCheckBox(item))
        SetCheck(item, item->checkState(0) != Qt::Checked);
}

void TSkTreeEx::SetColor(TColorPart part, TColor color) {
    Colors[part] = color;
    WriteRules();
}

void TSkTreeEx::SetBordered(bool on) {
    Bordered = on;
    setFrameShape(on ? QFrame::StyledPanel : QFrame::NoFrame);
    WriteRules();
}

void TSkTreeEx::WriteRules() {
    auto color = [this](TColorPart part, const char* property) {
        const auto it = Colors.find(part);
        return it == Colors.end() ? QString()
                                  : QStringLiteral(" %1: %2;").arg(property, ColorName(it->second));
    };
    QString rules = "QTreeView {" + color(TColorPart::Back, "background-color") +
                    color(TColorPart::Text, "color") +
                    color(TColorPart::SelectBack, "selection-background-color") +
                    color(TColorPart::SelectText, "selection-color");
    if (!Bordered)
        rules += QStringLiteral(" border: none;");
    rules += QStringLiteral(" }");
    if (const QString track = color(TColorPart::Track, "background-color"); !track.isEmpty())
        rules += "\nQTreeView::item:hover:!selected {" + track + " }";
    if (const QString scroll = color(TColorPart::Scroll, "background-color"); !scroll.isEmpty())
        rules += "\nQTreeView QScrollBar {" + scroll + " }";
    WriteOwnRules(this, WrittenRules, rules);
}

void TSkTreeEx::SelectionChanged(const QItemSelection& selected) {
    const QModelIndexList indexes = selected.indexes();
    if (indexes.isEmpty())
        return; // the selection went: nothing is newly selected
    QTreeWidgetItem* item = itemFromIndex(indexes.first());
    if (!item)
        return;
    if (AutoExpand && item->childCount() > 0 && !item->isExpanded())
        item->setExpanded(true);
    FireEvent(OnItemSelected, item);
}

void TSkTreeEx::ItemExpanded(QTreeWidgetItem* item) {
    // Only one top-level branch is open at a time.
    if (Collapsing || item->parent())
        return;
    const TFlag collapsing(Collapsing);
    collapseAll();
    item->setExpanded(true);
}

void TSkTreeEx::ItemChanged(QTreeWidgetItem* item) {
    if (TItemRecord* record = RecordOf(item); record && HasCheckBox(item))
        record->Checked = item->checkState(0) == Qt::Checked ? 1 : 0;
}

void TSkTreeEx::keyPressEvent(QKeyEvent* event) {
    if (Events.OnKeyDown) {
        int key = 0, shift = 0;
        KeyCodes(*event, key, shift);
        const QPointer<TSkTreeEx> alive(this);
        FireEvent(Events.OnKeyDown, key, shift);
        if (!alive)
            return;
    }
    // The space bar belongs to the key hook (the engine inverts the check there): Qt's own
    // toggle would undo it.
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TSkTreeEx::mousePressEvent(QMouseEvent* event) {
    PressSelection = Selected();
    QTreeWidget::mousePressEvent(event);
}

void TSkTreeEx::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (std::exchange(SkipRelease, false))
        return;
    // A click that selected another item has run the action through the selection event.
    if (Selected() == PressSelection)
        FireEvent(Events.OnClick);
}

void TSkTreeEx::mouseDoubleClickEvent(QMouseEvent* event) {
    PressSelection = Selected();
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    SkipRelease = true;
    ToggleSelectedCheck();
}

void TSkTreeEx::drawBranches(QPainter*, const QRect&, const QModelIndex&) const {
    // No expand buttons and no lines: branches open by selection.
}
