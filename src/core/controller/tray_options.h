#pragma once
// The tray menu's and the toolbar's own state: auto-hide of the toolbar
// (with its hint the first times), "Load at Startup" (the autostart entry),
// the question whether to simulate a missing second monitor, and what the
// tray and the toolbar need to know of each other (the menu is open, the
// toolbar was shown once).

#include "platform/platform.h"

#include <QObject>

namespace vz {

class TrayOptions : public QObject {
    Q_OBJECT
public:
    // The prompter and the paths are the platform's at each use.
    explicit TrayOptions(const Platform& platform, QObject* parent = nullptr) : QObject(parent), platform_(platform) {}

    bool autoHide() const { return autoHide_; }
    // Says autoHideChanged even when it stays (a reset tells every view).
    void setAutoHide(bool on);
    // The menu item: switches auto-hide and, while the hint is not turned
    // off, explains it with "Don't show me again." beside.
    void toggleAutoHide();
    bool autoHideHintOff() const { return autoHideHintOff_; }
    void setAutoHideHintOff(bool off) { autoHideHintOff_ = off; }

    // "Load at Startup" shows whether the autostart entry exists; the menu
    // item writes or removes it (a failure is said, the mark follows the file).
    bool loadAtStartup() const;
    void toggleLoadAtStartup();

    // Asks whether to simulate the second monitor; false at once while the
    // question is already open. True when answered Yes.
    bool askSimulationQuestion();
    bool simulationPromptOpen() const { return simulationPromptOpen_; }

    bool menuOpen() const { return menuOpen_; }
    void setMenuOpen(bool open) { menuOpen_ = open; }
    bool toolbarShownOnce() const { return toolbarShownOnce_; }
    void setToolbarShownOnce(bool shown) { toolbarShownOnce_ = shown; }

signals:
    void autoHideChanged(bool on);
    void loadAtStartupChanged(bool on);

private:
    const Platform& platform_;
    bool autoHide_ = false;
    bool autoHideHintOff_ = false;
    bool simulationPromptOpen_ = false;
    bool menuOpen_ = false;
    bool toolbarShownOnce_ = false;
};

}  // namespace vz
