#include "ui/slideshow/slideshow_editor.h"

#include "core/controller/slideshow_playback.h"
#include "core/slideshow/picture_decoder.h"
#include "core/slideshow/slideshow_files.h"
#include "ui/widgets/background.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QThread>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <utility>

namespace vz {

using namespace vz::slideshow;

namespace {

const QString kCaption = QStringLiteral("Vivivoz");
const QString kAddFilter = QStringLiteral(
    "All (*.jpg;*.jpeg;*.bmp;*.png) (*.jpg *.jpeg *.bmp *.png *.JPG *.JPEG *.BMP *.PNG);;"
    "JPEG Image File (*.jpg) (*.jpg *.JPG);;JPEG Image File (*.jpeg) (*.jpeg *.JPEG);;"
    "Bitmaps (*.bmp) (*.bmp *.BMP);;Png Images(*.png) (*.png *.PNG)");
const QString kOpenProjectFilter = QStringLiteral("Rezazuve Slide Show (*mef) (*.mef)");
const QString kSaveProjectFilter = QStringLiteral("Vivivoz Slideshow project (*mef) (*.mef)");
const QString kSlideshowFilter = QStringLiteral("Vivivoz Slide Show (*.VSL *.vsl)");
constexpr QSize kClientSize(976, 581);
// Room on either side of a column header's text.
constexpr int kHeaderPadding = 8;
// The option rows of the preview box: margins and the gap between a label
// and its control.
constexpr int kBoxMargin = 15;
constexpr int kOptionGap = 10;

QPushButton* makeButton(QWidget* parent, const char* caption, QRect geometry) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setGeometry(geometry);
    return b;
}

QString onOff(bool on) { return on ? QStringLiteral("On") : QStringLiteral("Off"); }

QTreeWidgetItem* makeItem(const ListRow& row) {
    auto* item = new QTreeWidgetItem;
    for (int c = 0; c < kColumnCount; ++c) {
        item->setText(c, row.text[c]);
        if (listColumns()[c].rightAligned) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    return item;
}

// The list: a click on empty space is a click on the list too, but the view
// tells nobody (itemClicked is for rows). The selection is cleared while the
// release is handled, so the callback comes after it.
class RowList final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<void()> clickedBesideRows;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool beside = event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid();
        QTreeWidget::mouseReleaseEvent(event);
        if (beside && clickedBesideRows) clickedBesideRows();
    }
};

// Workers that read sizes: one core is left to the window, and two are
// plenty to keep ahead of the list.
int sizeReaders() { return std::clamp(QThread::idealThreadCount() - 1, 1, 2); }

}  // namespace

