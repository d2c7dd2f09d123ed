// The shortcut entry box, the shortcuts dialog (OK, Cancel, marks, printing
// to a PDF file), the capture dialog and the monitor details window, in an
// App on the fake platform.

#include "app_fixture.h"

#include "core/shortcuts/shortcut_keys.h"
#include "ui/capture/capture_dialog.h"
#include "ui/details/monitor_details_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/shortcuts/shortcuts_dialog.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/shortcut_edit.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

namespace vz::test {
namespace {

// A key pressed and let go over `w`, as the keyboard delivers it.
void keyClick(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(w, &release);
}

void keyEvent(QWidget* w, QEvent::Type type, int key, Qt::KeyboardModifiers mods) {
    QKeyEvent e(type, key, mods);
    QCoreApplication::sendEvent(w, &e);
}

// Lets the event loop run for a moment (messages are shown from it).
void runEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ShortcutEditTest, RecordsTheCombinationAsPressed) {
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        QString text;  // the box afterwards, starting from "Alt+Q"
    };
    const Case cases[] = {
        {Qt::Key_F11, Qt::ControlModifier, QStringLiteral("Ctrl+F11")},
        {Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, QStringLiteral("Shift+Ctrl+Alt+A")},
        {Qt::Key_Tab, Qt::NoModifier, QStringLiteral("Tab")},
        {Qt::Key_Backtab, Qt::ShiftModifier, QStringLiteral("Shift+Tab")},
        {Qt::Key_Backspace, Qt::ControlModifier, QStringLiteral("Ctrl+BkSp")},
        {Qt::Key_Backspace, Qt::NoModifier, QString()},  // empties the box
        {Qt::Key_Delete, Qt::NoModifier, QString()},
        {Qt::Key_Escape, Qt::NoModifier, QStringLiteral("Alt+Q")},  // left to the dialog
        {Qt::Key_F24, Qt::NoModifier, QStringLiteral("F24")},
    };
    for (const Case& k : cases) {
        ShortcutEdit box;
        box.setShortcut(shortcut::Alt | 'Q');
        keyClick(&box, k.key, k.mods);
        EXPECT_EQ(box.text(), k.text) << k.text.toStdString();
        EXPECT_EQ(box.shortcut(), shortcutFromText(k.text)) << k.text.toStdString();
    }

