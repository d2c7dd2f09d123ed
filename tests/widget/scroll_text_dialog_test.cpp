// The scrolling-text dialog on the fake platform: its controls, Send Text and
// Hide on the output window and the preview, files and custom colours.

#include "app_fixture.h"

#include "core/scrolltext/custom_colours.h"
#include "core/scrolltext/scroll_text_look.h"
#include "ui/output/output_window.h"
#include "ui/preview/preview_window.h"
#include "ui/scrolltext/scroll_text_dialog.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/scroll_band.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/track_bar.h"

#include <QColorDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>

#include <functional>

#include "pump_events.h"

namespace vz::test {
namespace {

class ScrollTextDialogTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
    }
    ScrollTextDialog& dlg() { return *app->scrollTextDialog; }
    OutputWindow& out() { return *app->output; }
    QString path(const QString& name) const { return configDir.path() + QLatin1Char('/') + name; }
    QByteArray read(const QString& file) {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        return f.readAll();
    }
    void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(ScrollTextDialogTest, ScrollTextFromTheTrayAndTheSettingsDialogOpensTheDialog) {
    EXPECT_TRUE(dlg().isHidden());
    controller().openScrollText();
    EXPECT_TRUE(dlg().isVisible());
    EXPECT_TRUE(controller().isShown(View::ScrollText));
    dlg().closeButton->click();
    EXPECT_TRUE(dlg().isHidden());
    EXPECT_FALSE(controller().isShown(View::ScrollText));
}

// Whatever is clicked, exactly one of Top and Bottom is ticked, and each
// box's caption says its state.
TEST_F(ScrollTextDialogTest, TopAndBottomAreNeverBothOrNeither) {
    struct Case {
        const char* clicks;  // 't': Top, 'b': Bottom
        bool top;
    } cases[] = {{"", false}, {"t", true}, {"b", true}, {"tt", false}, {"tb", false}, {"bb", false}, {"ttt", true}};
    for (const Case& c : cases) {
        startApp();
        for (const char* k = c.clicks; *k; ++k) (*k == 't' ? dlg().topBox : dlg().bottomBox)->click();
        EXPECT_EQ(dlg().topBox->isChecked(), c.top) << c.clicks;
        EXPECT_EQ(dlg().bottomBox->isChecked(), !c.top) << c.clicks;
        EXPECT_EQ(dlg().topBox->text(), c.top ? "On" : "Off") << c.clicks;
        EXPECT_EQ(dlg().bottomBox->text(), c.top ? "Off" : "On") << c.clicks;
    }
}

// The track bar gives the banner 200 - position pixels; the preview is never
// lower than 7 and sits at 89 - its height div 2, and after a text change at 105 - ...
TEST_F(ScrollTextDialogTest, HeightTrackBarSetsLabelPreviewAndSentBanner) {
    struct Case {
        int position;
        const char* label;
        int preview, banner;
    } cases[] = {{180, "Height: 20 px", 20, 20},
                 {194, "Height: 6 px", 7, 6},
                 {193, "Height: 7 px", 7, 7},
                 {1, "Height: 199 px", 199, 199}};
    out().showOnSecondary();
    for (const Case& c : cases) {
        dlg().heightTrack->setValue(c.position);
        dlg().heightTrack->setValue(c.position == 1 ? 2 : 1);  // a change from both sides
        dlg().heightTrack->setValue(c.position);
        EXPECT_EQ(dlg().heightLabel->text(), c.label);
        EXPECT_EQ(dlg().bannerPreview->height(), c.preview) << c.position;
        EXPECT_EQ(dlg().bannerPreview->y(), 89 - c.preview / 2) << c.position;
        dlg().textEdit->setText(QStringLiteral("x%1").arg(c.position));
        EXPECT_EQ(dlg().bannerPreview->y(), 105 - c.preview / 2) << c.position;
        dlg().sendButton->click();
        EXPECT_EQ(out().banner->maximumHeight(), c.banner) << c.position;
        EXPECT_EQ(out().banner->minimumHeight(), c.banner) << c.position;
    }
}

// The smallest position (the highest banner) is at the top: the keys and the
// wheel move the handle the way they point.
TEST_F(ScrollTextDialogTest, HeightTrackBarKeysAndWheelMoveTheHandleTheirWay) {
    struct Case {
        const char* what;
        int key;         // 0: the wheel
        int wheelDelta;  // > 0: turned away from the user
        int position;    // from 180; for the wheel only the side of 180 counts
    } const cases[] = {
        {"Up", Qt::Key_Up, 0, 179},
        {"Left", Qt::Key_Left, 0, 179},
        {"Page Up", Qt::Key_PageUp, 0, 161},
        {"wheel away", 0, 120, 179},
        {"Down", Qt::Key_Down, 0, 181},
        {"Right", Qt::Key_Right, 0, 181},
        {"Page Down", Qt::Key_PageDown, 0, 194},
        {"wheel toward", 0, -120, 181},
    };
    TrackBar& track = *dlg().heightTrack;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        track.setValue(180);
        if (c.key) {
            QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
            QCoreApplication::sendEvent(&track, &press);
        } else {
            const QPointF middle(track.width() / 2.0, track.height() / 2.0);
            QWheelEvent wheel(middle, track.mapToGlobal(middle), QPoint(), QPoint(0, c.wheelDelta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&track, &wheel);
        }
        if (c.key)
            EXPECT_EQ(track.value(), c.position);
        else
            EXPECT_EQ(track.value() < 180, c.position < 180) << track.value();
        EXPECT_EQ(dlg().heightLabel->text(), QStringLiteral("Height: %1 px").arg(200 - track.value()));
    }
}

TEST_F(ScrollTextDialogTest, TypingStartsThePreviewAndStepAndIntervalReachIt) {
    EXPECT_FALSE(dlg().bannerPreview->ticker().active());
    dlg().textEdit->setText(QStringLiteral("Hello"));
    EXPECT_TRUE(dlg().bannerPreview->ticker().active());
    EXPECT_EQ(dlg().bannerPreview->text(), "Hello");
    ASSERT_TRUE(pumpUntil([&] { return dlg().bannerPreview->ticker().positions().headOffset > 3; }));
    // Clearing is a change too: the preview keeps running, empty.
    dlg().clearButton->click();
    EXPECT_EQ(dlg().textEdit->text(), "");
    EXPECT_TRUE(dlg().bannerPreview->ticker().active());

    struct Case {
        int step, interval;
        int bandStep;
        unsigned bandInterval;
    } cases[] = {{300, 300, 44, 300}, {256, 1, 1, 1}, {255, 20, 255, 20}, {1, 10, 1, 10}};
    for (const Case& c : cases) {
        dlg().stepSpin->setValue(c.step);
        dlg().intervalSpin->setValue(c.interval);
        EXPECT_EQ(dlg().bannerPreview->ticker().step(), c.bandStep) << c.step;
        EXPECT_EQ(dlg().bannerPreview->ticker().interval(), c.bandInterval) << c.interval;
    }
}

TEST_F(ScrollTextDialogTest, SendTextDocksTheBannerAndShowsTheStripHideTakesBothAway) {
    out().showOnSecondary();
    app->preview->show();
    dlg().textEdit->setText(QStringLiteral("News"));
    dlg().setBackgroundColour(QColor(0, 0, 128));
    dlg().stepSpin->setValue(3);
    dlg().intervalSpin->setValue(20);

    for (bool top : {false, true}) {
        if (top) dlg().topBox->click();
        dlg().sendButton->click();
        ScrollBand& banner = *out().banner;
        ASSERT_TRUE(banner.isVisible());
        EXPECT_TRUE(banner.ticker().active());
        EXPECT_EQ(banner.text(), "News");
        EXPECT_EQ(banner.ticker().step(), 3);
        EXPECT_EQ(banner.ticker().interval(), 20u);
        EXPECT_EQ(banner.look().background, QColor(0, 0, 128));
        ASSERT_TRUE(pumpUntil([&] {
            return banner.width() == out().width() &&
                   (top ? banner.y() == 0 : banner.geometry().bottom() == out().height() - 1);
        })) << banner.y();
        // The preview's strip stands for it: same edge, the text, the colours.
        QLabel& strip = *app->preview->bannerStrip;
        ASSERT_TRUE(strip.isVisible());
        EXPECT_EQ(strip.text(), "News");
        EXPECT_EQ(strip.palette().color(QPalette::Window), QColor(0, 0, 128));
        EXPECT_TRUE(pumpUntil([&] { return (strip.y() < app->preview->picturePanel->y()) == top; })) << strip.y();
    }

    // The band moves on the output: its picture shows the text's colour somewhere.
    ASSERT_TRUE(pumpUntil([&] { return out().banner->ticker().positions().headOffset > 30; }));

    dlg().hideButton->click();
    EXPECT_TRUE(out().banner->isHidden());
    EXPECT_FALSE(out().banner->ticker().active());
    EXPECT_FALSE(out().banner->ticker().isRunning());
    EXPECT_TRUE(app->preview->bannerStrip->isHidden());

    // Send Text after Hide: the old positions, the current text.
    const auto before = out().banner->ticker().positions();
    dlg().textEdit->setText(QStringLiteral("Later"));
    dlg().sendButton->click();
    EXPECT_GE(out().banner->ticker().positions().headLoops, before.headLoops);
    EXPECT_NE(out().banner->ticker().positions().visibleCount, 0);
    EXPECT_EQ(out().banner->text(), "Later");

    // Stop All hides it too.
    controller().stopAll();
    EXPECT_TRUE(out().banner->isHidden());
    EXPECT_FALSE(out().banner->ticker().active());
}

TEST_F(ScrollTextDialogTest, SaveWritesTheHelloExampleAndOpenBringsEveryValueBack) {
    dlg().textEdit->setText(QStringLiteral("Hello"));
    const QString file = path(QStringLiteral("hello.sct"));
    ASSERT_TRUE(dlg().saveFile(file));
    EXPECT_EQ(read(file),
              "[scroll]\r\ntext=Hello\r\ngb2=10456972\r\nxinterval=10\r\nxstep=1\r\nxHeight=180\r\n"
              "backcolor=16777215\r\nheight=20\r\nposition=1\r\nfcolor=-16777208\r\nfheight=-11\r\n"
              "fname=MS Sans Serif\r\nfpitch=-16777208\r\nfsize=8\r\nfs1=0\r\nfs2=0\r\nfs3=0\r\nfs4=0\r\n\r\n");

    // Another file with every value changed, a bold italic font, other sections.
    const QString other = path(QStringLiteral("other.sct"));
    write(other,
          "[keep]\r\na=1\r\n[SCROLL]\r\ntext=  Other text  \r\ngb2=255\r\nxinterval=500\r\nxstep=$10\r\n"
          "xHeight=194\r\nbackcolor=0x00FF00\r\nheight=7\r\nposition=0\r\nfcolor=16711680\r\n"
          "fheight=-20\r\nfname=DejaVu Sans\r\nfsize=8\r\nfs1=1\r\nfs2=1\r\n");
    ASSERT_TRUE(dlg().openFile(other));
    EXPECT_EQ(dlg().textEdit->text(), "Other text");
    EXPECT_EQ(dlg().intervalSpin->value(), 300);
    EXPECT_EQ(dlg().stepSpin->value(), 16);
    EXPECT_EQ(dlg().heightTrack->value(), 194);
    EXPECT_EQ(dlg().heightLabel->text(), "Height: 6 px");
    EXPECT_EQ(dlg().bannerPreview->height(), 7);
    EXPECT_EQ(dlg().bannerPreview->y(), 105 - 7 / 2);
    EXPECT_TRUE(dlg().topBox->isChecked());
    EXPECT_EQ(dlg().previewPanel->palette().color(QPalette::Window), QColor(255, 0, 0));
    const BandLook look = dlg().bannerPreview->look();
    EXPECT_EQ(look.background, QColor(0, 255, 0));
    EXPECT_EQ(look.textColour, QColor(0, 0, 255));
    EXPECT_TRUE(look.font.bold());
    EXPECT_TRUE(look.font.italic());
    const ScrollTextSettings now = dlg().currentSettings();
    EXPECT_EQ(now.fontSize, 8);  // fsize wins over fheight
    EXPECT_TRUE(dlg().bannerPreview->ticker().active());
    // The file was written back in the normal form, the other section kept.
    const QByteArray back = read(other);
    EXPECT_TRUE(back.startsWith("[keep]\r\na=1\r\n\r\n[SCROLL]\r\n")) << back.toStdString();

    // Saving the same values and opening them again changes nothing.
    const QString again = path(QStringLiteral("again.sct"));
    ASSERT_TRUE(dlg().saveFile(again));
    ASSERT_TRUE(dlg().openFile(again));
    EXPECT_EQ(dlg().currentSettings(), now);
}

TEST_F(ScrollTextDialogTest, FilesThatCannotBeReadOrWrittenAreReported) {
    const QString folder = path(QStringLiteral("folder.sct"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString plain = path(QStringLiteral("plain"));
    write(plain, "not a folder");
    EXPECT_FALSE(dlg().saveFile(plain + QStringLiteral("/x.sct")));
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked.last().startsWith("Cannot create file \"")) << desktop.asked.last().toStdString();

    dlg().textEdit->setText(QStringLiteral("kept"));
    EXPECT_FALSE(dlg().openFile(folder));
    ASSERT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(desktop.asked.last().startsWith("Cannot open file \"")) << desktop.asked.last().toStdString();
    EXPECT_EQ(dlg().textEdit->text(), "kept");
    EXPECT_TRUE(dlg().bannerPreview->ticker().active());
}

TEST_F(ScrollTextDialogTest, ClosingWritesTheCustomColours) {
    controller().openScrollText();
    QColorDialog::setCustomColor(0, QColor(0x11, 0x22, 0x33));
    QColorDialog::setCustomColor(15, QColor(0xff, 0x00, 0x80));
    dlg().close();
    const auto colours = loadCustomColours(dlg().customColoursPath());
    ASSERT_TRUE(colours.has_value());
    EXPECT_EQ((*colours)[0], valueFromColour(QColor(0x11, 0x22, 0x33)));
    EXPECT_EQ((*colours)[15], valueFromColour(QColor(0xff, 0x00, 0x80)));
    EXPECT_TRUE(read(dlg().customColoursPath()).contains("ColorA=332211\r\n"));
}

}  // namespace
}  // namespace vz::test