SlideshowEditor::SlideshowEditor(Controller& controller, Platform& platform)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
      controller_(controller),
      platform_(platform),
      sizeReader_(sizeReaders()) {
    setWindowTitle(QStringLiteral("Vivivoz - Slideshow"));
    setFixedSize(kClientSize);
    setAcceptDrops(true);

    auto* rowList = new RowList(this);
    // A click beside the rows, which clears the selection, previews too.
    rowList->clickedBesideRows = [this] { showSelected(); };
    list = rowList;
    list->setGeometry(8, 8, 712, 520);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);  // one line of text each: no row is measured on its own
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setAcceptDrops(false);  // drops go to the window
    list->setColumnCount(kColumnCount);
    QStringList headers;
    for (const ColumnInfo& c : listColumns()) headers << QString::fromUtf8(c.header);
    list->setHeaderLabels(headers);
    // The columns keep their widths unless a header needs more in the font
    // in use; the empty list has nothing to scroll sideways.
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 0; c < kColumnCount; ++c) {
        const int headerWidth = list->fontMetrics().horizontalAdvance(headers[c]) + 2 * kHeaderPadding;
        list->setColumnWidth(c, std::max(listColumns()[c].width, headerWidth));
        // A right-aligned header would run into the next one's text: it is
        // centred over its right-aligned numbers.
        if (listColumns()[c].rightAligned) list->headerItem()->setTextAlignment(c, Qt::AlignHCenter | Qt::AlignVCenter);
    }
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(false);
    connect(list->header(), &QHeaderView::sectionClicked, this, &SlideshowEditor::sortByColumn);
    connect(list, &QTreeWidget::itemClicked, this, [this] { showSelected(); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { showSelected(); });
    list->installEventFilter(this);

    addButton = makeButton(this, "Add Images", {8, 540, 110, 32});
    removeButton = makeButton(this, "Remove Image", {124, 540, 110, 32});
    saveSlideshowButton = makeButton(this, "Save Slideshow", {240, 540, 110, 32});
    openProjectButton = makeButton(this, "Open Project", {356, 540, 110, 32});
    saveProjectButton = makeButton(this, "Save Project", {472, 540, 110, 32});
    clearButton = makeButton(this, "Clear All", {588, 540, 110, 32});
    closeButton = makeButton(this, "Close", {858, 540, 110, 32});
    readProgress = new QProgressBar(this);
    readProgress->setGeometry(706, 545, 144, 22);
    readProgress->setTextVisible(false);
    readProgress->hide();
    connect(&sizeReader_, &PictureSizeReader::sizesRead, this, &SlideshowEditor::showSizes);
    listTimer_.setSingleShot(true);
    listTimer_.setInterval(0);
    connect(&listTimer_, &QTimer::timeout, this, &SlideshowEditor::listSlice);

    previewBox = new QGroupBox(QStringLiteral(" Preview "), this);
    previewBox->setGeometry(728, 8, 240, 430);
    preview = new QLabel(previewBox);
    preview->setGeometry(15, 22, 209, 209);
    preview->setAlignment(Qt::AlignCenter);
    counter = new QLabel(QStringLiteral("0/0"), previewBox);
    counter->setGeometry(15, 236, 209, 20);
    counter->setAlignment(Qt::AlignCenter);
    playButton = new GlyphButton(previewBox);
    playButton->setGeometry(15, 262, 40, 28);
    playButton->setGlyph(glyphs::run());
    auto* loopLabel = new QLabel(QStringLiteral("Loop"), previewBox);
    loopLabel->setGeometry(15, 300, 120, 20);
    loopBox = new OnOffCheckBox(QStringLiteral("On"), previewBox);
    loopBox->setCheckable(true);
    loopBox->setChecked(true);
    loopBox->setGeometry(175, 300, 50, 20);
    auto* durationLabel = new QLabel(QStringLiteral("Slide duration (S)"), previewBox);
    durationLabel->setGeometry(15, 330, 130, 22);
    durationEdit = new SpinEdit(1, 300, previewBox);
    durationEdit->setValue(5);
    durationEdit->setGeometry(175, 330, 50, 22);
    auto* monitorLabel = new QLabel(QStringLiteral("Show on secondary sonitor"), previewBox);
    monitorLabel->setGeometry(15, 362, 160, 20);
    monitorBox = new OnOffCheckBox(QStringLiteral("Of"), previewBox);
    monitorBox->setCheckable(true);
    monitorBox->setChecked(true);
    monitorBox->setGeometry(175, 362, 50, 20);

    upButton = new QToolButton(this);
    upButton->setArrowType(Qt::UpArrow);
    upButton->setGeometry(736, 448, 36, 30);
    downButton = new QToolButton(this);
    downButton->setArrowType(Qt::DownArrow);
    downButton->setGeometry(778, 448, 36, 30);
    sendButton = makeButton(this, "Send ", {858, 448, 110, 30});
    fitButtonRow({addButton, removeButton, saveSlideshowButton, openProjectButton, saveProjectButton, clearButton});
    fitOptionRows({{loopLabel, loopBox}, {durationLabel, durationEdit}, {monitorLabel, monitorBox}});

    connect(addButton, &QPushButton::clicked, this, &SlideshowEditor::addImages);
    connect(removeButton, &QPushButton::clicked, this, &SlideshowEditor::removeImages);
    connect(clearButton, &QPushButton::clicked, this, &SlideshowEditor::clearAll);
    connect(saveSlideshowButton, &QPushButton::clicked, this, &SlideshowEditor::saveSlideshow);
    connect(saveProjectButton, &QPushButton::clicked, this, &SlideshowEditor::saveProject);
    connect(openProjectButton, &QPushButton::clicked, this, &SlideshowEditor::openProject);
    connect(upButton, &QToolButton::clicked, this, &SlideshowEditor::moveUp);
    connect(downButton, &QToolButton::clicked, this, &SlideshowEditor::moveDown);
    connect(sendButton, &QPushButton::clicked, this, &SlideshowEditor::send);
    connect(playButton, &GlyphButton::clicked, this, &SlideshowEditor::togglePlay);
    connect(closeButton, &QPushButton::clicked, this, [this] {
        controller_.requestEditorStop();
        close();
    });
    connect(loopBox, &OnOffCheckBox::clicked, this, [this](bool on) { loopBox->setText(onOff(on)); });
    connect(monitorBox, &OnOffCheckBox::clicked, this, [this](bool on) {
        monitorBox->setText(onOff(on));
        if (!on) controller_.clearOutput();
    });

    glyphTimer.setInterval(250);
    connect(&glyphTimer, &QTimer::timeout, this, &SlideshowEditor::refreshPlayGlyph);

    // The editor's player reads these controls while it plays.
    SlideshowPlayback& playback = controller_.slideshowPlayback();
    playback.editorSeconds = [this] { return durationEdit->value(); };
    playback.editorLoop = [this] { return loopBox->isChecked(); };
    playback.editorOutputFed = [this] { return monitorBox->isChecked(); };
    connect(&playback, &SlideshowPlayback::editorCounter, counter, &QLabel::setText);
    connect(&playback, &SlideshowPlayback::editorEntryShown, this, &SlideshowEditor::followPlayedRow);
    connect(&playback, &SlideshowPlayback::editorPreview, this, &SlideshowEditor::showPreviewPicture);
}

