// The controller's global keys on the fake platform: the ten actions, the
// keys taken at the load and on change, the capture key and the capture it
// runs, and the monitor details listing.

#include "core/controller/controller.h"
#include "core/settings/ini_document.h"
#include "core/shortcuts/shortcut_keys.h"
#include "platform/fake/fake_platform.h"
#include "prompter_while_open.h"
#include "pump_events.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace vz::test {
namespace {

constexpr quint16 CtrlF9 = shortcut::Ctrl | 0x78;
constexpr quint16 CtrlF10 = shortcut::Ctrl | 0x79;
constexpr quint16 AltQ = shortcut::Alt | 'Q';

int idOf(ShortcutAction a) { return int(a) + 1; }

class ControllerKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.documentsDir = dir.path() + QStringLiteral("/docs");
        desktop.configHome = dir.path() + QStringLiteral("/home");
    }
    void start() {
        c.reset();
        platform = makeFakePlatform(desktop);
        c = std::make_unique<Controller>(platform, FramePipeline::Mode::Inline);
        c->refreshMonitors();
        c->settingsStore().setFolder(dir.path());
        c->loadSettings();
    }
    void writeConfig(const QByteArray& text) {
        QFile f(dir.path() + QStringLiteral("/Vivivoz.cfg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray config() {
        QFile f(dir.path() + QStringLiteral("/Vivivoz.cfg"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static KeyCombination combo(quint16 key) { return keyCombinationOf(key); }
    // What the user was told, once the event loop has run.
    QStringList toldAfterLoop() {
        pumpUntil([] { return false; }, 20);
        return desktop.asked;
    }

    QTemporaryDir dir;
    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<Controller> c;
};

TEST_F(ControllerKeysTest, StoredKeysAreTakenAtTheLoadAndRunTheirAction) {
    writeConfig("[Options]\r\nHotKey6=Ctrl+F9\r\nHotKey2=None\r\n");
    start();
    EXPECT_EQ(desktop.registeredKeys.value(idOf(ShortcutAction::StopAll)), combo(CtrlF9));
    EXPECT_EQ(desktop.registeredKeys.size(), 1);  // "None" and missing keys take nothing
    EXPECT_TRUE(c->keys().taken(ShortcutAction::StopAll));

    c->setViewShown(View::Output, true);
    c->startDesktop();
    c->toggleRun();
    ASSERT_TRUE(c->outputRunning());
    ASSERT_TRUE(pressGlobalKey(desktop, idOf(ShortcutAction::StopAll)));
    EXPECT_EQ(c->source(), Source::Stopped);
    EXPECT_FALSE(c->outputRunning());
    EXPECT_TRUE(toldAfterLoop().isEmpty());
}

TEST_F(ControllerKeysTest, EachActionDoesWhatItsCommandDoes) {
    start();
    QVector<std::pair<View, bool>> requests;
    QObject::connect(c.get(), &Controller::viewRequested, [&](View v, bool show) { requests.append({v, show}); });
    struct Case {
        ShortcutAction action;
        std::function<bool()> done;
    };
    c->setViewShown(View::Output, true);
    c->startDesktop();
    const Case cases[] = {
        {ShortcutAction::ToggleRun, [&] { return c->outputRunning(); }},
        {ShortcutAction::ShowToolbar,
         [&] {
             return requests.contains({View::Toolbar, true});
         }},
        {ShortcutAction::ShowPreview,
         [&] {
             return requests.contains({View::Preview, true});
         }},
        {ShortcutAction::EnableOutput,
         [&] {
             return requests.contains({View::Output, false});
         }},
        {ShortcutAction::AutoHideToolbar, [&] { return c->tray().autoHide(); }},
        {ShortcutAction::LockCursor, [&] { return c->cursorLock().locked(); }},
        {ShortcutAction::StopAll, [&] { return c->source() == Source::Stopped; }},
    };
    for (const Case& k : cases) {
        c->runShortcut(k.action);
        EXPECT_TRUE(k.done()) << shortcutActionInfo(k.action).label;
    }
    c->runShortcut(ShortcutAction::LockCursor);
    EXPECT_FALSE(c->cursorLock().locked());  // the lock key switches both ways
}

TEST_F(ControllerKeysTest, UpdateRateKeysAskBeforePassingTheMaximum) {
    writeConfig("[Options]\r\nrefreshRate=5\r\nMAXrefreshRate=6\r\n");
    start();
    c->runShortcut(ShortcutAction::IncreaseRate);
    EXPECT_EQ(c->viewOptions().updateRate(), 6);
    EXPECT_TRUE(desktop.asked.isEmpty());

    desktop.answers = {Prompter::Answer::No};
    c->runShortcut(ShortcutAction::IncreaseRate);
    EXPECT_EQ(c->viewOptions().updateRate(), 6);
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].contains(QStringLiteral("Too high rate")));

    desktop.answers = {Prompter::Answer::Yes};
    c->runShortcut(ShortcutAction::IncreaseRate);
    EXPECT_EQ(c->viewOptions().updateRate(), 7);
    EXPECT_EQ(c->viewOptions().maxUpdateRate(), 7);

    c->viewOptions().setUpdateRate(1);
    c->runShortcut(ShortcutAction::DecreaseRate);
    EXPECT_EQ(c->viewOptions().updateRate(), 1);
}

TEST_F(ControllerKeysTest, KeyMovedBetweenActionsInOneSaveIsTakenByItsNewAction) {
    writeConfig("[Options]\r\nHotKey3=Ctrl+F9\r\nrefreshRate=9\r\n");
    start();
    ShortcutKeys keys = c->keys().shortcutKeys();
    keys[std::size_t(ShortcutAction::ShowToolbar)] = 0;
    keys[std::size_t(ShortcutAction::SendToOutput)] = CtrlF9;
    QString error;
    ASSERT_TRUE(c->saveShortcutKeys(keys, &error)) << error.toStdString();

    EXPECT_TRUE(c->keys().taken(ShortcutAction::SendToOutput));
    EXPECT_FALSE(desktop.registeredKeys.contains(idOf(ShortcutAction::ShowToolbar)));
    EXPECT_TRUE(toldAfterLoop().isEmpty());
    // The file keeps its other contents and holds every key, no key as empty text.
    const QByteArray text = config();
    EXPECT_TRUE(text.contains("HotKey1=Ctrl+F9\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("HotKey3=\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("HotKey10=\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("refreshRate=9\r\n")) << text.constData();
}

TEST_F(ControllerKeysTest, CombinationHeldElsewhereIsReportedOnceAndRetriedOnReload) {
    writeConfig("[Options]\r\nHotKey6=Ctrl+F9\r\nHotKey7=Ctrl+F9\r\n");
    desktop.keysHeldElsewhere = {combo(CtrlF9)};
    start();
    EXPECT_FALSE(c->keys().taken(ShortcutAction::StopAll));
    QStringList told = toldAfterLoop();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("\"Ctrl+F9\" (Stop All)"))) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains(QStringLiteral("\"Ctrl+F9\" (Increase Screen Update Rate)")));
    EXPECT_EQ(c->keys().shortcutKeys()[std::size_t(ShortcutAction::StopAll)], CtrlF9);  // what the user chose stays

    // The same failure on the next reload is not told again.
    c->reloadShortcutKeys();
    EXPECT_EQ(toldAfterLoop().size(), 1);

    // The other program lets go: the reload takes the key for the first of them.
    desktop.keysHeldElsewhere.clear();
    c->reloadShortcutKeys();
    EXPECT_TRUE(c->keys().taken(ShortcutAction::StopAll));
    EXPECT_FALSE(c->keys().taken(ShortcutAction::IncreaseRate));  // our own key holds it now
    told = toldAfterLoop();
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[1].contains(QStringLiteral("(Increase Screen Update Rate)")));
    EXPECT_FALSE(told[1].contains(QStringLiteral("(Stop All)")));
}

TEST_F(ControllerKeysTest, EachCombinationNotTakenIsToldWithItsOwnReason) {
    writeConfig("[Options]\r\nHotKey1=F13\r\nHotKey3=Ctrl+Alt+F1\r\nHotKey6=Ctrl+F9\r\nHotKey9=Alt+Q\r\n");
    constexpr quint32 kKeysymF13 = 0xffca;
    desktop.keysymsMissing = {kKeysymF13};
    desktop.keysKeptBySystem = {combo(shortcut::Ctrl | shortcut::Alt | 0x70)};
    desktop.keysHeldElsewhere = {combo(CtrlF9)};
    start();
    struct Case {
        ShortcutAction action;
        const char* line;
    };
    const Case cases[] = {
        {ShortcutAction::SendToOutput, "\"F13\" (Send to Second Monitor): this keyboard has no \"F13\" key."},
        {ShortcutAction::ShowToolbar,
         "\"Ctrl+Alt+F1\" (Show Toolbar): the system keeps it for itself "
         "(Ctrl+Alt+F1 to F12 switch to the text consoles), so it never reaches "
         "Vivivoz."},
        {ShortcutAction::StopAll,
         "\"Ctrl+F9\" (Stop All): another program or another shortcut of Vivivoz "
         "already holds it."},
    };
    const QStringList told = toldAfterLoop();
    ASSERT_EQ(told.size(), 1);
    const QStringList lines = told[0].split(QLatin1Char('\n'));
    for (const Case& k : cases) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(k.line))) << told[0].toStdString();
        EXPECT_FALSE(c->keys().taken(k.action));
        EXPECT_FALSE(c->keys().notTakenReason(k.action).isEmpty());
    }
    EXPECT_TRUE(c->keys().taken(ShortcutAction::AutoHideToolbar));
    EXPECT_TRUE(c->keys().notTakenReason(ShortcutAction::AutoHideToolbar).isEmpty());
    EXPECT_FALSE(told[0].contains(QStringLiteral("Alt+Q")));
}

