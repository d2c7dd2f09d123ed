#include "core/shortcuts/shortcut_actions.h"

#include "core/settings/ini_document.h"
#include "core/shortcuts/shortcut_keys.h"

#include <QRegularExpression>

namespace vz {

namespace {

constexpr char kSection[] = "Options";

}  // namespace

const std::array<ShortcutActionInfo, kShortcutActionCount>& shortcutActions() {
    using A = ShortcutAction;
    static const std::array<ShortcutActionInfo, kShortcutActionCount> actions = {{
        {A::SendToOutput, "Send to Second Monitor", "HotKey1", " : Send to Second Monitor"},
        {A::ToggleRun, "Automatically Send", "HotKey2", " : Automatically Send"},
        {A::ShowToolbar, "Show Toolbar", "HotKey3", " : Show Toolbar "},
        {A::ShowPreview, "Show Preview", "HotKey4", " : Show Preview "},
        {A::EnableOutput, "Enable Secondary Monitor", "HotKey5", " : Enable Secondary Monitor "},
        {A::StopAll, "Stop All", "HotKey6", " : Stop All "},
        {A::IncreaseRate, "Increase Screen Update Rate", "HotKey7", " : Increase Screen Update Rate "},
        {A::DecreaseRate, "Decrease Screen Update Rate", "HotKey8", " : Decrease Screen Update Rate "},
        {A::AutoHideToolbar, "Auto Hide Toolbar", "HotKey9", " : Auto Hide Toolbar "},
        {A::LockCursor, "Lock Cursor Onto Screen", "HotKey10", " : Lock Cursor Onto Screen "},
    }};
    return actions;
}

const ShortcutActionInfo& shortcutActionInfo(ShortcutAction action) { return shortcutActions()[size_t(action)]; }

ShortcutKeys readShortcutKeys(const IniDocument& settings) {
    ShortcutKeys keys{};
    for (const ShortcutActionInfo& a : shortcutActions())
        keys[size_t(a.action)] = shortcutFromText(settings.readString(kSection, a.settingsKey, QStringLiteral("None")));
    return keys;
}

void writeShortcutKeys(IniDocument& settings, const ShortcutKeys& keys) {
    for (const ShortcutActionInfo& a : shortcutActions())
        settings.writeString(kSection, a.settingsKey, shortcutToText(keys[size_t(a.action)]));
}

QString shortcutPrintoutStamp(const QDateTime& when, const QLocale& locale) {
    static const QRegularExpression timeZone(QStringLiteral("\\s*t+"));
    const QString timeFormat = locale.timeFormat(QLocale::LongFormat).remove(timeZone).trimmed();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), timeFormat);
}

QStringList shortcutPrintout(const ShortcutKeys& keys, const QString& stamp) {
    const auto line = [&](ShortcutAction action) {
        QString key = shortcutToText(keys[size_t(action)]);
        if (key.isEmpty()) key = QStringLiteral("None");
        return QStringLiteral("  ") + key + QLatin1StringView(shortcutActionInfo(action).printText);
    };
    const QString blank = QStringLiteral(" ");
    QStringList lines{blank, QStringLiteral("Vivivoz - ShortCuts    ( ") + stamp + QStringLiteral(" )"),
                      QString(56, QLatin1Char('_')), blank};
    for (ShortcutAction a : kShortcutLeftColumn) lines << line(a) << blank;
    lines << blank;
    for (ShortcutAction a : kShortcutRightColumn) lines << line(a) << blank;
    return lines;
}

QString shortcutPrintErrorText() { return QStringLiteral("Error Printing text."); }

QString UpdateRateKeys::warningText() {
    // Line breaks as Qt's message boxes take them.
    return QStringLiteral(
        "Screen update rate\n\nDepend from hardware and operating system. Too high rate can cause application "
        "instability.\n\nDo you want to continue?");
}

void UpdateRateKeys::increase(UpdateRateTarget& target) {
    if (warningShowing_) return;
    const int rate = target.rate();
    if (rate >= kHighestRate) return;
    if (rate + 1 > target.maxRate()) {
        warningShowing_ = true;
        bool yes = false;
        try {
            yes = target.confirmAboveMaximum(warningText());
        } catch (...) {
            warningShowing_ = false;
            throw;
        }
        warningShowing_ = false;
        if (!yes) return;
    }
    // Setting the rate raises the maximum with it, so each press is one step.
    target.setRate(rate + 1);
}

void UpdateRateKeys::decrease(UpdateRateTarget& target) {
    const int rate = target.rate();
    if (rate > kLowestRate) target.setRate(rate - 1);
}

}  // namespace vz
