// The slideshow editor on the fake platform: adding files (dialog and
// drops) with their sizes read on workers, the list buttons, sorting, the
// preview and Send, the two files, Open Project's messages and the save
// prompt on closing.

#include "app_fixture.h"
#include "pump_events.h"

#include "ui/output/output_window.h"
#include "ui/slideshow/slideshow_editor.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/transition_view.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

namespace vz::test {
namespace {

using Answer = Prompter::Answer;

class EditorTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
        // Transitions step on this thread's timer: no frame thread here.
        app->output->transitionView->engine().setThreaded(false);
        app->output->showOnSecondary();
        controller().makeSlideshow();
        ASSERT_TRUE(editor().isVisible());
        QObject::connect(&controller(), &Controller::outputTransition, app.get(),
                         [this](const QImage& p, int) { sent << p.size(); });
    }
    SlideshowEditor& editor() { return *app->slideshowEditor; }
    QString dir() const { return configDir.path(); }
    QString picture(const QString& name, QSize size) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QString path = dir() + QLatin1Char('/') + name;
        EXPECT_TRUE(img.save(path, "PNG"));
        return path;
    }
    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = dir() + QLatin1Char('/') + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QByteArray read(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QStringList column(int c) const {
        QStringList texts;
        for (int i = 0; i < editorConst().list->topLevelItemCount(); ++i)
            texts << editorConst().list->topLevelItem(i)->text(c);
        return texts;
    }
    const SlideshowEditor& editorConst() const { return *app->slideshowEditor; }
    void addChosen(const QStringList& paths) {
        desktop.chosenFileLists = {paths};
        editor().addButton->click();
    }
    // Runs the event loop until every size read has been shown.
    void waitForSizes() {
        ASSERT_TRUE(pumpUntil([this] { return editor().readsPending() == 0; }));
    }
    QList<QSize> sent;
};

TEST_F(EditorTest, AddImagesListsEveryChosenFileAndNamesThoseItCouldNotRead) {
    const QString a = picture(QStringLiteral("a.png"), {64, 48});
    const QString bad = file(QStringLiteral("bad.png"), "not a picture at all");
    const QString c = picture(QStringLiteral("c.png"), {30, 40});
    const QString gif = file(QStringLiteral("d.gif"), "GIF89a");
    const QString txt = file(QStringLiteral("notes.txt"), "hello");
    desktop.asked.clear();
    addChosen({a, bad, gif, txt, c, a});  // the GIF and the second a.png are refused
    // Listed at once; the sizes come from the workers through the event loop.
    EXPECT_EQ(column(4), QStringList(4, QString()));
    EXPECT_EQ(editor().readsPending(), 3);
    EXPECT_TRUE(desktop.asked.isEmpty());
    waitForSizes();
    EXPECT_TRUE(desktop.fileFilters.last().startsWith(QStringLiteral("All (*.jpg;*.jpeg;*.bmp;*.png)")));
    EXPECT_EQ(column(0), QStringList({"a.png", "bad.png", "notes.txt", "c.png"}));
    EXPECT_EQ(column(1)[1], QStringLiteral("20"));
    EXPECT_EQ(column(3), QStringList(4, QDir(dir()).absolutePath()));
    EXPECT_EQ(column(4), QStringList({"64 X 48", "", "", "30 X 40"}));
    EXPECT_FALSE(column(2)[0].isEmpty());
    ASSERT_EQ(desktop.asked.size(), 1);  // one message for the whole choice, naming the file
    EXPECT_TRUE(desktop.asked[0].contains(bad)) << qPrintable(desktop.asked[0]);
    EXPECT_TRUE(editor().listChanged());

    // Cancelled: nothing added, the list still counts as changed.
    desktop.chosenFileLists.clear();
    editor().addButton->click();
    EXPECT_EQ(editor().rows().size(), 4u);
}