SlideshowEditor::~SlideshowEditor() {
    SlideshowPlayback& playback = controller_.slideshowPlayback();
    playback.stopAll();
    playback.editorSeconds = [] { return 5; };
    playback.editorLoop = [] { return false; };
    playback.editorOutputFed = [] { return true; };
}

void SlideshowEditor::bringUp() {
    const QRect screen = controller_.screens().desk().logicalPrimary();
    if (!isVisible() && !screen.isEmpty()) move(screen.center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    activateWindow();
    // A fresh session of editing: nothing to save yet, the source is the
    // slideshow, the play button shows "run".
    listChanged_ = false;
    projectMode_ = false;
    controller_.slideshowEditorActivated();
    glyphTimer.start();
    refreshPlayGlyph();
}

void SlideshowEditor::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        controller_.slideshowEditorActivated();
        refreshPlayGlyph();
    }
}

// --- the list ------------------------------------------------------------------

quint64 SlideshowEditor::beginGroup() {
    const quint64 id = ++lastGroup_;
    groups_[id] = AddGroup{};
    return id;
}

void SlideshowEditor::queueFile(const QString& path, bool opening, quint64 group) {
    toList_.push_back(QueuedFile{path, opening, group, false});
    if (!listTimer_.isActive()) listTimer_.start();
}

void SlideshowEditor::closeGroup(quint64 group) {
    if (!toList_.empty() && toList_.back().group == group)
        toList_.back().last = true;
    else
        endGroup(group);
}

void SlideshowEditor::endGroup(quint64 group) {
    if (auto it = groups_.find(group); it != groups_.end()) it->second.listing = false;
}

void SlideshowEditor::listSlice() {
    for (int n = 0; n < kListSlice && !toList_.empty(); ++n) {
        const QueuedFile file = std::move(toList_.front());
        toList_.pop_front();
        addFile(file.path, file.opening, file.group);
        if (file.last) endGroup(file.group);
    }
    appendItems();
    if (toList_.empty())
        listTimer_.stop();
    else if (!listTimer_.isActive())
        listTimer_.start();
    showReadProgress();
    finishGroups();
}