// Where keys are held for the program's own windows only (a Wayland
// session) they work, and the user is told once what they cannot do.
TEST_F(ControllerKeysTest, KeysHeldWithALimitationWorkAndSayItOnce) {
    writeConfig("[Options]\r\nHotKey6=Ctrl+F9\r\nHotKey9=Alt+Q\r\n");
    desktop.keysLimitation = QStringLiteral("only in our windows");
    start();
    EXPECT_TRUE(c->keys().taken(ShortcutAction::StopAll));
    EXPECT_EQ(c->keys().notTakenReason(ShortcutAction::StopAll), desktop.keysLimitation);
    EXPECT_TRUE(c->keys().notTakenReason(ShortcutAction::SendToOutput).isEmpty());  // no key
    EXPECT_EQ(toldAfterLoop(), QStringList{desktop.keysLimitation});
    c->reloadShortcutKeys();
    EXPECT_EQ(toldAfterLoop().size(), 1);
    EXPECT_EQ(c->keys().notTakenReason(ShortcutAction::StopAll), desktop.keysLimitation);
}

TEST_F(ControllerKeysTest, KeysAreGivenBackWhenTheControllerEnds) {
    writeConfig("[Options]\r\nHotKey1=Alt+Q\r\n");
    start();
    EXPECT_EQ(desktop.registeredKeys.size(), 1);
    c.reset();
    EXPECT_TRUE(desktop.registeredKeys.isEmpty());
}

