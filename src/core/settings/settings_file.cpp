#include "core/settings/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <variant>

namespace vz {

namespace {

constexpr int kMaxCoordinate = 32767;

// How a key's value is read.
enum class Kind {
    Integer,    // a number; not a number: the default
    Flag,       // a number; non-zero is true
    FlagIsOne,  // true only for the value 1
    LoadMark,   // 1 true, 0 false, anything else: leave the mark (nullopt)
    String,
    WrittenZero,  // always written as 0, never read
    // Read like FlagIsOne; written only when on or already in the file, so a
    // file that never had it keeps its usual keys.
    ExtraFlag,
    // Read like Integer; written only when not 0 or already in the file.
    ExtraInteger,
    // Read like String; written only when not empty or already in the file.
    ExtraString
};

using Field = std::variant<std::monostate, int Settings::*, bool Settings::*, QString Settings::*,
                           std::optional<bool> Settings::*>;

struct Key {
    const char* section;
    const char* name;  // spelled as written; reading ignores letter case
    Kind kind;
    Field field;
};

static_assert(std::is_same_v<std::int32_t, int>, "ImgCounter is stored as a 32-bit int");

// In the order of writing, which also fixes the order of the sections in a
// fresh file: Velikost, Options, Config, Display.
const Key kKeys[] = {
    {"Velikost", "Levo", Kind::Integer, &Settings::toolbarLeft},
    {"Velikost", "Gor", Kind::Integer, &Settings::toolbarTop},
    {"Options", "optAutohide", Kind::FlagIsOne, &Settings::autoHide},
    {"Options", "Cursorx0", Kind::Integer, &Settings::mouseAreaLeft},
    {"Options", "Cursorx9", Kind::Integer, &Settings::mouseAreaRight},
    {"Options", "Cursory0", Kind::Integer, &Settings::mouseAreaTop},
    {"Options", "Cursory9", Kind::Integer, &Settings::mouseAreaBottom},
    {"Options", "OptCursorLimit", Kind::FlagIsOne, &Settings::cursorLocked},
    {"Options", "ImgCounter", Kind::Integer, &Settings::captureCounter},
    {"Options", "optAutohideagain", Kind::Flag, &Settings::autoHideHintOff},
    {"Config", "load", Kind::LoadMark, &Settings::loadAtStartup},
    {"Options", "opScaleValue", Kind::Integer, &Settings::scalePercent},
    {"Options", "optShowcursor", Kind::FlagIsOne, &Settings::showCursor},
    // Read as "optShowRedPoint"; names match without regard to case.
    {"Options", "optShowredpoint", Kind::FlagIsOne, &Settings::showRedPoint},
    {"Display", "Daf", Kind::Integer, &Settings::viewMode},
    {"Options", "optCenter", Kind::WrittenZero, {}},
    {"Options", "optLeft", Kind::Integer, &Settings::settingsDialogLeft},
    {"Options", "optTop", Kind::Integer, &Settings::settingsDialogTop},
    {"Options", "refreshRate", Kind::Integer, &Settings::updateRate},
    {"Options", "MAXrefreshRate", Kind::Integer, &Settings::maxUpdateRate},
    {"Options", "optStbar", Kind::WrittenZero, {}},
    {"Options", "ImageSavePath", Kind::String, &Settings::captureFolder},
    {"Options", "HotKey", Kind::String, &Settings::captureKeyText},
    {"Options", "CbBeep", Kind::FlagIsOne, &Settings::captureBeep},
    {"Options", "OutputOnPrimaryWhenLost", Kind::ExtraFlag, &Settings::outputOnPrimaryWhenLost},
    {"Options", "OutputMonitor", Kind::ExtraInteger, &Settings::outputMonitor},
    {"Options", "ScreenCastToken", Kind::ExtraString, &Settings::screenCastToken},
};

void readKey(const IniDocument& doc, const Key& k, Settings& s) {
    switch (k.kind) {
        case Kind::Integer:
        case Kind::ExtraInteger: {
            int& v = s.*std::get<int Settings::*>(k.field);
            v = doc.readInteger(k.section, k.name, v);
            break;
        }
        case Kind::Flag: {
            bool& v = s.*std::get<bool Settings::*>(k.field);
            v = doc.readBool(k.section, k.name, v);
            break;
        }
        case Kind::FlagIsOne:
        case Kind::ExtraFlag: {
            bool& v = s.*std::get<bool Settings::*>(k.field);
            if (const std::optional<int> n = doc.integer(k.section, k.name)) v = *n == 1;
            break;
        }
        case Kind::LoadMark: {
            std::optional<bool>& v = s.*std::get<std::optional<bool> Settings::*>(k.field);
            if (const std::optional<int> n = doc.integer(k.section, k.name)) {
                if (*n == 1)
                    v = true;
                else if (*n == 0)
                    v = false;
                else
                    v = std::nullopt;
            }
            break;
        }
        case Kind::String:
        case Kind::ExtraString: {
            QString& v = s.*std::get<QString Settings::*>(k.field);
            v = doc.readString(k.section, k.name, v);
            break;
        }
        case Kind::WrittenZero: break;
    }
}

void writeKey(IniDocument& doc, const Key& k, const Settings& s) {
    switch (k.kind) {
        case Kind::Integer: doc.writeInteger(k.section, k.name, s.*std::get<int Settings::*>(k.field)); break;
        case Kind::Flag:
        case Kind::FlagIsOne: doc.writeBool(k.section, k.name, s.*std::get<bool Settings::*>(k.field)); break;
        case Kind::LoadMark:
            doc.writeBool(k.section, k.name, (s.*std::get<std::optional<bool> Settings::*>(k.field)).value_or(true));
            break;
        case Kind::String: doc.writeString(k.section, k.name, s.*std::get<QString Settings::*>(k.field)); break;
        case Kind::WrittenZero: doc.writeInteger(k.section, k.name, 0); break;
        case Kind::ExtraFlag: {
            const bool on = s.*std::get<bool Settings::*>(k.field);
            if (on || doc.hasKey(k.section, k.name)) doc.writeBool(k.section, k.name, on);
            break;
        }
        case Kind::ExtraInteger: {
            const int v = s.*std::get<int Settings::*>(k.field);
            if (v != 0 || doc.hasKey(k.section, k.name)) doc.writeInteger(k.section, k.name, v);
            break;
        }
        case Kind::ExtraString: {
            const QString& v = s.*std::get<QString Settings::*>(k.field);
            if (!v.isEmpty() || doc.hasKey(k.section, k.name)) doc.writeString(k.section, k.name, v);
            break;
        }
    }
}

QString withTrailingSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

}  // namespace

namespace {

QRect windowArea(const SettingsEnvironment& env) {
    return env.primaryForWindows.isEmpty() ? QRect(0, 0, env.primaryWidth, env.primaryHeight) : env.primaryForWindows;
}

}  // namespace

QString defaultImageSavePath(const SettingsEnvironment& env) {
    // Also covers the root "/", which already ends with the separator.
    return withTrailingSlash(env.documentsDir.isEmpty() ? env.configFolder : env.documentsDir);
}

Settings defaultSettings(const SettingsEnvironment& env) {
    Settings s;
    const QRect primary = windowArea(env);
    s.toolbarLeft = primary.left() + primary.width() - 500;
    s.toolbarTop += primary.top();
    s.mouseAreaRight = env.primaryWidth;
    s.mouseAreaBottom = env.primaryHeight;
    s.captureFolder = defaultImageSavePath(env);
    return s;
}

Settings readSettings(const IniDocument& doc, const SettingsEnvironment& env) {
    Settings s = defaultSettings(env);
    for (const Key& k : kKeys) readKey(doc, k, s);

    // Measured from the primary's corner, wherever it stands.
    const QRect primary = windowArea(env);
    const int left = s.toolbarLeft - primary.left(), top = s.toolbarTop - primary.top();
    if (left < 0 || left > primary.width() - kToolbarWidth) s.toolbarLeft = primary.left() + 5;
    if (top > primary.height() - 50 || top < 5) s.toolbarTop = primary.top() + 5;
    if (s.settingsDialogTop < 50) s.settingsDialogTop = 350;
    // Screen coordinates are 16-bit on X11; anything beyond cannot be a
    // place on a screen, and would overflow the arithmetic that keeps the
    // windows on it.
    for (int* v : {&s.settingsDialogLeft, &s.settingsDialogTop, &s.mouseAreaLeft, &s.mouseAreaRight, &s.mouseAreaTop,
                   &s.mouseAreaBottom})
        *v = std::clamp(*v, -kMaxCoordinate, kMaxCoordinate);
    return s;
}

void writeSettings(IniDocument& doc, const Settings& settings) {
    for (const Key& k : kKeys) writeKey(doc, k, settings);
}

QString settingsFolder(const QString& configDirOption, const QString& executableDir, const QString& userConfigDir) {
    if (!configDirOption.isEmpty()) return withTrailingSlash(QDir::cleanPath(QDir(configDirOption).absolutePath()));
    if (!executableDir.isEmpty()) {
        const QString portable = withTrailingSlash(QDir::cleanPath(executableDir));
        if (QFileInfo(portable + QLatin1String(kSettingsFileName)).isFile()) return portable;
    }
    const QString base = userConfigDir.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : userConfigDir;
    return withTrailingSlash(QDir::cleanPath(base) + QStringLiteral("/vivivoz"));
}

QString settingsFilePath(const QString& folder) { return withTrailingSlash(folder) + QLatin1String(kSettingsFileName); }

}  // namespace vz