TEST_F(EditorTest, NamesWithLineBreaksAreRefusedWithAMessage) {
    // Each would be written as two lines of a slideshow file and read back
    // as two entries.
    const QString lf = picture(QStringLiteral("two\nlines.png"), {8, 8});
    const QString cr = file(QStringLiteral("notes\r.txt"), "x");
    const QString ok = picture(QStringLiteral("ok.png"), {8, 8});
    desktop.asked.clear();
    addChosen({lf, ok, cr});
    waitForSizes();
    EXPECT_EQ(column(0), QStringList{QStringLiteral("ok.png")});
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_EQ(desktop.asked[0], QStringLiteral("Cannot list \"%1/two\\nlines.png\": the file name holds a line break, "
                                               "which a slideshow file cannot store.\n"
                                               "Cannot list \"%1/notes\\r.txt\": the file name holds a line break, "
                                               "which a slideshow file cannot store.")
                                    .arg(dir()));
}

TEST_F(EditorTest, SizesArriveInBatchesWithProgressAndFollowTheirRowsThroughEdits) {
    // Widths 11.. name the rows, whatever order the list is in. More files
    // than one slice: the rest are listed from the event loop.
    const int count = SlideshowEditor::kListSlice + 5, total = count + 1;
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << picture(QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0')), {10 + i, 5});
    const QString bad = file(QStringLiteral("bad.jpg"), "no picture");
    int batches = 0;
    QObject::connect(&editor(), &SlideshowEditor::sizesShown, app.get(), [&] { ++batches; });
    desktop.asked.clear();
    addChosen(paths + QStringList{bad});
    EXPECT_EQ(editor().rows().size(), size_t(SlideshowEditor::kListSlice));
    EXPECT_EQ(editor().readsPending(), total);
    EXPECT_FALSE(editor().readProgress->isHidden());
    EXPECT_EQ(editor().readProgress->maximum(), total);
    EXPECT_EQ(editor().readProgress->value(), 0);
    editor().sortByColumn(0);  // descending, while the reads are under way
    ASSERT_TRUE(pumpUntil([&] { return batches > 0; }));
    if (editor().readsPending() > 0) {
        EXPECT_EQ(editor().readProgress->value(), total - editor().readsPending());
        EXPECT_FALSE(editor().readProgress->isHidden());
    }
    waitForSizes();
    EXPECT_TRUE(editor().readProgress->isHidden());
    const QStringList names = column(0), sizes = column(4);
    ASSERT_EQ(names.size(), total);
    for (int r = 0; r < total; ++r) {
        const QString want = names[r] == QStringLiteral("bad.jpg")
                                 ? QString()
                                 : QStringLiteral("%1 X 5").arg(10 + names[r].mid(1, 2).toInt());
        EXPECT_EQ(sizes[r], want) << qPrintable(names[r]);
    }
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].contains(bad));
}

