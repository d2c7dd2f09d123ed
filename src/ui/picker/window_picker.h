#pragma once
// WindowPicker: lists the desktop's windows with a thumbnail, title and
// program path each; a click on a thumbnail chooses the window that the
// Single Application source mirrors. The list is made again at every
// activation; its entries are made off the user-interface thread and appear
// as they are ready.

#include "core/controller/controller.h"
#include "core/picker/window_thumbnails.h"

#include <QDialog>
#include <QHash>

#include <memory>

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace vz {

class GlyphButton;

class WindowPicker : public QDialog {
    Q_OBJECT
public:
    WindowPicker(Controller& controller, Platform& platform, picker::WindowThumbnails::Mode mode,
                 QWidget* parent = nullptr);
    ~WindowPicker() override;

    // Makes the list again (what an activation does).
    void rebuild();
    // The entries shown, in list order; each is a QWidget named
    // "entry<N>" with the window id in its "windowId" property.
    QList<QWidget*> entryWidgets() const;
    // Chooses the window of an entry (what a click on its thumbnail does).
    void choose(WindowId window);
    // Whether the list being made is complete.
    bool listComplete() const { return complete_; }

    QLabel* header = nullptr;
    QScrollArea* listArea = nullptr;
    GlyphButton* helpButton = nullptr;
    GlyphButton* closeButton = nullptr;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void takeEntries();
    void addEntry(const picker::Entry& entry);
    void showHelp();
    void centreOnFirstMonitor();

    Controller& controller_;

    Platform& platform_;
    std::unique_ptr<picker::WindowThumbnails> thumbnails_;
    QWidget* list_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
    int entryCount_ = 0;
    // Each listed window's picture, for an entry that comes again.
    QHash<WindowId, QWidget*> thumbnailViews_;
    bool complete_ = false;
    bool deactivatedSinceRebuild_ = false;
};

}  // namespace vz
