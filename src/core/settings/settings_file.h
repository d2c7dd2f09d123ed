#pragma once
// The program's settings file, Vivivoz.cfg: which keys it holds, their
// defaults, the corrections applied when they are read, and the order in
// which they are written. Free of widgets: the toolbar's LoadSettings and
// SaveSettings move these values to and from the controls.

#include "core/settings/ini_document.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>

namespace vz {

// Size of the floating toolbar: a saved left beyond the screen width minus
// its width comes back at the default place.
constexpr int kToolbarWidth = 248;
constexpr int kToolbarHeight = 42;

inline constexpr char kSettingsFileName[] = "Vivivoz.cfg";

// What the defaults depend on.
struct SettingsEnvironment {
    // The primary monitor's size in device pixels (the mouse area).
    int primaryWidth = 0;
    int primaryHeight = 0;
    QString documentsDir;  // the user's documents folder; empty when unknown
    QString configFolder;  // folder of the settings file, with its trailing '/'
    // The primary monitor where windows are placed (logical pixels, its real
    // corner); empty: 0,0 and the size above. The toolbar's checks are
    // measured from its corner.
    QRect primaryForWindows{};
};

// Every value of the settings file. The names stored in the file (and their
// sections) are in the key table of settings_file.cpp, and only there.
struct Settings {
    // The toolbar's position.
    int toolbarLeft = 0;
    int toolbarTop = 100;
    // Read: true only for the value 1, and then "Auto Hide Toolbar" is
    // switched on; false leaves the mark as it is. Written: the mark.
    bool autoHide = false;
    // The mouse area the cursor lock keeps the pointer in.
    int mouseAreaLeft = 0;
    int mouseAreaRight = 0;
    int mouseAreaTop = 0;
    int mouseAreaBottom = 0;
    // As autoHide, for "Lock / Unlock cursor onto screen".
    bool cursorLocked = false;
    std::int32_t captureCounter = 10;
    bool autoHideHintOff = false;  // the auto-hide explanation is not shown again
    // "Load at Startup": read as true for 1, false for 0 and nullopt (leave
    // the mark as it is) for any other value. Written as 1 unless false.
    std::optional<bool> loadAtStartup = true;
    int scalePercent = 100;
    bool showCursor = false;
    bool showRedPoint = false;
    int viewMode = 2;  // 1..5 (see viewFitFromNumber); others: none chosen
    int settingsDialogLeft = 300;
    int settingsDialogTop = 250;
    int updateRate = 5;
    int maxUpdateRate = 5;
    QString captureFolder;
    QString captureKeyText = QStringLiteral("None");  // the capture key as text
    bool captureBeep = false;                         // true only for the value 1
    // Ours: when the second monitor goes, the output window moves to the
    // primary monitor (simulation) instead of hiding.
    bool outputOnPrimaryWhenLost = false;
    // Ours: the monitor the output goes to with three monitors or more, as
    // its place in the monitor list (the primary is 0); 0: none chosen, the
    // first that is not the primary.
    int outputMonitor = 0;
    // Ours: the screen-cast portal's restore token (Wayland sessions), so
    // the user picks the mirrored monitor once. Written only once there is one.
    QString screenCastToken;

    bool operator==(const Settings&) const = default;
};

// The documents folder with a trailing '/', or configFolder when the
// documents folder is unknown.
QString defaultImageSavePath(const SettingsEnvironment& env);

// Every key at its default for this screen and these folders.
Settings defaultSettings(const SettingsEnvironment& env);

// Reads every key (a missing key or one that is not a number takes its
// default) and applies the corrections: a toolbar left below 0 or beyond
// the screen width minus the toolbar width, a top below 5 or within 50
// pixels of the bottom, all become 5; a settings-dialog top below 50
// becomes 350.
Settings readSettings(const IniDocument& doc, const SettingsEnvironment& env);

// Writes every key in the fixed order of writing; keys already in the
// document are rewritten in place, other content is left alone. A fresh
// document gets the sections Velikost, Options, Config, Display.
void writeSettings(IniDocument& doc, const Settings& settings);

// The folder of Vivivoz.cfg, with a trailing '/': `configDirOption` (from
// --config-dir) when given; else `executableDir` when a Vivivoz.cfg stands
// there (portable use); else "vivivoz" under `userConfigDir` (the XDG
// config home). The folder is not created here: saving creates it.
QString settingsFolder(const QString& configDirOption, const QString& executableDir, const QString& userConfigDir);

// Full path of the settings file in `folder` (which ends with '/').
QString settingsFilePath(const QString& folder);

}  // namespace vz