void SlideshowEditor::dropQueuedFiles() {
    for (const QueuedFile& file : toList_)
        if (file.last) endGroup(file.group);
    toList_.clear();
    listTimer_.stop();
}

void SlideshowEditor::addFile(const QString& path, bool opening, quint64 group) {
    const FileKind kind = fileKindOf(path);
    if (!isListableKind(kind) || QFileInfo(path).isDir()) return;
    if (holdsLineBreak(path)) {
        AddGroup& g = groups_[group];
        g.errors.append({g.nextOrder++, lineBreakInNameMessage(path)});
        return;
    }
    if (!opening && isListed(rows_, path)) return;
    ListRow row = makeRow(path, mime_);
    if (isPictureKind(kind)) {
        AddGroup& g = groups_[group];
        row.sizeTicket = sizeReader_.read(path);
        pendingReads_.insert(row.sizeTicket, PendingRead{group, g.nextOrder++});
        ++g.remaining;
        ++readsStarted_;
    }
    rows_.push_back(std::move(row));
}

void SlideshowEditor::addFiles(const QStringList& paths) {
    const quint64 group = beginGroup();
    for (const QString& path : paths) queueFile(path, false, group);
    closeGroup(group);
    listSlice();
}

void SlideshowEditor::showSizes(const QList<PictureSizeReader::Result>& results) {
    QHash<quint64, size_t> rowOf;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].sizeTicket) rowOf.insert(rows_[i].sizeTicket, i);
    for (const PictureSizeReader::Result& result : results) {
        const auto pending = pendingReads_.constFind(result.ticket);
        if (pending == pendingReads_.cend()) continue;  // its row is gone
        const PendingRead read = *pending;
        pendingReads_.erase(pending);
        AddGroup& group = groups_[read.group];
        --group.remaining;
        if (!result.picture.ok()) group.errors.append({read.order, result.picture.error});
        const auto row = rowOf.constFind(result.ticket);
        if (row == rowOf.cend()) continue;
        ListRow& listed = rows_[*row];
        listed.sizeTicket = 0;
        if (!result.picture.ok()) continue;
        listed.text[DimensionsColumn] = dimensionsText(result.picture.fullSize);
        // Items not made yet take the text when they are.
        if (QTreeWidgetItem* item = list->topLevelItem(int(*row)))
            item->setText(DimensionsColumn, listed.text[DimensionsColumn]);
    }
    showReadProgress();
    finishGroups();
    emit sizesShown();
}

void SlideshowEditor::cancelRead(quint64 ticket) {
    if (!ticket) return;
    sizeReader_.cancel(ticket);
    const auto pending = pendingReads_.constFind(ticket);
    if (pending == pendingReads_.cend()) return;
    if (auto group = groups_.find(pending->group); group != groups_.end()) --group->second.remaining;
    pendingReads_.erase(pending);
}

void SlideshowEditor::cancelReads(size_t from, size_t to) {
    for (size_t i = from; i < to && i < rows_.size(); ++i) cancelRead(std::exchange(rows_[i].sizeTicket, 0));
}

