#include "ui/scrolltext/scroll_text_dialog.h"

#include "core/scaling/desk_geometry.h"

#include "core/scrolltext/custom_colours.h"
#include "core/scrolltext/scroll_text_look.h"
#include "ui/widgets/background.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/scroll_band.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/track_bar.h"
#include "ui/widgets/ui_font.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace vz {

namespace {

using namespace scrolltext;

const QString kCaption = QStringLiteral("Vivivoz - Scrolling text");
const QString kFileFilter = QStringLiteral("Scroll Text File (.sct) (*.sct)");
constexpr int kClientWidth = 620;
constexpr int kClientHeight = 514;
constexpr int kDialogColour = 7891045;
constexpr int kPreviewWidth = 601;
constexpr int kPreviewLeft = 4;

// A white outline glyph drawn in code.
QPixmap glyph(QSize size, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.6));
    draw(p);
    return pixmap;
}

QPixmap threeCircles() {
    return glyph({20, 18}, [](QPainter& p) {
        p.drawEllipse(QRectF(1, 8, 8, 8));
        p.drawEllipse(QRectF(11, 8, 8, 8));
        p.drawEllipse(QRectF(6, 1, 8, 8));
    });
}

QPixmap circlingArrows() {
    return glyph({20, 20}, [](QPainter& p) {
        p.drawArc(QRectF(3, 3, 14, 14), 30 * 16, 150 * 16);
        p.drawArc(QRectF(3, 3, 14, 14), 210 * 16, 150 * 16);
        p.drawLine(QPointF(16, 3), QPointF(16.5, 7.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(12, 7));
        p.drawLine(QPointF(4, 17), QPointF(3.5, 12.5));
        p.drawLine(QPointF(3.5, 12.5), QPointF(8, 13));
    });
}

QPixmap letterWithMark(bool up) {
    return glyph({24, 22}, [up](QPainter& p) {
        QFont f = uiFont(up ? 13 : 8, true);
        p.setFont(f);
        p.drawText(QRectF(0, up ? 1 : 6, 16, 20), Qt::AlignCenter, QStringLiteral("A"));
        if (up)
            p.drawPolyline(QPolygonF({QPointF(17, 9), QPointF(20, 5), QPointF(23, 9)}));
        else
            p.drawPolyline(QPolygonF({QPointF(17, 13), QPointF(20, 17), QPointF(23, 13)}));
    });
}

QPixmap diskette() {
    return glyph({20, 20}, [](QPainter& p) {
        p.drawRect(QRectF(2, 2, 16, 16));
        p.drawRect(QRectF(6, 2, 8, 5));
        p.drawRect(QRectF(5, 11, 10, 7));
    });
}

QPixmap openFolder() {
    return glyph({22, 20}, [](QPainter& p) {
        p.drawPolyline(
            QPolygonF({QPointF(2, 17), QPointF(2, 4), QPointF(8, 4), QPointF(10, 6), QPointF(17, 6), QPointF(17, 9)}));
        p.drawPolygon(QPolygonF({QPointF(2, 17), QPointF(6, 9), QPointF(21, 9), QPointF(17, 17)}));
    });
}

QLabel* label(QWidget* parent, const QString& text, const QRect& at) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    l->setStyleSheet(QStringLiteral("color: white;"));
    return l;
}

GlyphButton* button(QWidget* parent, const QRect& at, const QString& caption, const QPixmap& picture = {},
                    const QString& hint = {}) {
    auto* b = new GlyphButton(parent);
    b->setGeometry(at);
    if (!picture.isNull())
        b->setGlyph(picture);
    else
        b->setText(caption);
    b->setToolTip(hint);
    return b;
}

}  // namespace

ScrollTextDialog::ScrollTextDialog(Controller& controller, Platform& platform)
    : QWidget(nullptr, Qt::Dialog), controller_(controller), platform_(platform) {
    setWindowTitle(kCaption);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(uiFont());
    fillBackground(this, colourFromValue(kDialogColour));
    buildControls();
}

ScrollTextDialog::~ScrollTextDialog() = default;