    // A modifier held alone shows as a prefix until it is let go. The
    // events carry the state before the change, as X delivers them.
    ShortcutEdit box;
    keyEvent(&box, QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(box.text(), QStringLiteral("Ctrl+"));
    keyEvent(&box, QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(box.text(), QString());
    EXPECT_EQ(box.shortcut(), 0);
}

// The keyboard tells which key was pressed: Qt's key is the symbol Shift or
// the layout gives it, which names no key of a shortcut.
TEST(ShortcutEditTest, RecordsTheKeyPressedNotTheSymbolItGives) {
    constexpr quint32 kCodeOfOne = 10, kCodeOfSemicolon = 47;
    FakeDesktop desktop;
    desktop.keyboard = {{kCodeOfOne, {'1', '!'}}, {kCodeOfSemicolon, {';', ':'}}};
    Platform platform = makeFakePlatform(desktop);
    struct Case {
        quint32 code;
        int key;
        Qt::KeyboardModifiers mods;
        const char* text;
    };
    const Case cases[] = {
        {kCodeOfOne, Qt::Key_Exclam, Qt::ShiftModifier, "Shift+1"},
        {kCodeOfSemicolon, Qt::Key_Colon, Qt::ShiftModifier | Qt::ControlModifier, "Shift+Ctrl+;"},
        {0, Qt::Key_F7, Qt::AltModifier, "Alt+F7"},  // no native code: Qt's key
    };
    for (const Case& k : cases) {
        ShortcutEdit box;
        box.setKeyboard(platform.globalKeys.get());
        QKeyEvent press(QEvent::KeyPress, k.key, k.mods, k.code, 0, 0);
        QCoreApplication::sendEvent(&box, &press);
        EXPECT_EQ(box.text(), QString::fromLatin1(k.text));
        EXPECT_EQ(box.shortcut(), shortcutFromText(QString::fromLatin1(k.text))) << k.text;
    }
}

class ShortcutsWindowsTest : public AppFixture {
protected:
    QString configPath() const { return configDir.path() + QStringLiteral("/Vivivoz.cfg"); }
    void writeConfig(const QByteArray& text) {
        QFile f(configPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    ShortcutsDialog& shortcuts() { return *app->shortcutsDialog; }
    ShortcutEdit* box(ShortcutAction a) { return shortcuts().boxes[std::size_t(a)]; }
    CaptureDialog& capture() { return *app->captureDialog; }
};

TEST_F(ShortcutsWindowsTest, DialogShowsTheActionsInTwoColumnsAndTheStoredKeys) {
    writeConfig("[Options]\r\nHotKey6=Ctrl+F9\r\nHotKey9=Alt+Q\r\n");
    startApp();
    EXPECT_EQ(shortcuts().windowTitle(), QStringLiteral("Vivivoz - Create Shortcuts"));
    for (int row = 0; row < 5; ++row) {
        QLabel* left = shortcuts().labels[std::size_t(kShortcutLeftColumn[row])];
        QLabel* right = shortcuts().labels[std::size_t(kShortcutRightColumn[row])];
        EXPECT_EQ(left->y(), right->y());
        EXPECT_LT(left->x(), right->x());
    }
    EXPECT_EQ(shortcuts().labels[std::size_t(ShortcutAction::LockCursor)]->text(),
              QStringLiteral("Lock Cursor Onto Screen"));
    EXPECT_EQ(box(ShortcutAction::StopAll)->text(), QStringLiteral("Ctrl+F9"));
    EXPECT_EQ(box(ShortcutAction::AutoHideToolbar)->text(), QStringLiteral("Alt+Q"));
    EXPECT_EQ(box(ShortcutAction::SendToOutput)->text(), QString());
}

TEST_F(ShortcutsWindowsTest, OkTakesAndStoresTheBoxesCancelDropsThem) {
    writeConfig("[Options]\r\nHotKey3=Ctrl+F9\r\nrefreshRate=12\r\n");
    startApp();
    // Cancel: the edit is lost at the next load.
    keyClick(box(ShortcutAction::StopAll), Qt::Key_F5, Qt::AltModifier);
    shortcuts().cancelButton->click();
    shortcuts().reload();
    EXPECT_EQ(box(ShortcutAction::StopAll)->shortcut(), 0);

    // The combination moves from Show Toolbar to Send to Second Monitor.
    keyClick(box(ShortcutAction::ShowToolbar), Qt::Key_Backspace);
    keyClick(box(ShortcutAction::SendToOutput), Qt::Key_F9, Qt::ControlModifier);
    shortcuts().okButton->click();
    EXPECT_TRUE(controller().keys().taken(ShortcutAction::SendToOutput));
    EXPECT_FALSE(box(ShortcutAction::SendToOutput)->notTaken());
    const QByteArray text = readFile(configPath());
    EXPECT_TRUE(text.contains("HotKey1=Ctrl+F9\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("HotKey3=\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("refreshRate=12\r\n")) << text.constData();
}

TEST_F(ShortcutsWindowsTest, CombinationNotTakenIsMarkedAndReported) {
    startApp();
    desktop.keysHeldElsewhere = {keyCombinationOf(shortcut::Ctrl | 0x78)};
    keyClick(box(ShortcutAction::StopAll), Qt::Key_F9, Qt::ControlModifier);
    shortcuts().okButton->click();
    EXPECT_TRUE(box(ShortcutAction::StopAll)->notTaken());
    EXPECT_TRUE(box(ShortcutAction::StopAll)->toolTip().contains(QStringLiteral("another program")));
    EXPECT_EQ(box(ShortcutAction::StopAll)->text(), QStringLiteral("Ctrl+F9"));  // the choice stays
    EXPECT_FALSE(box(ShortcutAction::ShowPreview)->notTaken());
    runEventLoop(20);
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].contains(QStringLiteral("\"Ctrl+F9\" (Stop All)")));
    EXPECT_TRUE(readFile(configPath()).contains("HotKey6=Ctrl+F9\r\n"));
}

TEST_F(ShortcutsWindowsTest, PrintsTheKeysInForceToAPdfFile) {
    writeConfig("[Options]\r\nHotKey1=Ctrl+F9\r\n");
    startApp();
    const QString pdf = configDir.path() + QStringLiteral("/shortcuts.pdf");
    shortcuts().choosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    shortcuts().printButton->click();
    const QByteArray data = readFile(pdf);
    EXPECT_TRUE(data.startsWith("%PDF")) << "no PDF written";
    EXPECT_GT(data.size(), 1000);
    EXPECT_TRUE(desktop.asked.isEmpty());

    // Cancel in the printer dialog prints nothing.
    QFile::remove(pdf);
    shortcuts().choosePrinter = [](QPrinter&) { return false; };
    shortcuts().printButton->click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(desktop.asked.isEmpty());

    // A PDF path that cannot be written: the error box.
    shortcuts().choosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(configDir.path() + QStringLiteral("/no/such/folder/x.pdf"));
        return true;
    };
    shortcuts().printButton->click();
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("Error Printing text.")});
}

