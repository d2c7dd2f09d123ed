// Dialogs above the windows that stay on top: the message boxes belong to
// the window that opened them, and the picker, the preview and the toolbar
// leave the top layer while a dialog is open. Offscreen, so what is checked
// is what the program asks of the window system, not the stacking itself
// (the end-to-end tests see that).

#include "app_fixture.h"

#include "ui/about/about_box.h"
#include "ui/picker/window_picker.h"
#include "ui/preview/preview_window.h"
#include "ui/shortcuts/shortcuts_dialog.h"
#include "ui/toolbar/toolbar.h"
#include "ui/widgets/qt_prompter.h"
#include "ui/widgets/stacking.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>

namespace vz::test {
namespace {

// Runs the event loop until `done` holds, for at most five seconds.
bool settle(const std::function<bool()>& done) {
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class StackingTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
        onTop = {app->preview.get(), app->toolbar.get(), app->windowPicker.get()};
        for (QWidget* w : onTop) w->show();
    }
    bool allOnTop(bool on) {
        return std::all_of(onTop.begin(), onTop.end(), [on](QWidget* w) { return stacking::staysOnTop(w) == on; });
    }
    std::vector<QWidget*> onTop;
};

TEST_F(StackingTest, WindowsOnTopStepDownWhileADialogIsOpen) {
    ASSERT_TRUE(settle([&] { return allOnTop(true); }));
    EXPECT_FALSE(stacking::dialogOpen());

    app->shortcutsDialog->show();
    EXPECT_TRUE(stacking::dialogOpen());
    EXPECT_TRUE(settle([&] { return allOnTop(false); }));
    // The hint itself stays: the window goes back on top afterwards.
    EXPECT_TRUE(app->preview->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    app->shortcutsDialog->hide();
    EXPECT_FALSE(stacking::dialogOpen());
    EXPECT_TRUE(settle([&] { return allOnTop(true); }));
}

TEST_F(StackingTest, AWindowShownWhileADialogIsOpenStaysBelowIt) {
    app->preview->hide();
    app->shortcutsDialog->show();
    ASSERT_TRUE(settle([&] { return !stacking::staysOnTop(app->toolbar.get()); }));
    app->preview->show();
    EXPECT_TRUE(settle([&] { return !stacking::staysOnTop(app->preview.get()); }));
    app->shortcutsDialog->hide();
    EXPECT_TRUE(settle([&] { return allOnTop(true); }));
}

// The picker's help: the message box is the picker's, and the picker stays
// below it until it closes.
TEST_F(StackingTest, MessageBoxBelongsToTheWindowThatOpenedIt) {
    QtPrompter prompter;
    QWidget* picker = app->windowPicker.get();
    picker->activateWindow();
    QApplication::setActiveWindow(picker);
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget(), picker);
        EXPECT_TRUE(settle([&] { return !stacking::staysOnTop(picker); }));
        checked = true;
        box->accept();
    });
    prompter.ask(QStringLiteral("ReroRadiza"), QStringLiteral("help"), Prompter::Buttons::Ok,
                 Prompter::Icon::Information, Prompter::Answer::Ok);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(settle([&] { return stacking::staysOnTop(picker); }));
}

}  // namespace
}  // namespace vz::test
