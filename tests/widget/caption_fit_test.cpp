// Every window at the font in use: each caption fits its control, no two
// controls of one panel overlap, and every control lies inside its window.
// Run at the default font and at a desktop font a quarter larger; ctest runs
// the same cases again with QT_SCALE_FACTOR=1.5.

#include "app_fixture.h"

#include "ui/about/about_box.h"
#include "ui/capture/capture_dialog.h"
#include "ui/details/monitor_details_window.h"
#include "ui/picker/window_picker.h"
#include "ui/preview/preview_window.h"
#include "ui/scrolltext/scroll_text_dialog.h"
#include "ui/settings/settings_dialog.h"
#include "ui/shortcuts/shortcuts_dialog.h"
#include "ui/slideshow/slideshow_editor.h"
#include "ui/toolbar/toolbar.h"
#include "ui/widgets/onoff_checkbox.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace vz::test {
namespace {

// Room a push button's frame and padding take from its caption.
constexpr int kButtonPadding = 8;

bool isControl(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QSlider*>(w);
}

QString nameOf(const QWidget* w) {
    QString text;
    if (auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    return QStringLiteral("%1 \"%2\" at %3,%4 %5x%6")
        .arg(QString::fromUtf8(w->metaObject()->className()), text.left(40))
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height());
}

// Why the caption of `w` does not fit, or empty.
QString captionCut(const QWidget* w) {
    const QFontMetrics fm(w->font());
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty() || l->textFormat() == Qt::RichText || Qt::mightBeRichText(l->text())) return {};
        const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        if (l->wordWrap())
            return l->heightForWidth(l->width()) > l->height() ? QStringLiteral("wrapped text taller") : QString();
        const QSize need = fm.size(Qt::TextShowMnemonic, l->text());
        if (need.width() > room.width())
            return QStringLiteral("text %1 wide in %2").arg(need.width()).arg(room.width());
        if (fm.height() > room.height() + 2)
            return QStringLiteral("text %1 high in %2").arg(fm.height()).arg(room.height());
        return {};
    }
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (b->text().isEmpty()) return {};
        // Check boxes need room for their tick box too, which their size
        // hint holds; buttons for their frame.
        const bool checkBox = qobject_cast<const QCheckBox*>(b) || qobject_cast<const OnOffCheckBox*>(b);
        const int need =
            checkBox ? b->sizeHint().width() : fm.size(Qt::TextShowMnemonic, b->text()).width() + kButtonPadding;
        if (need > b->width()) return QStringLiteral("caption needs %1, has %2").arg(need).arg(b->width());
        return {};
    }
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w)) {
        if (s->minimumSizeHint().width() > s->width())
            return QStringLiteral("needs %1, has %2").arg(s->minimumSizeHint().width()).arg(s->width());
    }
    return {};
}

// Every fault of the window `window`, one a line.
QStringList faultsOf(QWidget* window) {
    QStringList faults;
    const QRect inside = window->rect();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !isControl(w) || w->window() != window) continue;
        if (const QString cut = captionCut(w); !cut.isEmpty()) faults << nameOf(w) + QStringLiteral(": ") + cut;
        const QRect at(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!inside.contains(at)) faults << nameOf(w) + QStringLiteral(": outside the window");
    }
    QList<QWidget*> panels = window->findChildren<QWidget*>();
    panels << window;
    for (QWidget* parent : panels) {
        QList<QWidget*> controls;
        for (QObject* o : parent->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && w->isVisibleTo(window) && isControl(w))
                controls << w;
        for (int i = 0; i < controls.size(); ++i)
            for (int j = i + 1; j < controls.size(); ++j)
                if (controls[i]->geometry().intersects(controls[j]->geometry()))
                    faults << nameOf(controls[i]) + QStringLiteral(" overlaps ") + nameOf(controls[j]);
    }
    return faults;
}

class CaptionFitTest : public AppFixture, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        defaultFont_ = QApplication::font();
        QFont font = defaultFont_;
        font.setPointSizeF(font.pointSizeF() * GetParam());
        QApplication::setFont(font);
        startApp();
    }
    void TearDown() override {
        AppFixture::TearDown();
        QApplication::setFont(defaultFont_);
    }
    QFont defaultFont_;
};

TEST_P(CaptionFitTest, EveryCaptionFitsAndNoControlsOverlap) {
    const std::pair<const char*, QWidget*> windows[] = {
        {"settings", app->settingsDialog.get()},
        {"toolbar", app->toolbar.get()},
        {"preview", app->preview.get()},
        {"about", app->aboutBox.get()},
        {"slideshow editor", app->slideshowEditor.get()},
        {"scroll text", app->scrollTextDialog.get()},
        {"capture", app->captureDialog.get()},
        {"shortcuts", app->shortcutsDialog.get()},
        {"monitor details", app->monitorDetails.get()},
        {"window picker", app->windowPicker.get()},
    };
    for (const auto& [name, window] : windows) {
        window->show();
        const QStringList faults = faultsOf(window);
        EXPECT_TRUE(faults.isEmpty()) << name << ":\n  " << faults.join(QStringLiteral("\n  ")).toStdString();
        window->hide();
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, CaptionFitTest, ::testing::Values(1.0, 1.25),
                         [](const auto& info) { return info.param == 1.0 ? "DefaultFont" : "QuarterLarger"; });

}  // namespace
}  // namespace vz::test