TEST_F(EditorTest, RowsThatLeaveBeforeTheirSizeIsReadDropTheirResultsAndMessages) {
    const QString a = picture(QStringLiteral("a.png"), {6, 7});
    const QString badA = file(QStringLiteral("bad1.png"), "x"), badB = file(QStringLiteral("bad2.bmp"), "y");
    const QString b = picture(QStringLiteral("b.png"), {9, 4});
    desktop.asked.clear();
    addChosen({badA, a, badB, b});
    editor().selectRows({0, 1});  // bad1.png and a.png go before their sizes are in
    editor().removeButton->click();
    EXPECT_EQ(editor().readsPending(), 2);
    waitForSizes();
    EXPECT_EQ(column(0), QStringList({"bad2.bmp", "b.png"}));
    EXPECT_EQ(column(4), QStringList({"", "9 X 4"}));
    ASSERT_EQ(desktop.asked.size(), 1);  // only the file still listed is named
    EXPECT_TRUE(desktop.asked[0].contains(badB));
    EXPECT_FALSE(desktop.asked[0].contains(badA));

    // Clear All and Open Project while files are still being listed and
    // read: nothing arrives later, no message, the progress bar goes at once.
    QStringList many{picture(QStringLiteral("c.png"), {3, 3}), file(QStringLiteral("bad3.jpg"), "z")};
    for (int i = 0; i < 2 * SlideshowEditor::kListSlice; ++i) many << file(QStringLiteral("n%1.txt").arg(i), "t");
    for (const bool clear : {true, false}) {
        desktop.asked.clear();
        addChosen(many);
        EXPECT_EQ(editor().readsPending(), 2 + SlideshowEditor::kListSlice + 2);
        if (clear) {
            desktop.answers = {Answer::Yes};
            editor().clearButton->click();
        } else {
            desktop.chosenFiles = {file(QStringLiteral("empty.mef"), "1\r\n5\r\n")};
            editor().openProjectButton->click();
        }
        EXPECT_EQ(editor().readsPending(), 0);
        EXPECT_TRUE(editor().readProgress->isHidden());
        pumpUntil([] { return false; }, 50);  // any result still under way comes and goes
        EXPECT_TRUE(editor().rows().empty());
        EXPECT_EQ(desktop.asked.size(), clear ? 1 : 0) << clear;  // the Clear All question alone
    }

    // Saving and playing need no sizes; closing leaves the reads to finish
    // quietly and the list keeps them.
    const QString vsl = dir() + QStringLiteral("/pending.vsl");
    addChosen({a, badA});
    desktop.chosenFiles = {vsl};
    editor().saveSlideshowButton->click();
    EXPECT_EQ(read(vsl), "5\r\nOn\r\n" + a.toUtf8() + "\r\n" + badA.toUtf8() + "\r\n");
    playSlideshowsOnThisThread();
    editor().playButton->click();
    EXPECT_TRUE(controller().slideshowPlayback().editorPlaying());
    EXPECT_EQ(editor().readsPending(), 2);
    desktop.asked.clear();
    editor().close();
    waitForSizes();
    EXPECT_TRUE(desktop.asked.isEmpty());
    EXPECT_EQ(column(4), QStringList({"6 X 7", ""}));
}

TEST_F(EditorTest, RemoveMoveAndClearAll) {
    QStringList paths;
    for (const char* n : {"p0.png", "p1.png", "p2.png", "p3.png"}) paths << picture(QString::fromLatin1(n), {8, 8});
    addChosen(paths);
    editor().selectRows({0});
    editor().upButton->click();  // the first row up goes to the end
    EXPECT_EQ(column(0), QStringList({"p1.png", "p2.png", "p3.png", "p0.png"}));
    EXPECT_EQ(editor().selectedRows(), QList<int>{3});
    editor().downButton->click();  // the last row down stays last
    EXPECT_EQ(column(0), QStringList({"p1.png", "p2.png", "p3.png", "p0.png"}));
    editor().selectRows({1});
    editor().downButton->click();
    EXPECT_EQ(column(0), QStringList({"p1.png", "p3.png", "p2.png", "p0.png"}));

    editor().selectRows({0, 2});
    editor().removeButton->click();
    EXPECT_EQ(column(0), QStringList({"p3.png", "p0.png"}));

    desktop.asked.clear();
    desktop.answers = {Answer::No};
    editor().clearButton->click();
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("All images will be deleted. OK? ")});
    EXPECT_EQ(editor().rows().size(), 2u);
    desktop.answers = {Answer::Yes};
    editor().clearButton->click();
    EXPECT_TRUE(editor().rows().empty());
    EXPECT_EQ(editor().counter->text(), QStringLiteral("0/0"));
}

TEST_F(EditorTest, HeaderClicksShareOneFlagAndTheFirstSortsDescending) {
    addChosen({file(QStringLiteral("b.txt"), "22"), file(QStringLiteral("a.txt"), "333"),
               file(QStringLiteral("c.txt"), "1")});
    editor().sortByColumn(1);  // Size, first click: largest first
    EXPECT_EQ(column(0), QStringList({"a.txt", "b.txt", "c.txt"}));
    editor().sortByColumn(0);  // File, second click: ascending
    EXPECT_EQ(column(0), QStringList({"a.txt", "b.txt", "c.txt"}));
    editor().sortByColumn(1);  // third click: descending again
    EXPECT_EQ(column(1), QStringList({"3", "2", "1"}));
}

