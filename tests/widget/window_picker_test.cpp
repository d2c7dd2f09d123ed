// The window picker on the fake platform: what it lists and how, choosing a
// window from the settings dialog (modeless) and from the tray (modal), and
// its ways out.

#include "app_fixture.h"

#include "ui/output/output_window.h"
#include "ui/picker/window_picker.h"
#include "ui/settings/settings_dialog.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>

namespace vz::test {
namespace {

QImage striped(QSize size, QRgb a, QRgb b, QRgb c) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(a);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, size.width(), size.height() / 2), QColor(b));
    p.fillRect(QRect(0, 0, size.width() / 2, size.height() / 2), QColor(c));
    return img;
}

class PickerTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        desktop.windows[11] = {QRect(0, 0, 800, 600),
                               striped({800, 600}, qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)), "Text Editor",
                               "Gedit", "/usr/bin/gedit"};
        desktop.windows[12] = {QRect(0, 0, 300, 15), striped({300, 15}, qRgb(1, 0, 0), qRgb(0, 1, 0), qRgb(0, 0, 1)),
                               "Too low", "Bar", "/usr/bin/bar"};
        desktop.windows[13] = {QRect(0, 0, 400, 300), QImage(), "Minimised", "Term", "/usr/bin/xterm", false};
        desktop.windows[14] = {QRect(0, 0, 400, 300), striped({400, 300}, 1, 2, 3), "Vivivoz - Settings", "vivivoz",
                               "/opt/vivivoz"};
        desktop.windows[15] = {QRect(0, 0, 1920, 1080), striped({1920, 1080}, 1, 2, 3), "", "Desktop", "", true, true};
        desktop.windows[16] = {QRect(0, 0, 600, 800), striped({600, 800}, 4, 5, 6), QString(46, 'w'), "Long", ""};
        startApp();
    }
    WindowPicker& picker() { return *app->windowPicker; }
    TrayIcon& tray() { return *app->tray; }
    static QString titleOf(QWidget* entry) { return entry->findChild<QLabel*>("title")->text(); }
    static WindowId idOf(QWidget* entry) { return entry->property("windowId").value<quint64>(); }
    static void click(QWidget* w) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, {}, {});
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
};

TEST_F(PickerTest, ListsOrdinaryWindowsWithTitlePathAndThumbnail) {
    app->settingsDialog->windowButton->click();
    ASSERT_TRUE(picker().isVisible());
    EXPECT_FALSE(picker().isModal());
    EXPECT_TRUE(picker().listComplete());
    EXPECT_EQ(picker().windowTitle(), "Vivivoz");
    EXPECT_EQ(picker().size(), QSize(384, 546));
    EXPECT_EQ(picker().pos(), QPoint(1920 / 2 - 384 / 2, 1080 / 2 - 546 / 2));
    EXPECT_EQ(picker().header->text(), "  Select window to display");
    const QList<QWidget*> entries = picker().entryWidgets();
    // Too low, our own and the desktop are left out; the minimised one stays.
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(idOf(entries[0]), 11u);
    EXPECT_EQ(titleOf(entries[0]), " TEXT EDITOR");
    EXPECT_EQ(entries[0]->findChild<QLabel*>("title")->toolTip(), "Text Editor");
    EXPECT_TRUE(entries[0]->findChild<QLabel*>("title")->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(entries[0]->findChild<QLabel*>("path")->text(), "/usr/bin/gedit");
    EXPECT_EQ(idOf(entries[1]), 13u);
    EXPECT_EQ(titleOf(entries[1]), " MINIMISED");
    EXPECT_EQ(idOf(entries[2]), 16u);
    EXPECT_TRUE(entries[2]->findChild<QLabel*>("title")->alignment() & Qt::AlignLeft);
    for (QWidget* e : entries) EXPECT_EQ(e->height(), 150);
}

TEST_F(PickerTest, PictureTakenBeforeTheRedrawIsReplacedInItsEntry) {
    // Just opened: the first pictures show what covered the windows.
    desktop.coveredPicture = striped({8, 8}, qRgb(0, 0, 0), qRgb(255, 255, 0), qRgb(255, 0, 255));
    desktop.windowsRedrawnBy = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    app->settingsDialog->windowButton->click();
    ASSERT_TRUE(picker().listComplete());
    const QList<QWidget*> entries = picker().entryWidgets();
    ASSERT_EQ(entries.size(), 3);  // one entry per window, not two
    QWidget* thumbnail = entries[0]->findChild<QWidget*>("thumbnail");
    const QImage shown = thumbnail->grab().toImage();
    // The text editor's own picture: red below, blue at the top left.
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() * 3 / 4 - 10), QColor(255, 0, 0));
}