TEST_F(ShortcutsWindowsTest, PrintedLinesRunOverOntoNewPages) {
    startApp();
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = configDir.path() + QStringLiteral("/long.pdf");
    printer.setOutputFileName(pdf);
    QStringList lines;
    for (int i = 0; i < 300; ++i) lines << QStringLiteral("line %1").arg(i);
    ASSERT_TRUE(printTextLines(printer, lines));
    const QByteArray data = readFile(pdf);
    EXPECT_GE(data.count("/Type /Page\n") + data.count("/Type /Page\r") + data.count("/Type /Page "), 2)
        << "300 lines of 12 points fit no single page";
}

TEST_F(ShortcutsWindowsTest, CaptureDialogStartArmsTheKeyAndHides) {
    writeConfig("[Options]\r\nHotKey=Ctrl+F10\r\nImgCounter=10\r\nCbBeep=1\r\n");
    startApp();
    CaptureDialog& d = capture();
    EXPECT_EQ(d.previewLabel->text(), QStringLiteral("[ image10 ]"));
    EXPECT_EQ(d.keyBox->text(), QStringLiteral("Ctrl+F10"));
    EXPECT_TRUE(d.beepBox->isChecked());
    EXPECT_EQ(d.beepBox->text(), QStringLiteral("On"));
    d.nameEdit->setText(QStringLiteral("shot"));
    d.counterBox->setValue(7);
    EXPECT_EQ(d.previewLabel->text(), QStringLiteral("[ shot7 ]"));

    controller().openImageCapture();
    ASSERT_TRUE(d.isVisible());
    d.startButton->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.startButton->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(desktop.registeredKeys.contains(KeyBindings::kCaptureKeyId));

    // The key writes the edited number, then carries on from it.
    const QString folder = configDir.path() + QStringLiteral("/shots/");
    QDir().mkpath(folder);
    d.folderEdit->setText(folder);
    d.typeBox->setCurrentIndex(2);
    controller().requestView(View::Output, true);
    desktop.screen = QImage(3200, 1080, QImage::Format_RGB32);
    desktop.screen.fill(Qt::darkCyan);
    controller().startDesktop();
    controller().frames().tick();
    controller().frames().tick();
    ASSERT_TRUE(pressGlobalKey(desktop, KeyBindings::kCaptureKeyId));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("shot7.bmp"))) << desktop.asked.join('\n').toStdString();
    EXPECT_EQ(d.counterBox->value(), 8);
    EXPECT_EQ(desktop.beeps.last(), Prompter::Icon::None);

    // The type box takes no typed entry: a name and Enter add nothing and
    // leave the chosen type.
    for (const QChar ch : QStringLiteral("GIF")) {
        QKeyEvent typed(QEvent::KeyPress, ch.unicode(), Qt::NoModifier, QString(ch));  // Qt::Key_G is 'G'
        QCoreApplication::sendEvent(d.typeBox, &typed);
    }
    keyClick(d.typeBox, Qt::Key_Return);
    EXPECT_EQ(d.typeBox->count(), 3);
    EXPECT_EQ(controller().imageCapture().form().typeEntry, 2);
    pressGlobalKey(desktop, KeyBindings::kCaptureKeyId);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("shot8.bmp")));
    EXPECT_TRUE(desktop.asked.isEmpty()) << desktop.asked.join('\n').toStdString();

    // Stop, after reopening: disarmed, the dialog stays.
    controller().openImageCapture();
    d.startButton->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.startButton->text(), QStringLiteral("Start"));
    EXPECT_FALSE(desktop.registeredKeys.contains(KeyBindings::kCaptureKeyId));

    // An empty box: nothing but the stored text.
    keyClick(d.keyBox, Qt::Key_Delete);
    d.startButton->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.startButton->text(), QStringLiteral("Start"));
    EXPECT_EQ(controller().settings().captureKeyText, QString());
}