TEST_F(EditorTest, PreviewShowsOneSelectedPictureAndSendsItWhileTheBoxIsChecked) {
    addChosen({picture(QStringLiteral("wide.png"), {300, 200}), picture(QStringLiteral("tall.png"), {60, 80})});
    struct {
        QList<int> rows;
        QSize preview;  // empty: nothing shown
    } const cases[] = {{{0}, {209, 139}}, {{1}, {156, 209}}, {{0, 1}, {}}};
    for (const auto& k : cases) {
        sent.clear();
        editor().selectRows(k.rows);
        editor().showSelected();
        const QPixmap shown = editor().preview->pixmap();
        EXPECT_EQ(shown.isNull() ? QSize() : shown.size(), k.preview);
        EXPECT_EQ(sent.size(), k.preview.isEmpty() ? 0 : 1);
    }
    editor().selectRows({1});
    editor().showSelected();
    EXPECT_EQ(editor().counter->text(), QStringLiteral("2 / 2"));
    EXPECT_EQ(controller().outputSurface(), OutputSurface::Transition);

    // Unchecked: the preview alone; Send puts it on the output.
    editor().monitorBox->click();
    EXPECT_EQ(editor().monitorBox->text(), QStringLiteral("Off"));
    sent.clear();
    editor().showSelected();
    EXPECT_TRUE(sent.isEmpty());
    editor().sendButton->click();
    EXPECT_EQ(sent.size(), 1);
    editor().monitorBox->click();  // checked again: Send does nothing
    editor().sendButton->click();
    EXPECT_EQ(sent.size(), 1);
}

TEST_F(EditorTest, AClickBesideTheRowsEmptiesThePreviewAndStopsPlayback) {
    addChosen({picture(QStringLiteral("a.png"), {30, 20}), picture(QStringLiteral("b.png"), {30, 20})});
    editor().selectRows({0});
    editor().showSelected();
    ASSERT_FALSE(editor().preview->pixmap().isNull());
    playSlideshowsOnThisThread();
    editor().playButton->click();
    ASSERT_TRUE(controller().slideshowPlayback().editorPlaying());
    ASSERT_FALSE(controller().editorStopRequested());

    QWidget* area = editor().list->viewport();
    const QPointF below(20, area->height() - 5);  // under the two rows
    ASSERT_FALSE(editor().list->indexAt(below.toPoint()).isValid());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, below, area->mapToGlobal(below), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(area, &click);
    }
    EXPECT_TRUE(editor().selectedRows().isEmpty());
    EXPECT_TRUE(editor().preview->pixmap().isNull());
    EXPECT_TRUE(controller().editorStopRequested());
}

TEST_F(EditorTest, SavesWriteBothFormatsAndOpenProjectReadsOne) {
    const QString a = picture(QStringLiteral("a.png"), {8, 8});
    addChosen({a});
    editor().durationEdit->setValue(7);
    editor().loopBox->click();  // off
    const QString vsl = dir() + QStringLiteral("/out.vsl"), mef = dir() + QStringLiteral("/out.mef");
    desktop.chosenFiles = {vsl};
    editor().saveSlideshowButton->click();
    EXPECT_EQ(read(vsl), "7\r\nOff\r\n" + a.toUtf8() + "\r\n");
    EXPECT_FALSE(editor().listChanged());
    EXPECT_FALSE(editor().projectMode());
    desktop.chosenFiles = {mef};
    editor().saveProjectButton->click();
    EXPECT_EQ(read(mef), "0\r\n7\r\n" + a.toUtf8() + "\r\n");
    EXPECT_TRUE(editor().projectMode());

    // " 1" is not "1": Loop off. Missing files are named one by one, the
    // same file twice is listed twice.
    const QString project =
        file(QStringLiteral("p.mef"), " 1\r\n12\r\n" + a.toUtf8() + "\r\n/nowhere/x.png\r\n" + a.toUtf8() + "\r\n");
    editor().loopBox->click();  // on
    desktop.asked.clear();
    desktop.chosenFiles = {project};
    editor().openProjectButton->click();
    EXPECT_FALSE(editor().loopBox->isChecked());
    EXPECT_EQ(editor().loopBox->text(), QStringLiteral("Off"));
    EXPECT_EQ(editor().durationEdit->value(), 12);
    EXPECT_EQ(column(0), QStringList({"a.png", "a.png"}));
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("File does not exist /nowhere/x.png")});
    waitForSizes();
    EXPECT_EQ(column(4), QStringList({"8 X 8", "8 X 8"}));

    // A second line that is no integer: the message, and the list stays emptied.
    desktop.asked.clear();
    desktop.chosenFiles = {file(QStringLiteral("bad.mef"), "1\r\nfive\r\n" + a.toUtf8() + "\r\n")};
    editor().openProjectButton->click();
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("'five' is not a valid integer value")});
    EXPECT_TRUE(editor().rows().empty());
}

