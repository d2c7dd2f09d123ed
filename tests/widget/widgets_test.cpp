// The control widgets, the glyphs, the about box and the Qt prompter.
#include "ui/widgets/qt_prompter.h"
#include "ui/about/about_box.h"
#include "version.h"
#include "core/settings/help_address.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/movable_panel.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace vz;

void sendMouse(QWidget* w, QEvent::Type type, QPoint at = {}) {
    if (at.isNull()) at = w->rect().center();
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Counts emissions of a signal and keeps the last bool argument.
struct Counter {
    int count = 0;
    bool last = false;
};

template <typename Sender, typename Signal>
Counter* count(Sender* sender, Signal signal) {
    auto* c = new Counter;
    QObject::connect(sender, signal, sender, [c](auto... args) {
        ++c->count;
        if constexpr (sizeof...(args) == 1) c->last = (args, ...);
    });
    QObject::connect(sender, &QObject::destroyed, [c] { delete c; });
    return c;
}

void click(QWidget* w) {
    sendMouse(w, QEvent::MouseButtonPress);
    sendMouse(w, QEvent::MouseButtonRelease);
}

// ---- OnOffCheckBox ----

TEST(OnOffCheckBox, UserClickTogglesAndEmitsClickedButKeepsCaption) {
    OnOffCheckBox box(QStringLiteral("Off"));
    box.resize(box.sizeHint());
    Counter* clicked = count(&box, &QAbstractButton::clicked);

    click(&box);
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(clicked->count, 1);
    EXPECT_TRUE(clicked->last);
    EXPECT_EQ(box.text(), QStringLiteral("Off"));  // only the handler sets it

    click(&box);
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(clicked->count, 2);
    EXPECT_FALSE(clicked->last);
}

TEST(OnOffCheckBox, SetCheckedFromCodeRunsNoClickHandler) {
    OnOffCheckBox box(QStringLiteral("Off"));
    Counter* clicked = count(&box, &QAbstractButton::clicked);
    box.setChecked(true);
    box.setChecked(false);
    box.setChecked(true);
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(clicked->count, 0);
    EXPECT_EQ(box.text(), QStringLiteral("Off"));
}

// ---- SpinEdit ----

TEST(SpinEdit, TypedTextIsReadAsANumberWithinRange) {
    struct Case {
        const char* typed;
        int value;
    };
    const Case cases[] = {
        {"42", 42},     {" 7 ", 7},     {"abc", 1},
        {"", 1},        {"12x", 1},     {"0", 1},
        {"-3", 1},      {"5000", 1000}, {"99999999999", 1000},
        {"1000", 1000},
    };
    for (const Case& c : cases) {
        SpinEdit spin(1, 1000);
        spin.setValue(500);
        auto* edit = spin.findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setText(QString::fromLatin1(c.typed));
        spin.interpretText();
        EXPECT_EQ(spin.value(), c.value) << "typed \"" << c.typed << '"';
        EXPECT_EQ(spin.text(), QString::number(c.value)) << "typed \"" << c.typed << '"';
    }
}

TEST(SpinEdit, ValuesSetFromCodeAreClamped) {
    SpinEdit spin(1, 1000);
    spin.setValue(0);
    EXPECT_EQ(spin.value(), 1);
    spin.setValue(1001);
    EXPECT_EQ(spin.value(), 1000);
    SpinEdit swapped(100, 1);  // bounds given the wrong way round
    EXPECT_EQ(swapped.minimum(), 1);
    EXPECT_EQ(swapped.maximum(), 100);
}

// ---- GlyphButton ----

QColor faceAt(GlyphButton& b) {
    return b.grab().toImage().pixelColor(2, 2);  // a corner, away from the glyph
}

TEST(GlyphButton, FaceFollowsHoverAndPress) {
    GlyphButton button;
    button.setGlyph(glyphs::run());
    button.resize(58, 27);
    Counter* clicked = count(&button, &QAbstractButton::clicked);

    EXPECT_EQ(faceAt(button), QColor(67, 74, 84));
    button.setFaceColor(QColor(101, 104, 120));
    EXPECT_EQ(faceAt(button), QColor(101, 104, 120));

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(button.mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    EXPECT_EQ(faceAt(button), QColor(124, 124, 124));

    sendMouse(&button, QEvent::MouseButtonPress);
    EXPECT_EQ(faceAt(button), QColor(100, 100, 100));
    sendMouse(&button, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicked->count, 1);
    EXPECT_EQ(faceAt(button), QColor(124, 124, 124));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.isHovered());
    EXPECT_EQ(faceAt(button), QColor(101, 104, 120));

    // The glyph is drawn centred: white in the middle of the face.
    const QImage face = button.grab().toImage();
    bool white = false;
    for (int x = 20; x < 38 && !white; ++x) white = face.pixelColor(x, 13) == QColor(Qt::white);
    EXPECT_TRUE(white);
}

// ---- MovablePanel ----

void sendMouseGlobal(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
    const QPoint local = w->mapFromGlobal(global);
    QMouseEvent event(type, QPointF(local), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

TEST(MovablePanel, LeftDragMovesTheWindowOnlyWhenAsked) {
    // The offscreen platform has no system move, so this is the manual path.
    QWidget window;
    window.setGeometry(100, 100, 248, 42);
    auto* panel = new MovablePanel(&window);
    panel->setGeometry(0, 0, 248, 42);
    window.show();
    const QPoint start = window.pos();
    const QPoint grab = panel->mapToGlobal(QPoint(10, 10));

    auto drag = [&] {
        sendMouseGlobal(panel, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        sendMouseGlobal(panel, QEvent::MouseMove, grab + QPoint(15, 5), Qt::LeftButton);
        sendMouseGlobal(panel, QEvent::MouseMove, grab + QPoint(30, -20), Qt::LeftButton);
        sendMouseGlobal(panel, QEvent::MouseButtonRelease, grab + QPoint(30, -20), Qt::NoButton);
    };
    drag();
    EXPECT_EQ(window.pos(), start);

    panel->setDragsWindow(true);
    drag();
    EXPECT_EQ(window.pos(), start + QPoint(30, -20));

    // After the release, moving the pointer moves nothing.
    sendMouseGlobal(panel, QEvent::MouseMove, grab + QPoint(90, 90), Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(30, -20));
}

// ---- glyphs ----

bool transparentCorners(const QImage& img) {
    const int r = img.width() - 1, b = img.height() - 1;
    return qAlpha(img.pixel(0, 0)) == 0 && qAlpha(img.pixel(r, 0)) == 0 && qAlpha(img.pixel(0, b)) == 0 &&
           qAlpha(img.pixel(r, b)) == 0;
}

int countPixels(const QImage& img, const std::function<bool(QColor)>& match) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += match(img.pixelColor(x, y)) ? 1 : 0;
    return n;
}

TEST(Glyphs, HaveTheirSizesAndWhiteOutlinesOnTransparency) {
    struct Case {
        const char* name;
        QPixmap (*make)();
        QSize size;
    };
    const Case cases[] = {
        {"cog", glyphs::cog, {19, 19}},
        {"sendToSecond", glyphs::sendToSecond, {42, 16}},
        {"run", glyphs::run, {16, 16}},
        {"stop", glyphs::stop, {16, 16}},
        {"stopAll", glyphs::stopAll, {32, 24}},
        {"desktop", glyphs::desktop, {32, 24}},
        {"partOfDesktop", glyphs::partOfDesktop, {32, 24}},
        {"singleApplication", glyphs::singleApplication, {32, 24}},
        {"clipboard", glyphs::clipboard, {32, 24}},
        {"images", glyphs::images, {32, 24}},
        {"scrollText", glyphs::scrollText, {32, 24}},
        {"captureImage", glyphs::captureImage, {32, 24}},
    };
    for (const Case& c : cases) {
        const QImage img = c.make().toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(img.size(), c.size) << c.name;
        EXPECT_TRUE(transparentCorners(img)) << c.name;
        const int opaqueWhite = countPixels(img, [](QColor p) { return p == QColor(Qt::white); });
        EXPECT_GT(opaqueWhite, 10) << c.name;
        // Nothing but white ink: coloured pixels would show on the panel.
        const int coloured = countPixels(img, [](QColor p) {
            return p.alpha() > 0 && (p.red() != p.green() || p.green() != p.blue() || p.red() < 250);
        });
        EXPECT_EQ(coloured, 0) << c.name;
    }
}

TEST(Glyphs, RunAndStopDiffer) { EXPECT_NE(glyphs::run().toImage(), glyphs::stop().toImage()); }

TEST(Glyphs, TrayIconIsRedScreensOnTransparency) {
    const QIcon icon = glyphs::trayIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int s : {16, 22, 32}) EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;

    const QImage img = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(img.size(), QSize(32, 32));
    EXPECT_TRUE(transparentCorners(img));
    auto red = [](QColor p) { return p.alpha() == 255 && p.red() > 200 && p.green() < 60 && p.blue() < 60; };
    EXPECT_GT(countPixels(img, red), 50);
    // The two screens are outlines: their middles are see-through.
    EXPECT_EQ(qAlpha(img.pixel(8, 13)), 0);
    EXPECT_EQ(qAlpha(img.pixel(24, 13)), 0);
    // Left and right halves carry one screen each.
    EXPECT_EQ(countPixels(img.copy(0, 0, 16, 32), red), countPixels(img.copy(16, 0, 16, 32), red));
}

// ---- about box ----

TEST(AboutBox, ShowsNameVersionAndLinks) {
    AboutBox about;
    EXPECT_TRUE(about.isModal());
    EXPECT_EQ(about.nameLabel->text(), QStringLiteral("Vivivoz"));
    EXPECT_TRUE(about.versionLabel->text().contains(QStringLiteral(VIVIVOZ_VERSION)));
    // The website, or with none the README (the sources' in a build run in place).
    const QUrl help = helpAddress(QCoreApplication::applicationDirPath());
    ASSERT_FALSE(help.isEmpty());
    EXPECT_TRUE(about.webLink->text().contains(QStringLiteral("href=\"%1\"").arg(help.toString())));
    EXPECT_TRUE(about.mailLink->text().contains(QStringLiteral("href=\"mailto:" VIVIVOZ_MAIL "\"")));
    EXPECT_TRUE(about.webLink->openExternalLinks());
    about.show();
    Counter* accepted = count(&about, &QDialog::accepted);
    about.closeButton->click();
    EXPECT_EQ(accepted->count, 1);
    EXPECT_FALSE(about.isVisible());
}

// ---- QtPrompter ----

// Runs `act` on the message box once it is up.
void whenBoxShows(const std::function<void(QMessageBox*)>& act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
}

TEST(QtPrompter, InformWithCheckBoxReportsTheBoxOnOk) {
    QtPrompter prompter;
    bool checked = false;
    whenBoxShows([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Vivivoz"));
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        ASSERT_NE(box->checkBox(), nullptr);
        EXPECT_EQ(box->checkBox()->text(), QStringLiteral("Don't show me again."));
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons().first()->text(), QStringLiteral("OK"));
        box->checkBox()->setChecked(true);
        box->buttons().first()->click();
    });
    EXPECT_TRUE(prompter.informWithCheckBox(QStringLiteral("Vivivoz"), QStringLiteral("text"),
                                            QStringLiteral("Don't show me again."), checked));
    EXPECT_TRUE(checked);
}

TEST(QtPrompter, AskReturnsTheButtonPressed) {
    QtPrompter prompter;
    whenBoxShows([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(prompter.ask(QStringLiteral("Vivivoz"), QStringLiteral("Start simulation mode ?"),
                           Prompter::Buttons::YesNo, Prompter::Icon::Question, Prompter::Answer::No),
              Prompter::Answer::Yes);

    whenBoxShows([](QMessageBox* box) { box->reject(); });  // Esc or the close box
    EXPECT_EQ(prompter.ask(QStringLiteral("Vivivoz"), QStringLiteral("?"), Prompter::Buttons::YesNo,
                           Prompter::Icon::Question, Prompter::Answer::Yes),
              Prompter::Answer::No);
}

}  // namespace