TEST_F(ShortcutsWindowsTest, BrowseGivesTheFolderItsTrailingSlash) {
    startApp();
    CaptureDialog& d = capture();
    QString startedAt;
    for (const auto& [chosen, shown] : {std::pair{QStringLiteral("/tmp/shots"), QStringLiteral("/tmp/shots/")},
                                        std::pair{QStringLiteral("/"), QStringLiteral("/")}}) {
        d.chooseFolder = [&, chosen = chosen](const QString& start) {
            startedAt = start;
            return chosen;
        };
        d.browseButton->click();
        EXPECT_EQ(d.folderEdit->text(), shown);
        EXPECT_EQ(controller().imageCapture().form().folder, shown);
    }
    EXPECT_EQ(startedAt, QStringLiteral("/tmp/shots"));         // opens where it was last
    d.chooseFolder = [](const QString&) { return QString(); };  // Cancel
    d.browseButton->click();
    EXPECT_EQ(d.folderEdit->text(), QStringLiteral("/"));
}

TEST_F(ShortcutsWindowsTest, MonitorDetailsAppendAListingEachTime) {
    desktop.outputs = {{QStringLiteral("DP-1"), QString(), true, true, QSize(1920, 1080), 60, 24}};
    startApp();
    MonitorDetailsWindow& w = *app->monitorDetails;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vivivoz - Monitor Details"));
    EXPECT_EQ(w.header->text(), QStringLiteral("    Monitor Details"));
    w.appendListing();
    const QString once = w.listing->toPlainText();
    EXPECT_TRUE(once.contains(QStringLiteral("Monitor 1\nDP-1\n\nResolution 1920 x 1080\nBits per pixels 24\n")))
        << once.toStdString();
    w.appendListing();
    EXPECT_EQ(w.listing->toPlainText(), once + QLatin1Char('\n') + once);
}

TEST_F(ShortcutsWindowsTest, TrayAndSettingsOpenTheWindows) {
    startApp();
    TrayIcon& tray = *app->tray;
    tray.monitorDetailsAction->trigger();
    EXPECT_TRUE(controller().isShown(View::MonitorDetails));
    tray.captureAction->trigger();
    EXPECT_TRUE(controller().isShown(View::ImageCapture));
    app->captureDialog->closeButton->click();
    EXPECT_FALSE(controller().isShown(View::ImageCapture));
    app->settingsDialog->captureButton->click();
    EXPECT_TRUE(controller().isShown(View::ImageCapture));
}

}  // namespace
}  // namespace vz::test