// --- The capture key --------------------------------------------------------

class CaptureKeyTest : public ControllerKeysTest {
protected:
    void SetUp() override {
        ControllerKeysTest::SetUp();
        start();
        folder = dir.path() + QStringLiteral("/shots/");
        QDir().mkpath(folder);
        ImageCaptureForm form = c->imageCapture().form();
        form.folder = folder;
        form.typeEntry = 1;  // PNG
        form.number = c->imageCapture().counter();
        c->imageCapture().setForm(form);
    }
    // The desktop on the output: its picture is the primary monitor's frame.
    void showPicture(QRgb colour) {
        desktop.screen = QImage(3200, 1080, QImage::Format_RGB32);
        desktop.screen.fill(colour);
        c->setViewShown(View::Output, true);
        c->startDesktop();
        c->toggleRun();
        c->frames().tick();
        c->frames().tick();
    }
    QString folder;
};

TEST_F(CaptureKeyTest, PressesWriteNumberedFilesOfTheOutputsPicture) {
    showPicture(qRgb(10, 200, 30));
    QVector<qint32> counters;
    QObject::connect(&c->imageCapture(), &ImageCapture::counterChanged, [&](qint32 n) { counters << n; });
    c->keys().toggleCaptureArmed(CtrlF10);
    ASSERT_TRUE(c->keys().captureArmed());
    ASSERT_TRUE(desktop.registeredKeys.contains(KeyBindings::kCaptureKeyId));
    ASSERT_TRUE(pressGlobalKey(desktop, KeyBindings::kCaptureKeyId));
    ASSERT_TRUE(pressGlobalKey(desktop, KeyBindings::kCaptureKeyId));

    EXPECT_EQ(counters, (QVector<qint32>{11, 12}));
    for (const char* name : {"image10.png", "image11.png"}) {
        const QImage written(folder + QLatin1String(name));
        ASSERT_EQ(written.size(), QSize(1920, 1080)) << name;
        EXPECT_EQ(written.pixel(100, 100), qRgb(10, 200, 30)) << name;
    }
    EXPECT_TRUE(desktop.beeps.isEmpty());  // beep off

    // Saved with the settings: the counter, the folder, the key's text.
    QString error;
    ASSERT_TRUE(c->saveSettings(&error));
    const QByteArray text = config();
    EXPECT_TRUE(text.contains("ImgCounter=12\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("HotKey=Ctrl+F10\r\n")) << text.constData();

    // Stop gives the key back.
    c->keys().toggleCaptureArmed(CtrlF10);
    EXPECT_FALSE(c->keys().captureArmed());
    EXPECT_FALSE(desktop.registeredKeys.contains(KeyBindings::kCaptureKeyId));
}

TEST_F(CaptureKeyTest, FailedWriteIsToldAndLeavesTheCounter) {
    showPicture(qRgb(1, 2, 3));
    ImageCaptureForm form = c->imageCapture().form();
    form.folder = dir.path() + QStringLiteral("/missing/");
    form.beep = true;
    c->imageCapture().setForm(form);
    const CaptureOutcome failed = c->captureImage();
    EXPECT_EQ(failed.status, CaptureOutcome::Status::WriteFailed);
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].startsWith(QStringLiteral("Cannot create file \""))) << desktop.asked[0].toStdString();
    EXPECT_EQ(c->imageCapture().counter(), 10);
    EXPECT_EQ(desktop.beeps, QVector<Prompter::Icon>{Prompter::Icon::Error});  // no capture beep

    // The next press, to a good folder, is not blocked and takes the same number.
    form.folder = folder;
    c->imageCapture().setForm(form);
    EXPECT_TRUE(c->captureImage().written());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("image10.png")));
    EXPECT_EQ(c->imageCapture().counter(), 11);
    EXPECT_EQ(desktop.beeps.last(), Prompter::Icon::None);
}

