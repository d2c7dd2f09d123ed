#include "ui/picker/window_picker.h"

#include "core/scaling/desk_geometry.h"

#include "ui/widgets/glyph_button.h"
#include "ui/widgets/look.h"
#include "ui/widgets/stacking.h"
#include "ui/widgets/ui_font.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace vz {

namespace {

const QColor kBackground(243, 243, 243);
const QColor kBar = look::kPanel;
const QColor kSeparator(228, 228, 228);
constexpr int kWidth = 384;
constexpr int kHeight = 546;
constexpr int kEntryHeight = 150;

const QString kHelpCaption = QStringLiteral("ReroRadiza");
const QString kHelpText = QStringLiteral(
    "If image is not available\n---------------------------\n\nPossible reasons:\n\n"
    " - Protection against screenshots is enabled\n - Application is minimized\n"
    " - Hardware incompatibility\n - Window capture is blocked in BIOS settings\n\n\n\n");

void paintBackground(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
}

QWidget* band(QWidget* parent, int height, const QColor& colour) {
    auto* w = new QWidget(parent);
    w->setFixedHeight(height);
    paintBackground(w, colour);
    return w;
}

QPixmap helpGlyph() {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawEllipse(QRectF(1.5, 1.5, 15, 15));
    p.setFont(uiFont(9, true));
    p.drawText(QRect(0, 0, 18, 18), Qt::AlignCenter, QStringLiteral("i"));
    return pixmap;
}

// The thumbnail, centred in its area (cut where the area is smaller); a
// click chooses the window.
class ThumbnailView : public QWidget {
public:
    ThumbnailView(const QImage& thumbnail, std::function<void()> onClick, QWidget* parent)
        : QWidget(parent), thumbnail_(thumbnail), onClick_(std::move(onClick)) {
        setCursor(Qt::PointingHandCursor);
        paintBackground(this, Qt::white);
    }
    void setThumbnail(const QImage& thumbnail) {
        thumbnail_ = thumbnail;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPoint at((width() - thumbnail_.width()) / 2, (height() - thumbnail_.height()) / 2);
        p.drawImage(at, thumbnail_);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) onClick_();
    }

private:
    QImage thumbnail_;
    std::function<void()> onClick_;
};

// The program's path: centred, left-aligned when the row is too narrow.
class PathRow : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void resizeEvent(QResizeEvent* e) override {
        QLabel::resizeEvent(e);
        const int textWidth = fontMetrics().horizontalAdvance(text());
        setAlignment((picker::pathLeftAligned(width(), textWidth) ? Qt::AlignLeft : Qt::AlignHCenter) |
                     Qt::AlignVCenter);
    }
};

}  // namespace