TEST_F(PickerTest, ModelessChoiceSetsTheWindowAndStartsTheTimer) {
    Controller& c = controller();
    app->output->show();
    app->settingsDialog->windowButton->click();
    ASSERT_EQ(c.source(), Source::Window);
    EXPECT_FALSE(c.frames().ticking());
    click(picker().entryWidgets()[0]->findChild<QWidget*>("thumbnail"));
    EXPECT_FALSE(picker().isVisible());
    EXPECT_EQ(c.selectedWindow(), 11u);
    EXPECT_TRUE(c.frames().ticking());
    // Run: the tick mirrors the chosen window.
    c.toggleRun();
    c.frames().tick();
    EXPECT_EQ(c.outputFrame().size(), QSize(800, 600));
    EXPECT_EQ(c.outputFrame().pixel(10, 10), qRgb(0, 0, 255));

    // Showing the picker again forgets the choice.
    app->settingsDialog->windowButton->click();
    EXPECT_EQ(c.selectedWindow(), 0u);
}

TEST_F(PickerTest, TrayQuickStartWaitsForTheModalChoiceThenRuns) {
    Controller& c = controller();
    bool wasModal = false;
    QTimer::singleShot(0, &picker(), [&] {
        wasModal = picker().isModal();
        click(picker().entryWidgets()[0]->findChild<QWidget*>("thumbnail"));
    });
    tray().windowAction->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(picker().isVisible());
    EXPECT_FALSE(c.pickWindowModal());
    EXPECT_EQ(c.source(), Source::Window);
    EXPECT_EQ(c.selectedWindow(), 11u);
    EXPECT_TRUE(c.frames().ticking());
    EXPECT_TRUE(c.outputRunning());
    EXPECT_TRUE(c.isShown(View::Output));
}

TEST_F(PickerTest, CloseEscapeAndHelpEndWithoutAChoice) {
    Controller& c = controller();
    struct {
        const char* what;
        std::function<void()> leave;
    } cases[] = {
        {"Close", [&] { picker().closeButton->click(); }},
        {"Esc",
         [&] {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, {});
             QApplication::sendEvent(&picker(), &esc);
         }},
        {"help", [&] { picker().helpButton->click(); }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        desktop.asked.clear();
        QTimer::singleShot(0, &picker(), [&] { k.leave(); });
        tray().windowAction->trigger();
        EXPECT_FALSE(picker().isVisible());
        EXPECT_EQ(c.selectedWindow(), 0u);
    }
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].startsWith("If image is not available\n---------------------------\n\n"));
    EXPECT_TRUE(desktop.asked[0].endsWith(" - Window capture is blocked in BIOS settings\n\n\n\n"));
    EXPECT_EQ(desktop.beeps.last(), Prompter::Icon::Information);

    // The help leaves a modeless picker open.
    app->settingsDialog->windowButton->click();
    picker().helpButton->click();
    EXPECT_TRUE(picker().isVisible());
}

TEST_F(PickerTest, ReturningToThePickerMakesTheListAgainAndForgetsTheChoice) {
    app->settingsDialog->windowButton->click();
    ASSERT_EQ(picker().entryWidgets().size(), 3);
    controller().setSelectedWindow(11);
    desktop.windows[17] = {QRect(0, 0, 640, 480), striped({640, 480}, 7, 8, 9), "Opened meanwhile", "New", "/bin/new"};
    QEvent activate(QEvent::WindowActivate), deactivate(QEvent::WindowDeactivate);
    // An activation without leaving first (the show's own) changes nothing.
    QApplication::sendEvent(&picker(), &activate);
    EXPECT_EQ(picker().entryWidgets().size(), 3);
    EXPECT_EQ(controller().selectedWindow(), 11u);
    QApplication::sendEvent(&picker(), &deactivate);
    QApplication::sendEvent(&picker(), &activate);
    const QList<QWidget*> entries = picker().entryWidgets();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(idOf(entries.last()), 17u);
    EXPECT_EQ(controller().selectedWindow(), 0u);
}

TEST_F(PickerTest, OtherSourcesHideThePicker) {
    app->settingsDialog->windowButton->click();
    ASSERT_TRUE(picker().isVisible());
    app->settingsDialog->clipboardButton->click();
    EXPECT_FALSE(picker().isVisible());
    EXPECT_FALSE(controller().isShown(View::WindowPicker));
}

}  // namespace
}  // namespace vz::test