void ScrollTextDialog::buildControls() {
    label(this, QStringLiteral("Preview"), QRect(8, 4, 200, 16));
    previewPanel = new QWidget(this);
    previewPanel->setGeometry(5, 22, 609, 178);
    fillBackground(previewPanel, colourFromValue(look_.panelColour));

    bannerPreview = new ScrollBand(platform_, previewPanel);
    panelCorner = new QWidget(previewPanel);
    panelCorner->setGeometry(609 - 30, 2, 28, 24);
    fillBackground(panelCorner, colourFromValue(look_.panelColour));
    panelColourButton = button(panelCorner, QRect(1, 1, 26, 22), {}, threeCircles());
    panelColourButton->setFaceColor(colourFromValue(look_.panelColour));

    auto* group = new QGroupBox(QStringLiteral(" Enter Your Text  "), this);
    group->setGeometry(8, 206, 604, 62);
    group->setStyleSheet(QStringLiteral("QGroupBox { color: white; }"));
    textEdit = new QLineEdit(group);
    textEdit->setGeometry(12, 24, 540, 26);
    clearButton = button(group, QRect(560, 23, 30, 28), {}, circlingArrows());

    heightLabel = label(this, scrolltext::heightLabel(TrackStart), QRect(16, 280, 100, 18));
    heightTrack = new TrackBar(Qt::Vertical, TrackMinimum, TrackMaximum, this);  // the smallest position at the top
    heightTrack->setGeometry(36, 302, 28, 150);
    heightTrack->setValue(TrackStart);

    backgroundButton = button(this, QRect(120, 282, 150, 28), QStringLiteral("Background Color"));
    fontButton = button(this, QRect(120, 318, 150, 28), QStringLiteral("Font"));
    growButton = button(this, QRect(280, 318, 32, 28), {}, letterWithMark(true));
    shrinkButton = button(this, QRect(316, 318, 32, 28), {}, letterWithMark(false));
    label(this, QStringLiteral("Step"), QRect(120, 364, 70, 20));
    stepSpin = new SpinEdit(sct::StepMin, sct::StepMax, this);
    stepSpin->setGeometry(196, 362, 72, 24);
    stepSpin->setValue(1);
    label(this, QStringLiteral("Interval"), QRect(120, 398, 70, 20));
    intervalSpin = new SpinEdit(sct::IntervalMin, sct::IntervalMax, this);
    intervalSpin->setGeometry(196, 396, 72, 24);
    intervalSpin->setValue(10);

    label(this, QStringLiteral("Position"), QRect(400, 282, 100, 18));
    label(this, QStringLiteral("Top"), QRect(400, 310, 60, 20));
    topBox = new OnOffCheckBox(QStringLiteral("Off"), this);
    topBox->setGeometry(470, 310, 70, 20);
    label(this, QStringLiteral("Bottom"), QRect(400, 338, 60, 20));
    bottomBox = new OnOffCheckBox(QStringLiteral("On"), this);
    bottomBox->setGeometry(470, 338, 70, 20);
    showEdge();

    saveButton = button(this, QRect(10, 474, 36, 30), {}, diskette(), QStringLiteral("Save"));
    openButton = button(this, QRect(50, 474, 36, 30), {}, openFolder(), QStringLiteral("Open"));
    hideButton = button(this, QRect(296, 474, 96, 30), QStringLiteral("Hide"));
    sendButton = button(this, QRect(400, 474, 104, 30), QStringLiteral("Send Text"));
    closeButton = button(this, QRect(512, 474, 100, 30), QStringLiteral("Close"));

    applyLook();
    onTrackMoved(heightTrack->value());

    connect(textEdit, &QLineEdit::textChanged, this, &ScrollTextDialog::onTextChanged);
    connect(clearButton, &QAbstractButton::clicked, textEdit, &QLineEdit::clear);
    connect(heightTrack, &QSlider::valueChanged, this, &ScrollTextDialog::onTrackMoved);
    connect(stepSpin, &QSpinBox::valueChanged, this, [this](int v) { bannerPreview->ticker().setStep(unsigned(v)); });
    connect(intervalSpin, &QSpinBox::valueChanged, this,
            [this](int v) { bannerPreview->ticker().setInterval(unsigned(v)); });
    connect(topBox, &QAbstractButton::clicked, this, &ScrollTextDialog::clickTop);
    connect(bottomBox, &QAbstractButton::clicked, this, &ScrollTextDialog::clickBottom);
    connect(panelColourButton, &QAbstractButton::clicked, this, &ScrollTextDialog::choosePanelColour);
    connect(backgroundButton, &QAbstractButton::clicked, this, &ScrollTextDialog::chooseBackgroundColour);
    connect(fontButton, &QAbstractButton::clicked, this, &ScrollTextDialog::chooseFont);
    connect(growButton, &QAbstractButton::clicked, this, [this] { changeFontSize(+1); });
    connect(shrinkButton, &QAbstractButton::clicked, this, [this] { changeFontSize(-1); });
    connect(saveButton, &QAbstractButton::clicked, this, &ScrollTextDialog::chooseSaveFile);
    connect(openButton, &QAbstractButton::clicked, this, &ScrollTextDialog::chooseOpenFile);
    connect(hideButton, &QAbstractButton::clicked, this, &ScrollTextDialog::hideText);
    connect(sendButton, &QAbstractButton::clicked, this, &ScrollTextDialog::sendText);
    connect(closeButton, &QAbstractButton::clicked, this, &QWidget::close);
}