TEST_F(EditorTest, DroppedFilesAreListedWithoutMarkingTheListChanged) {
    const QString sub = dir() + QStringLiteral("/folder.jpg");
    ASSERT_TRUE(QDir().mkpath(sub));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file(QStringLiteral("t.txt"), "x")),
                  QUrl::fromLocalFile(file(QStringLiteral("r.rtf"), "x")),
                  QUrl::fromLocalFile(file(QStringLiteral("g.gif"), "x")), QUrl::fromLocalFile(sub),
                  QUrl::fromLocalFile(picture(QStringLiteral("p.png"), {5, 4}))});
    // As a file manager's drag arrives: it enters the window, then drops.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&editor(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&editor(), &drop);
    waitForSizes();
    EXPECT_EQ(column(0), QStringList({"t.txt", "r.rtf", "p.png"}));
    EXPECT_EQ(column(4), QStringList({"", "", "5 X 4"}));
    EXPECT_FALSE(editor().listChanged());
}

TEST_F(EditorTest, ClosingAsksToSaveChangesAndStopsTheSource) {
    addChosen({picture(QStringLiteral("a.png"), {8, 8})});
    const QString vsl = dir() + QStringLiteral("/saved.vsl");
    desktop.asked.clear();
    desktop.answers = {Answer::Yes};
    desktop.chosenFiles = {vsl};
    editor().closeButton->click();
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("Do you want to save changes ?")});
    EXPECT_TRUE(QFile::exists(vsl));  // not a project: saved as a slideshow
    EXPECT_FALSE(editor().isVisible());
    EXPECT_FALSE(controller().isShown(View::SlideshowEditor));
    EXPECT_EQ(controller().source(), Source::Stopped);
    EXPECT_EQ(controller().outputSurface(), OutputSurface::Picture);

    // Unchanged: no question. Another source closes the editor too.
    controller().makeSlideshow();
    ASSERT_TRUE(editor().isVisible());
    desktop.asked.clear();
    controller().startDesktop();
    EXPECT_FALSE(editor().isVisible());
    EXPECT_TRUE(desktop.asked.isEmpty());
    EXPECT_EQ(controller().source(), Source::Desktop);
}

TEST_F(EditorTest, TrayMakeSlideshowShowsTheEditorAndItsPlayButtonPlaysTheList) {
    editor().close();
    app->tray->makeSlideshowAction->trigger();
    EXPECT_TRUE(editor().isVisible());
    EXPECT_EQ(controller().source(), Source::Slideshow);
    EXPECT_EQ(controller().sourceChoice(), SourceChoice::MakeSlideshow);

    playSlideshowsOnThisThread();
    editor().playButton->click();  // empty list: nothing
    EXPECT_FALSE(controller().slideshowPlayback().editorPlaying());
    addChosen({picture(QStringLiteral("a.png"), {8, 8}), picture(QStringLiteral("b.png"), {8, 8})});
    editor().playButton->click();
    EXPECT_TRUE(controller().slideshowPlayback().editorPlaying());
    EXPECT_TRUE(editor().playButtonShowsStop());
    editor().playButton->click();
    EXPECT_TRUE(controller().editorStopRequested());
    EXPECT_FALSE(editor().playButtonShowsStop());
}

}  // namespace
}  // namespace vz::test