WindowPicker::WindowPicker(Controller& controller, Platform& platform, picker::WindowThumbnails::Mode mode,
                           QWidget* parent)
    : QDialog(parent), controller_(controller), platform_(platform) {
    setObjectName(QStringLiteral("WindowPicker"));
    setWindowTitle(QStringLiteral("Vivivoz"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    setFixedSize(kWidth, kHeight);
    paintBackground(this, kBackground);
    // Dark text on the picker's light list and header.
    QPalette dark = palette();
    dark.setColor(QPalette::WindowText, Qt::black);
    setPalette(dark);
    stacking::yieldToDialogs(this);

    thumbnails_ = std::make_unique<picker::WindowThumbnails>(mode, platform.openWindows, platform.windows.get(),
                                                             QCoreApplication::applicationPid());
    connect(thumbnails_.get(), &picker::WindowThumbnails::entriesReady, this, &WindowPicker::takeEntries);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    header = new QLabel(QStringLiteral("  Select window to display"), this);
    header->setFixedHeight(20);
    header->setFont(uiFont(9));
    header->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(header);

    listArea = new QScrollArea(this);
    listArea->setFrameShape(QFrame::NoFrame);
    listArea->setWidgetResizable(true);
    listArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    paintBackground(listArea, Qt::white);
    paintBackground(listArea->viewport(), Qt::white);
    layout->addWidget(listArea, 1);

    QWidget* bottom = band(this, 41, kBar);
    auto* buttons = new QHBoxLayout(bottom);
    buttons->setContentsMargins(8, 6, 8, 6);
    helpButton = new GlyphButton(bottom);
    helpButton->setGlyph(helpGlyph());
    helpButton->setFaceColor(kBar);
    helpButton->setFixedSize(29, 29);
    closeButton = new GlyphButton(bottom);
    // A button's own face, so that it reads as one on the bar.
    closeButton->setText(QStringLiteral("Close"));
    closeButton->setMinimumSize(std::max(75, closeButton->sizeHint().width()), 29);
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addWidget(bottom);

    connect(helpButton, &QAbstractButton::clicked, this, &WindowPicker::showHelp);
    connect(closeButton, &QAbstractButton::clicked, this, &QDialog::reject);
}

WindowPicker::~WindowPicker() = default;

QList<QWidget*> WindowPicker::entryWidgets() const {
    QList<QWidget*> entries;
    if (!list_) return entries;
    for (int i = 0; i < listLayout_->count(); ++i)
        if (QWidget* w = listLayout_->itemAt(i)->widget()) entries << w;
    return entries;
}

void WindowPicker::centreOnFirstMonitor() { move(desk::centredOnPrimary(controller_.screens().desk(), size())); }

void WindowPicker::rebuild() {
    raise();
    centreOnFirstMonitor();
    controller_.setSelectedWindow(0);
    deactivatedSinceRebuild_ = false;
    complete_ = false;
    entryCount_ = 0;
    thumbnailViews_.clear();
    // A new list widget: the scroll area deletes the old one with every
    // entry in it. Entries of an older list still being made are never
    // handed over.
    list_ = new QWidget;
    paintBackground(list_, Qt::white);
    listLayout_ = new QVBoxLayout(list_);
    listLayout_->setContentsMargins(0, 0, 0, 0);
    listLayout_->setSpacing(0);
    listLayout_->addStretch(1);
    listArea->setWidget(list_);
    thumbnails_->rebuild();
}

void WindowPicker::takeEntries() {
    std::vector<picker::Entry> entries;
    bool finished = false;
    thumbnails_->take(entries, finished);
    if (!list_) return;
    for (const picker::Entry& e : entries) addEntry(e);
    complete_ = finished;
}

void WindowPicker::addEntry(const picker::Entry& e) {
    // A window's entry that comes again brings a picture taken after the
    // window was redrawn: it replaces the first one.
    if (QWidget* shown = thumbnailViews_.value(e.id)) {
        static_cast<ThumbnailView*>(shown)->setThumbnail(e.thumbnail);
        return;
    }
    const int n = entryCount_++;
    auto* entry = new QWidget(list_);
    entry->setObjectName(QStringLiteral("entry%1").arg(n));
    entry->setProperty("windowId", QVariant::fromValue<quint64>(e.id));
    entry->setFixedHeight(kEntryHeight);
    paintBackground(entry, Qt::white);
    auto* column = new QVBoxLayout(entry);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(band(entry, 1, kSeparator));

    auto* title = new QLabel(picker::titleBarText(e.title), entry);
    title->setObjectName(QStringLiteral("title"));
    title->setFixedHeight(13);
    title->setFont(uiFont(7, true));
    title->setToolTip(e.title);
    title->setAlignment((picker::titleLeftAligned(e.title) ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
    paintBackground(title, kBar);
    QPalette tp = title->palette();
    tp.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(tp);
    column->addWidget(title);

    auto* path = new PathRow(e.programPath, entry);
    path->setObjectName(QStringLiteral("path"));
    path->setFixedHeight(18);
    path->setFont(uiFont(8));
    paintBackground(path, Qt::white);
    QPalette pp = path->palette();
    pp.setColor(QPalette::WindowText, kBar);
    path->setPalette(pp);
    column->addWidget(path);

    const WindowId id = e.id;
    auto* picture = new ThumbnailView(
        e.thumbnail, [this, id] { choose(id); }, entry);
    picture->setObjectName(QStringLiteral("thumbnail"));
    thumbnailViews_.insert(id, picture);
    column->addWidget(picture, 1);
    column->addWidget(band(entry, 8, Qt::white));

    // Before the stretch that keeps the entries at the top.
    listLayout_->insertWidget(listLayout_->count() - 1, entry);
}

void WindowPicker::choose(WindowId window) {
    controller_.chooseWindow(window);
    thumbnails_->stop();
    reject();
}

void WindowPicker::showHelp() {
    Prompter& prompter = *platform_.prompter;
    prompter.beep(Prompter::Icon::Information);
    prompter.ask(kHelpCaption, kHelpText, Prompter::Buttons::Ok, Prompter::Icon::Information, Prompter::Answer::Ok);
    // The help button ends a modal picker (with OK); a modeless one stays.
    if (isModal() && isVisible()) accept();
}

bool WindowPicker::event(QEvent* event) {
    // Every return to the picker from another window makes the list again.
    if (event->type() == QEvent::WindowDeactivate) deactivatedSinceRebuild_ = true;
    if (event->type() == QEvent::WindowActivate && deactivatedSinceRebuild_ && isVisible()) rebuild();
    if (event->type() == QEvent::Hide) thumbnails_->stop();
    return QDialog::event(event);
}

void WindowPicker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    rebuild();
}

void WindowPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace vz