void ScrollTextDialog::bringUp() {
    show();
    raise();
    activateWindow();
}

void ScrollTextDialog::placePreview(int top) {
    bannerPreview->setGeometry(kPreviewLeft, top, kPreviewWidth, previewHeight_);
}

void ScrollTextDialog::onTextChanged(const QString& text) {
    // The preview moves from the first change on and keeps moving.
    bannerPreview->setText(text);
    bannerPreview->ticker().setActive(true);
    placePreview(previewTopAfterTextChange(previewHeight_));
}

void ScrollTextDialog::onTrackMoved(int position) {
    previewHeight_ = previewHeight(position);
    placePreview(previewTopAfterHeightChange(previewHeight_));
    heightLabel->setText(scrolltext::heightLabel(position));
}

void ScrollTextDialog::showEdge() {
    topBox->setChecked(edge_.top());
    topBox->setText(EdgeChoice::caption(edge_.top()));
    bottomBox->setChecked(edge_.bottom());
    bottomBox->setText(EdgeChoice::caption(edge_.bottom()));
}

void ScrollTextDialog::clickTop() {
    edge_.clickTop();
    showEdge();
}

void ScrollTextDialog::clickBottom() {
    edge_.clickBottom();
    showEdge();
}

void ScrollTextDialog::applyLook() { bannerPreview->setLook(bandLook(look_)); }

void ScrollTextDialog::setPanelColour(const QColor& colour) {
    look_.panelColour = valueFromColour(colour);
    fillBackground(previewPanel, colour);
    fillBackground(panelCorner, colour);
    panelColourButton->setFaceColor(colour);
}

void ScrollTextDialog::setBackgroundColour(const QColor& colour) {
    look_.backColour = valueFromColour(colour);
    applyLook();
}

void ScrollTextDialog::setPreviewFont(const QFont& font, const QColor& textColour) {
    look_.fontName = font.family();
    int points = font.pointSize();
    if (points <= 0 && font.pixelSize() > 0) points = (font.pixelSize() * 72 + 48) / 96;
    if (points > 0) {
        look_.fontSize = points;
        look_.fontHeight = fontHeightForSize(points);
    }
    look_.bold = font.bold();
    look_.italic = font.italic();
    look_.underline = font.underline();
    look_.strikeOut = font.strikeOut();
    if (textColour.isValid()) look_.fontColour = valueFromColour(textColour);
    applyLook();
}

void ScrollTextDialog::changeFontSize(int points) {
    // No lower bound here: the text picture renders at least one pixel.
    look_.fontSize += points;
    look_.fontHeight = fontHeightForSize(look_.fontSize);
    applyLook();
}

ScrollTextSettings ScrollTextDialog::currentSettings() const {
    ScrollTextSettings s = look_;
    s.text = textEdit->text();
    s.interval = intervalSpin->value();
    s.step = stepSpin->value();
    s.trackPosition = heightTrack->value();
    s.previewHeight = previewHeight_;
    s.bottom = edge_.bottom();
    return s;
}

