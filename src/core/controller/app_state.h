#pragma once
// The program-wide shared variables, under the names the windows use for
// them, with their initial values. One instance lives in App; every window
// reads and writes it directly, on the user-interface thread only.

#include "platform/platform.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace vz {

// Left, Top, Right, Bottom in pixels; Right and Bottom excluded.
struct Rect4 {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const Rect4&) const = default;
};

namespace source {
constexpr int Stopped = 0, Desktop = 2, Window = 3, Clipboard = 4, Slideshow = 5;
}

struct ProgramState {
    // What feeds the output window: 0 Stopped, 2 Desktop, 3 Window, 4 Clipboard, 5 Slideshow.
    int source = 0;
    // Quick-start entry carrying the tray menu's check mark: 0 none, 1..6.
    int menuSource = 0;
    // Run/Stop state: while true every new frame is put on the output window.
    bool outputRunning = false;
    // Scope of source mode 2: -1 not chosen, 0 whole primary screen, 1 captureArea.
    int desktopScope = -1;
    Rect4 captureArea;
    WindowId selectedWindow = 0;
    Rect4 mouseArea;
    bool pickingMouseArea = false;
    bool pickWindowModal = false;

    // Frames, reused from tick to tick (Format_RGB32).
    QImage desktopFrame;
    QImage windowFrame;
    QImage outputFrame;
    QImage areaSnapshot;

    // Folder of the settings file, with its trailing separator.
    QString configFolder;

    int toolbarAlpha = 0;
    bool toolbarShown = false;
    bool menuOpen = false;
    bool simulationPromptOpen = false;
    int maxUpdateRate = 5;
    int viewMode = 0;
    int savedViewMode = 2;
    bool autoHideHintOff = false;

    // Held for Capture an Image until that window takes them.
    QString captureFolder;
    QString captureHotKeyText = QStringLiteral("None");
    bool captureBeep = false;
    std::int32_t captureCounter = 10;

    // Held for the settings dialog until it takes them at its creation.
    int optLeft = 300;
    int optTop = 250;
    bool optShowcursor = false;
    bool optShowRedPoint = false;
    int opScaleValue = 100;
    int refreshRate = 5;

    // Slideshow state (used by the slideshow once it exists).
    QStringList playList;
    int playListCount = 0;
    bool playListLoaded = false;
    bool editorStopRequested = false;
    bool toolbarStopRequested = false;
};

}  // namespace vz
