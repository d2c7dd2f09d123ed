#pragma once
// SlideshowEditor: the window in which the user assembles the list of
// pictures, previews them, sends one to the output, plays the list and
// stores it as a project (.mef) or slideshow (.vsl) file.

#include "core/controller/controller.h"
#include "core/slideshow/slideshow_files.h"
#include "core/slideshow/slideshow_list.h"
#include "core/slideshow/picture_size_reader.h"

#include <QHash>
#include <QMimeDatabase>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <map>
#include <random>
#include <vector>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace vz {

class GlyphButton;
class OnOffCheckBox;
class SpinEdit;

class SlideshowEditor : public QWidget {
    Q_OBJECT
public:
    explicit SlideshowEditor(Controller& controller, Platform& platform);
    ~SlideshowEditor() override;

    QTreeWidget* list = nullptr;
    QPushButton* addButton = nullptr;            // "Add Images"
    QPushButton* removeButton = nullptr;         // "Remove Image"
    QPushButton* saveSlideshowButton = nullptr;  // "Save Slideshow"
    QPushButton* openProjectButton = nullptr;    // "Open Project"
    QPushButton* saveProjectButton = nullptr;    // "Save Project"
    QPushButton* clearButton = nullptr;          // "Clear All"
    QPushButton* sendButton = nullptr;           // "Send "
    QPushButton* closeButton = nullptr;          // "Close"
    QToolButton* upButton = nullptr;
    QToolButton* downButton = nullptr;
    QGroupBox* previewBox = nullptr;  // " Preview "
    QLabel* preview = nullptr;        // 209 x 209
    QLabel* counter = nullptr;        // "0/0"
    GlyphButton* playButton = nullptr;
    OnOffCheckBox* loopBox = nullptr;
    SpinEdit* durationEdit = nullptr;      // seconds, 1..300
    OnOffCheckBox* monitorBox = nullptr;   // "Show on secondary sonitor"
    QTimer glyphTimer;                     // the play button's glyph, every 250 ms
    QProgressBar* readProgress = nullptr;  // sizes read of the files added; hidden when idle

    // Shows the window centred on the primary monitor and activates it.
    void bringUp();

    // --- the list, as the buttons and drops change it
    const std::vector<slideshow::ListRow>& rows() const { return rows_; }
    // Lists files in order (files that are refused are skipped) and reads
    // the pictures' sizes on worker threads; the Dimensions column is filled
    // in as they arrive. Pictures that cannot be read stay without
    // dimensions, and their messages are shown together once every picture
    // of this call has been read. The first kListSlice files are listed
    // before this returns, the rest in slices of that many from the event
    // loop, so a long choice never holds the window up.
    void addFiles(const QStringList& paths);
    static constexpr int kListSlice = 50;
    // Files still to be listed plus pictures whose sizes are still being read.
    int readsPending() const { return int(toList_.size() + pendingReads_.size()); }
    bool listChanged() const { return listChanged_; }
    bool projectMode() const { return projectMode_; }
    bool sortDescending() const { return sortDescending_; }
    QList<int> selectedRows() const;
    void selectRows(const QList<int>& rows);

    // --- button handlers
    void addImages();
    void removeImages();
    void clearAll();
    void moveUp();
    void moveDown();
    void sortByColumn(int column);
    void showSelected();  // the preview of the selected row
    void send();
    void saveProject();
    void saveSlideshow();
    void openProject();
    void togglePlay();
    bool playButtonShowsStop() const { return showsStop_; }

signals:
    // A batch of sizes has been shown (and any messages it completed).
    void sizesShown();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One group of files added together (a choice, a drop, a project):
    // its failures are shown in one message when the last size is in.
    struct AddGroup {
        int remaining = 0;                  // sizes not read yet
        bool listing = true;                // files are still being added
        QList<QPair<int, QString>> errors;  // (order in the group, message)
        int nextOrder = 0;
    };
    struct PendingRead {
        quint64 group = 0;
        int order = 0;
    };
    struct QueuedFile {
        QString path;
        bool opening = false;  // from a project: listed even when listed already
        quint64 group = 0;
        bool last = false;  // the group's last file
    };
    quint64 beginGroup();
    void queueFile(const QString& path, bool opening, quint64 group);
    // No more files come for `group`.
    void closeGroup(quint64 group);
    void endGroup(quint64 group);
    // Lists the next kListSlice queued files.
    void listSlice();
    // Forgets the files not listed yet (the list is being replaced).
    void dropQueuedFiles();
    // One file: refused (kind or already listed unless `opening`) is not listed.
    void addFile(const QString& path, bool opening, quint64 group);
    void showSizes(const QList<slideshow::PictureSizeReader::Result>& results);
    // Drops the reads of the rows [from, to) before they leave the list;
    // the caller then shows the progress and the groups that are complete.
    void cancelReads(size_t from, size_t to);
    void cancelRead(quint64 ticket);
    // Shows the messages of the groups that are complete.
    void finishGroups();
    void showReadProgress();
    void appendItems();
    // Selects the row the editor's player shows.
    void followPlayedRow(int row);
    // Lays the preview box's option rows out as their texts need.
    void fitOptionRows(const QList<QPair<QLabel*, QWidget*>>& rows);
    // Lays the row of buttons below the list out as their captions need.
    void fitButtonRow(const QList<QPushButton*>& row);
    // Moves everything right of the list `grow` pixels on, the window wider.
    void growRightColumn(int grow);
    void refreshList();
    // Moves the first selected row by `move` and selects it where it landed.
    void moveSelected(int (*move)(std::vector<slideshow::ListRow>&, int));
    void showCounter();
    void previewRow(bool toOutput);
    void showPreviewPicture(const QImage& picture);
    void refreshPlayGlyph();
    slideshow::SlideshowContent content() const;
    bool writeFile(const QString& filter, const QString& suffix, bool confirmOverwrite, const QByteArray& bytes);
    void say(const QString& caption, const QString& text, Prompter::Icon icon);

    Controller& controller_;

    Platform& platform_;
    std::vector<slideshow::ListRow> rows_;
    QMimeDatabase mime_;
    bool listChanged_ = false;
    bool projectMode_ = false;
    bool sortDescending_ = false;
    bool showsStop_ = false;
    bool closing_ = false;
    std::mt19937 random_{std::random_device{}()};
    std::deque<QueuedFile> toList_;
    QTimer listTimer_;                          // the next slice of toList_
    QHash<quint64, PendingRead> pendingReads_;  // by ticket
    std::map<quint64, AddGroup> groups_;        // by id, so messages come in the order of the adds
    quint64 lastGroup_ = 0;
    int readsStarted_ = 0;  // since the reader was last idle, for the progress bar
    slideshow::PictureSizeReader sizeReader_;
};

}  // namespace vz