// The file holds what the second monitor shows: a paused mirror keeps its
// frame while the desktop goes on changing, and a slide is written as the
// slide, not as the picture view hidden behind it.
TEST_F(CaptureKeyTest, WritesWhatTheOutputShowsNotTheLiveSource) {
    showPicture(qRgb(10, 200, 30));
    c->toggleRun();  // paused: the output keeps its frame
    ASSERT_FALSE(c->outputRunning());
    desktop.screen.fill(qRgb(250, 0, 0));
    c->frames().tick();
    c->frames().tick();
    ASSERT_TRUE(c->captureImage().written());
    const QImage paused(folder + QStringLiteral("image10.png"));
    ASSERT_EQ(paused.size(), QSize(1920, 1080));
    EXPECT_EQ(paused.pixel(5, 5), qRgb(10, 200, 30));

    QImage slide(640, 480, QImage::Format_RGB32);
    slide.fill(qRgb(0, 0, 240));
    c->showTransitionSurface();
    c->transitionOutputTo(slide, 1);
    ASSERT_TRUE(c->captureImage().written());
    const QImage written(folder + QStringLiteral("image11.png"));
    ASSERT_EQ(written.size(), slide.size());
    EXPECT_EQ(written.pixel(5, 5), qRgb(0, 0, 240));
}

TEST_F(CaptureKeyTest, HeldKeyOpensOneErrorBoxAtATime) {
    showPicture(qRgb(1, 2, 3));
    ImageCaptureForm form = c->imageCapture().form();
    form.folder = dir.path() + QStringLiteral("/missing/");
    c->imageCapture().setForm(form);
    c->keys().toggleCaptureArmed(CtrlF10);
    // The key repeats while the first box is up.
    platform.prompter = std::make_unique<PrompterWithClickWhileOpen>(
        std::move(platform.prompter), [&] { pressGlobalKey(desktop, KeyBindings::kCaptureKeyId); });
    ASSERT_TRUE(pressGlobalKey(desktop, KeyBindings::kCaptureKeyId));
    EXPECT_EQ(desktop.asked.size(), 1);
    // Once it is closed, the next press tells again.
    ASSERT_TRUE(pressGlobalKey(desktop, KeyBindings::kCaptureKeyId));
    EXPECT_EQ(desktop.asked.size(), 2);
}

TEST_F(CaptureKeyTest, HiddenOutputWritesNothingSilently) {
    showPicture(qRgb(1, 2, 3));
    c->setViewShown(View::Output, false);
    EXPECT_EQ(c->captureImage().status, CaptureOutcome::Status::OutputHidden);
    EXPECT_TRUE(desktop.asked.isEmpty());
    EXPECT_EQ(c->imageCapture().counter(), 10);
}