void SlideshowEditor::finishGroups() {
    QStringList messages;
    for (auto it = groups_.begin(); it != groups_.end();) {
        AddGroup& group = it->second;
        if (group.listing || group.remaining > 0) {
            ++it;
            continue;
        }
        std::sort(group.errors.begin(), group.errors.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList texts;
        for (const auto& error : group.errors) texts << error.second;
        if (!texts.isEmpty()) messages << texts.join(QLatin1Char('\n'));
        it = groups_.erase(it);
    }
    // Every chosen file is listed; the pictures that could not be read are
    // named together once the whole choice is in. Nobody is told once the
    // window is closed.
    if (!isVisible()) return;
    for (const QString& message : messages) say(kCaption, message, Prompter::Icon::Error);
}

void SlideshowEditor::showReadProgress() {
    if (pendingReads_.isEmpty() && toList_.empty()) {
        readsStarted_ = 0;
        readProgress->hide();
        return;
    }
    // Files still to be listed count as reads to come.
    const int total = readsStarted_ + int(toList_.size());
    // setValue repaints the bar at once; with updates off it waits for the
    // window's next paint like everything else.
    readProgress->setUpdatesEnabled(false);
    readProgress->setRange(0, total);
    readProgress->setValue(total - readsPending());
    readProgress->setUpdatesEnabled(true);
    readProgress->update();
    readProgress->show();
}

void SlideshowEditor::appendItems() {
    QList<QTreeWidgetItem*> items;
    for (size_t i = size_t(list->topLevelItemCount()); i < rows_.size(); ++i) items << makeItem(rows_[i]);
    list->addTopLevelItems(items);
    list->setHorizontalScrollBarPolicy(rows_.empty() ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

void SlideshowEditor::followPlayedRow(int row) {
    if (row < 0 || row >= list->topLevelItemCount()) return;
    selectRows({row});
    list->scrollToItem(list->topLevelItem(row));
}

void SlideshowEditor::fitButtonRow(const QList<QPushButton*>& row) {
    // Each button as wide as its caption needs (at least as laid out), side
    // by side; the progress bar and what lies right of it move along.
    const int gap = row[1]->x() - row[0]->geometry().right() - 1;
    int x = row[0]->x();
    for (QPushButton* b : row) {
        b->setGeometry(x, b->y(), std::max(b->width(), b->sizeHint().width()), b->height());
        x = b->geometry().right() + 1 + gap;
    }
    const int grow = x + 2 - readProgress->x();
    if (grow <= 0) return;
    readProgress->move(readProgress->x() + grow, readProgress->y());
    growRightColumn(grow);
}

void SlideshowEditor::growRightColumn(int grow) {
    previewBox->move(previewBox->x() + grow, previewBox->y());
    for (QWidget* w : std::initializer_list<QWidget*>{upButton, downButton, sendButton, closeButton})
        w->move(w->x() + grow, w->y());
    setFixedSize(width() + grow, height());
}

void SlideshowEditor::fitOptionRows(const QList<QPair<QLabel*, QWidget*>>& rows) {
    // Each label as wide as its caption needs, each control as its contents
    // need (at least as laid out); the box, and the window with it, grow
    // where the two no longer fit side by side.
    int labelWidth = 0, controlWidth = 0;
    for (const auto& [label, control] : rows) {
        labelWidth = std::max(labelWidth, label->sizeHint().width());
        controlWidth = std::max({controlWidth, control->width(), control->sizeHint().width()});
    }
    const int boxWidth = std::max(previewBox->width(), 2 * kBoxMargin + labelWidth + kOptionGap + controlWidth);
    const int grow = boxWidth - previewBox->width();
    const int controlX = boxWidth - kBoxMargin - controlWidth;
    for (const auto& [label, control] : rows) {
        const int height = std::max(label->height(), label->sizeHint().height());
        label->setGeometry(kBoxMargin, label->y(), controlX - kOptionGap - kBoxMargin, height);
        control->setGeometry(controlX, control->y(), controlWidth,
                             std::max(control->height(), control->sizeHint().height()));
    }
    if (grow <= 0) return;
    previewBox->resize(boxWidth, previewBox->height());
    for (QWidget* w : std::initializer_list<QWidget*>{preview, counter}) w->move(w->x() + grow / 2, w->y());
    for (QWidget* w : std::initializer_list<QWidget*>{upButton, downButton, sendButton, closeButton})
        w->move(w->x() + grow, w->y());
    setFixedSize(width() + grow, height());
}

void SlideshowEditor::refreshList() {
    const QList<int> keep = selectedRows();
    list->clear();
    appendItems();
    selectRows(keep);
}

QList<int> SlideshowEditor::selectedRows() const {
    QList<int> rows;
    for (QTreeWidgetItem* item : list->selectedItems()) rows << list->indexOfTopLevelItem(item);
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SlideshowEditor::selectRows(const QList<int>& rows) {
    list->clearSelection();
    for (int r : rows)
        if (QTreeWidgetItem* item = list->topLevelItem(r)) item->setSelected(true);
    if (!rows.isEmpty())
        if (QTreeWidgetItem* item = list->topLevelItem(rows.first()))
            list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
}

void SlideshowEditor::showCounter() {
    const QList<int> sel = selectedRows();
    if (!sel.isEmpty()) counter->setText(counterText(sel.first() + 1, int(rows_.size())));
}

// --- buttons -------------------------------------------------------------------

void SlideshowEditor::addImages() {
    const QStringList paths = platform_.prompter->chooseOpenFiles(kAddFilter);
    addFiles(paths);
    listChanged_ = true;
    showCounter();
}

void SlideshowEditor::removeImages() {
    const QList<int> sel = selectedRows();
    for (auto it = sel.rbegin(); it != sel.rend(); ++it) {
        cancelReads(size_t(*it), size_t(*it) + 1);
        rows_.erase(rows_.begin() + *it);
    }
    list->clearSelection();
    refreshList();
    showReadProgress();
    finishGroups();
    showSelected();
    listChanged_ = true;
    showCounter();
}

void SlideshowEditor::clearAll() {
    if (rows_.empty()) return;
    Prompter& prompter = *platform_.prompter;
    prompter.beep(Prompter::Icon::Warning);
    const auto answer = prompter.ask(kCaption, QStringLiteral("All images will be deleted. OK? "),
                                     Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
    if (answer == Prompter::Answer::No) return;
    dropQueuedFiles();
    cancelReads(0, rows_.size());
    rows_.clear();
    refreshList();
    showReadProgress();
    finishGroups();
    listChanged_ = true;
    counter->setText(emptyCounterText());
}

void SlideshowEditor::moveUp() { moveSelected(moveRowUp); }

void SlideshowEditor::moveDown() { moveSelected(moveRowDown); }

void SlideshowEditor::moveSelected(int (*move)(std::vector<ListRow>&, int)) {
    const QList<int> sel = selectedRows();
    if (sel.isEmpty()) return;
    const int to = move(rows_, sel.first());
    list->clearSelection();
    refreshList();
    selectRows({to});
}

void SlideshowEditor::sortByColumn(int column) {
    sortDescending_ = !sortDescending_;
    sortRows(rows_, column, sortDescending_);
    list->clearSelection();
    refreshList();
}

void SlideshowEditor::showSelected() { previewRow(monitorBox->isChecked()); }

void SlideshowEditor::send() {
    // While the box is checked the preview has already sent the picture.
    if (monitorBox->isChecked()) return;
    previewRow(true);
}

void SlideshowEditor::previewRow(bool toOutput) {
    controller_.requestEditorStop();
    preview->clear();
    const QList<int> sel = selectedRows();
    if (sel.size() != 1) return;
    showCounter();
    const QString path = rows_[size_t(sel.first())].fullPath();
    if (!isPictureKind(fileKindOf(path))) return;
    const DecodedPicture picture = decodePictureFile(path, controller_.outputPictureBound());
    if (!picture.ok()) {
        say(kCaption, picture.error, Prompter::Icon::Error);
        return;
    }
    showPreviewPicture(picture.image);
    if (toOutput && controller_.isShown(View::Output)) {
        controller_.showTransitionSurface();
        std::uniform_int_distribution<int> style(0, SlideshowPlayer::kHighestStyle);
        controller_.transitionOutputTo(picture.image, style(random_));
    }
}

void SlideshowEditor::showPreviewPicture(const QImage& picture) {
    const QSize size = previewSize(picture.size());
    if (size.isEmpty()) {
        preview->clear();
        return;
    }
    preview->setPixmap(QPixmap::fromImage(picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void SlideshowEditor::togglePlay() {
    glyphTimer.start();
    QStringList paths;
    for (const ListRow& row : rows_) paths << row.fullPath();
    controller_.toggleEditorPlayback(paths);
    refreshPlayGlyph();
}

void SlideshowEditor::refreshPlayGlyph() {
    const bool playing = controller_.slideshowPlayback().editorPlaying() && !controller_.editorStopRequested();
    if (playing == showsStop_) return;
    showsStop_ = playing;
    playButton->setGlyph(playing ? glyphs::stop() : glyphs::run());
}

// --- files ---------------------------------------------------------------------

SlideshowContent SlideshowEditor::content() const {
    SlideshowContent c;
    c.loop = loopBox->isChecked();
    c.durationSeconds = durationEdit->value();
    for (const ListRow& row : rows_) c.paths << row.fullPath();
    return c;
}

bool SlideshowEditor::writeFile(const QString& filter, const QString& suffix, bool confirmOverwrite,
                                const QByteArray& bytes) {
    const QString path = platform_.prompter->chooseSaveFile(filter, suffix, confirmOverwrite);
    if (path.isEmpty()) return false;
    QString error;
    if (!writeWholeFile(path, bytes, &error)) {
        say(kCaption, error, Prompter::Icon::Error);
        return false;
    }
    return true;
}

void SlideshowEditor::saveProject() {
    if (rows_.empty()) return;
    if (!writeFile(kSaveProjectFilter, QStringLiteral("mef"), true, projectFileBytes(content()))) return;
    projectMode_ = true;
    listChanged_ = false;
}

void SlideshowEditor::saveSlideshow() {
    if (rows_.empty()) return;
    if (!writeFile(kSlideshowFilter, QStringLiteral("vsl"), false, slideshowFileBytes(content()))) return;
    projectMode_ = false;
    listChanged_ = false;
}

void SlideshowEditor::openProject() {
    Prompter& prompter = *platform_.prompter;
    const QString path = prompter.chooseOpenFile(kOpenProjectFilter, QStringLiteral("mef"));
    if (path.isEmpty()) return;
    projectMode_ = true;
    dropQueuedFiles();
    cancelReads(0, rows_.size());
    rows_.clear();
    list->clearSelection();
    refreshList();
    showReadProgress();
    finishGroups();
    QString error;
    const std::optional<QByteArray> bytes = readWholeFile(path, &error);
    const std::optional<SlideshowContent> project = bytes ? parseProjectFile(*bytes, &error) : std::nullopt;
    if (!project) {
        say(kCaption, error, Prompter::Icon::Error);
        return;
    }
    loopBox->setChecked(project->loop);
    loopBox->setText(onOff(project->loop));
    durationEdit->setValue(project->durationSeconds);
    // The files are listed from the event loop in slices while the messages
    // about missing ones are open.
    const quint64 group = beginGroup();
    for (const QString& file : project->paths) {
        if (QFileInfo::exists(file))
            queueFile(file, true, group);
        else
            say(QStringLiteral("Zeriz Oduruve"), QStringLiteral("File does not exist ") + file,
                Prompter::Icon::Warning);
    }
    closeGroup(group);
    listSlice();
    showSelected();
}

void SlideshowEditor::say(const QString& caption, const QString& text, Prompter::Icon icon) {
    Prompter& prompter = *platform_.prompter;
    prompter.beep(icon);
    prompter.ask(caption, text, Prompter::Buttons::Ok, icon, Prompter::Answer::Ok);
}

// --- window --------------------------------------------------------------------

void SlideshowEditor::closeEvent(QCloseEvent* event) {
    if (closing_) {
        QWidget::closeEvent(event);
        return;
    }
    closing_ = true;
    if (listChanged_) {
        Prompter& prompter = *platform_.prompter;
        prompter.beep(Prompter::Icon::Question);
        const auto answer = prompter.ask(kCaption, QStringLiteral("Do you want to save changes ?"),
                                         Prompter::Buttons::YesNo, Prompter::Icon::Question, Prompter::Answer::Yes);
        if (answer == Prompter::Answer::Yes) {
            if (projectMode_)
                saveProject();
            else
                saveSlideshow();
        }
        listChanged_ = false;
    }
    controller_.showPictureSurface();
    controller_.closeSlideshowEditor();
    glyphTimer.stop();
    closing_ = false;
    QWidget::closeEvent(event);
}

bool SlideshowEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list && event->type() == QEvent::KeyRelease) showSelected();
    return QWidget::eventFilter(watched, event);
}

void SlideshowEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void SlideshowEditor::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    addFiles(paths);
}

}  // namespace vz
