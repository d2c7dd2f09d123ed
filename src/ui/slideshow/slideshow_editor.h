#pragma once
// SlideshowEditor: the window in which the user assembles the list of
// pictures, previews them, sends one to the output, plays the list and
// stores it as a project (.mef) or slideshow (.vsl) file.

#include "core/controller/controller.h"
#include "core/slideshow/slideshow_files.h"
#include "core/slideshow/slideshow_list.h"

#include <QMimeDatabase>
#include <QTimer>
#include <QWidget>

#include <random>
#include <vector>

class QGroupBox;
class QLabel;
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
    explicit SlideshowEditor(Controller& controller);
    ~SlideshowEditor() override;

    QTreeWidget* list = nullptr;
    QPushButton* addButton = nullptr;           // "Add Images"
    QPushButton* removeButton = nullptr;        // "Remove Image"
    QPushButton* saveSlideshowButton = nullptr; // "Save Slideshow"
    QPushButton* openProjectButton = nullptr;   // "Open Project"
    QPushButton* saveProjectButton = nullptr;   // "Save Project"
    QPushButton* clearButton = nullptr;         // "Clear All"
    QPushButton* sendButton = nullptr;          // "Send "
    QPushButton* closeButton = nullptr;         // "Close"
    QToolButton* upButton = nullptr;
    QToolButton* downButton = nullptr;
    QGroupBox* previewBox = nullptr;            // " Preview "
    QLabel* preview = nullptr;                  // 209 x 209
    QLabel* counter = nullptr;                  // "0/0"
    GlyphButton* playButton = nullptr;
    OnOffCheckBox* loopBox = nullptr;
    SpinEdit* durationEdit = nullptr;           // seconds, 1..300
    OnOffCheckBox* monitorBox = nullptr;        // "Show on secondary sonitor"
    QTimer glyphTimer;                          // the play button's glyph, every 250 ms

    // Shows the window centred on the primary monitor and activates it.
    void bringUp();

    // --- the list, as the buttons and drops change it
    const std::vector<slideshow::ListRow>& rows() const { return rows_; }
    // Adds files in order; files that are refused are skipped, pictures
    // that cannot be read are listed without dimensions. Returns the
    // messages of those pictures.
    QStringList addFiles(const QStringList& paths);
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
    void showSelected();   // the preview of the selected row
    void send();
    void saveProject();
    void saveSlideshow();
    void openProject();
    void togglePlay();
    bool playButtonShowsStop() const { return showsStop_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One file: refused (kind or already listed unless `opening`) gives -1.
    int addFile(const QString& path, bool opening, QString* error);
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
    std::vector<slideshow::ListRow> rows_;
    QMimeDatabase mime_;
    bool listChanged_ = false;
    bool projectMode_ = false;
    bool sortDescending_ = false;
    bool showsStop_ = false;
    bool closing_ = false;
    std::mt19937 random_{std::random_device{}()};
};

}  // namespace vz