bool ScrollTextDialog::openFile(const QString& path) {
    lastFile_ = path;
    ScrollTextSettings s = currentSettings();
    QString error;
    const bool ok = openScrollTextFile(path, s, &error);
    // What was read is applied, control by control in the file's order, also
    // when the write-back failed.
    textEdit->setText(s.text);
    setPanelColour(colourFromValue(s.panelColour));
    intervalSpin->setValue(s.interval);
    stepSpin->setValue(s.step);
    heightTrack->setValue(s.trackPosition);
    look_ = s;
    previewHeight_ = s.previewHeight;
    edge_.setBottom(s.bottom);
    showEdge();
    applyLook();
    // The final preview update runs in every case.
    bannerPreview->setText(textEdit->text());
    bannerPreview->ticker().setActive(true);
    placePreview(previewTopAfterTextChange(previewHeight_));
    if (!ok) reportFileError(error);
    return ok;
}

bool ScrollTextDialog::saveFile(const QString& path) {
    lastFile_ = path;
    QString error;
    if (saveScrollTextFile(path, currentSettings(), &error)) return true;
    reportFileError(error);
    return false;
}

void ScrollTextDialog::reportFileError(const QString& message) { platform_.prompter->error(message, kCaption); }

void ScrollTextDialog::sendText() {
    BannerOrder order;
    order.text = textEdit->text();
    order.interval = bannerPreview->ticker().interval();
    order.step = unsigned(bannerPreview->ticker().step());
    order.height = bannerHeight(heightTrack->value());
    order.look = bannerPreview->look();
    order.top = edge_.top();
    controller_.sendBanner(order);
}

void ScrollTextDialog::hideText() { controller_.hideBanner(); }

QString ScrollTextDialog::customColoursPath() const {
    return controller_.settingsStore().folder() + QLatin1Char('/') + QLatin1String(CustomColoursFileName);
}

void ScrollTextDialog::onActivated() {
    move(desk::centredOnPrimary(controller_.screens().desk(), frameGeometry().size()));
    placePreview(previewTopAfterHeightChange(previewHeight_));
    if (const auto colours = loadCustomColours(customColoursPath())) {
        for (int i = 0; i < int(colours->size()); ++i)
            if ((*colours)[i]) QColorDialog::setCustomColor(i, colourFromValue(*(*colours)[i]));
    }
}

void ScrollTextDialog::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

void ScrollTextDialog::closeEvent(QCloseEvent* e) {
    // Closing only hides; it is never refused.
    CustomColours colours;
    for (int i = 0; i < int(colours.size()); ++i) colours[i] = valueFromColour(QColorDialog::customColor(i));
    saveCustomColours(customColoursPath(), colours);
    QWidget::closeEvent(e);
}

void ScrollTextDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void ScrollTextDialog::chooseOpenFile() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), lastFile_, kFileFilter);
    if (!path.isEmpty()) openFile(path);
}

void ScrollTextDialog::chooseSaveFile() {
    QFileDialog dialog(this, QStringLiteral("Save As"), lastFile_, kFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("sct"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    saveFile(dialog.selectedFiles().first());
}

void ScrollTextDialog::choosePanelColour() {
    const QColor colour = QColorDialog::getColor(colourFromValue(look_.panelColour), this);
    if (colour.isValid()) setPanelColour(colour);
}

void ScrollTextDialog::chooseBackgroundColour() {
    const QColor colour = QColorDialog::getColor(colourFromValue(look_.backColour), this);
    if (colour.isValid()) setBackgroundColour(colour);
}

void ScrollTextDialog::chooseFont() {
    bool ok = false;
    QFont current = bandLook(look_).font;
    if (look_.fontSize > 0) current.setPointSize(look_.fontSize);
    const QFont font = QFontDialog::getFont(&ok, current, this);
    if (!ok) return;
    // The font dialog has no colour of its own: the text colour follows in
    // the colour dialog (cancelling that keeps the colour).
    const QColor colour =
        QColorDialog::getColor(colourFromValue(look_.fontColour), this, QStringLiteral("Text colour"));
    setPreviewFont(font, colour);
}

}  // namespace vz