TEST_F(CaptureKeyTest, KeyHeldByAnActionIsReportedAndChangedKeyIsTakenAgain) {
    c->keys().setShortcutKeys([] {
        ShortcutKeys k{};
        k[0] = AltQ;
        return k;
    }());
    c->keys().toggleCaptureArmed(AltQ);
    EXPECT_TRUE(c->keys().captureArmed());  // armed as asked, but the key is not held
    EXPECT_FALSE(desktop.registeredKeys.contains(KeyBindings::kCaptureKeyId));
    const QStringList told = toldAfterLoop();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("\"Alt+Q\" (Capture an Image)")));

    // A new key while armed (the dialog closing) is taken at once.
    c->keys().setCaptureKey(CtrlF10);
    EXPECT_EQ(desktop.registeredKeys.value(KeyBindings::kCaptureKeyId), combo(CtrlF10));
    // No key: Start does nothing more, the held combination goes back.
    c->keys().toggleCaptureArmed(0);
    EXPECT_TRUE(c->keys().captureArmed());
    EXPECT_FALSE(desktop.registeredKeys.contains(KeyBindings::kCaptureKeyId));
}

TEST_F(CaptureKeyTest, ResetAllGivesBackAnArmedKey) {
    c->keys().toggleCaptureArmed(CtrlF10);
    ASSERT_TRUE(desktop.registeredKeys.contains(KeyBindings::kCaptureKeyId));
    ShortcutKeys keys{};
    keys[0] = AltQ;
    c->keys().setShortcutKeys(keys);
    QVector<bool> armed;
    QObject::connect(&c->keys(), &KeyBindings::captureArmedChanged, [&](bool a) { armed << a; });
    c->resetSettings();
    EXPECT_EQ(c->keys().captureKey(), 0);
    EXPECT_TRUE(desktop.registeredKeys.isEmpty()) << "the ten and the capture key";
    // Disarmed too, so that Start/Stop reads "Start" again.
    EXPECT_FALSE(c->keys().captureArmed());
    EXPECT_EQ(armed, QVector<bool>{false});
}

TEST_F(ControllerKeysTest, StoredCaptureKeyTextStaysUntilTheKeyChanges) {
    struct Case {
        const char* stored;
        quint16 key;
        const char* written;
    };
    const Case cases[] = {
        {"None", 0, "None"},
        {"Ctrl+Foo", 0, "Ctrl+Foo"},        // a name we do not know
        {"ctrl+f10", CtrlF10, "ctrl+f10"},  // another spelling of the same key
        {"None", CtrlF10, "Ctrl+F10"},      // changed by the user
        {"Ctrl+F10", 0, ""},                // emptied by the user
    };
    for (const Case& k : cases) {
        writeConfig(QByteArray("[Options]\r\nHotKey=") + k.stored + "\r\n");
        start();
        c->keys().setCaptureKey(c->keys().captureKey());  // the capture dialog closing, untouched
        c->keys().setCaptureKey(k.key);
        QString error;
        ASSERT_TRUE(c->saveSettings(&error)) << error.toStdString();
        EXPECT_TRUE(config().contains(QByteArray("\r\nHotKey=") + k.written + "\r\n"))
            << k.stored << " -> " << config().constData();
    }
}

// --- Monitor details -------------------------------------------------------

TEST_F(ControllerKeysTest, MonitorDetailsListTheOutputsForEachMonitorPlusOne) {
    desktop.outputs = {
        {QStringLiteral("DP-1"), QStringLiteral("modesetting"), true, true, QSize(1920, 1080), 60, 24},
        {QStringLiteral("HDMI-1"), QString(), true, false, QSize(), 0, 0},
    };
    start();
    const QStringList lines = c->monitorDetailsListing();
    const QString dots = QString(QStringLiteral(". ")).repeated(112) + QLatin1Char('.');
    const QStringList expected = {
        QStringLiteral(" "),
        QStringLiteral("Monitor 1"),
        QStringLiteral("DP-1"),
        QStringLiteral("modesetting"),
        QStringLiteral("Resolution 1920 x 1080"),
        QStringLiteral("Bits per pixels 24"),
        dots,
        QStringLiteral(" "),
        QStringLiteral("Monitor 2"),
        QStringLiteral("Monitor isn't active"),
        QStringLiteral("HDMI-1"),
        QString(),
        dots,
        QStringLiteral(" "),
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace vz::test
