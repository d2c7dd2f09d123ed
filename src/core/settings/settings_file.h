#pragma once
// The program's settings file, Vivivoz.cfg: which keys it holds, their
// defaults, the corrections applied when they are read, and the order in
// which they are written. Free of widgets: the toolbar's LoadSettings and
// SaveSettings move these values to and from the controls.

#include "core/settings/ini_document.h"

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
    int primaryWidth = 0;
    int primaryHeight = 0;
    QString documentsDir;  // the user's documents folder; empty when unknown
    QString configFolder;   // folder of the settings file, with its trailing '/'
};

// Every value of the settings file, under the names of its keys.
struct Settings {
    // Velikost: the toolbar's position.
    int Levo = 0;
    int Gor = 100;
    // Read: true only for the value 1, and then "Auto Hide Toolbar" is
    // switched on; false leaves the mark as it is. Written: the mark.
    bool optAutohide = false;
    // mouseArea: Left, Right, Top, Bottom.
    int Cursorx0 = 0;
    int Cursorx9 = 0;
    int Cursory0 = 0;
    int Cursory9 = 0;
    // As optAutohide, for "Lock / Unlock cursor onto screen".
    bool OptCursorLimit = false;
    std::int32_t ImgCounter = 10;
    bool optAutohideagain = false;  // autoHideHintOff
    // Config/load, "Load at Startup": read as true for 1, false for 0 and
    // nullopt (leave the mark as it is) for any other value. Written as 1
    // unless false.
    std::optional<bool> load = true;
    int opScaleValue = 100;
    bool optShowcursor = false;
    bool optShowRedPoint = false;
    int Daf = 2;  // savedViewMode
    int optLeft = 300;
    int optTop = 250;
    int refreshRate = 5;
    int MAXrefreshRate = 5;
    QString ImageSavePath;
    QString HotKey = QStringLiteral("None");
    bool CbBeep = false;  // captureBeep: true only for the value 1
    // Ours: when the second monitor goes, the output window moves to the
    // primary monitor (simulation) instead of hiding.
    bool outputOnPrimaryWhenLost = false;

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
QString settingsFolder(const QString& configDirOption, const QString& executableDir,
                       const QString& userConfigDir);

// Full path of the settings file in `folder` (which ends with '/').
QString settingsFilePath(const QString& folder);

}  // namespace vz
