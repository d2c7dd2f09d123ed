#pragma once
// The ten actions that have global shortcuts: their labels, where their keys
// are stored, the printed list of them, and the rules of the two
// update-rate actions.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>

namespace vz {

class IniDocument;

enum class ShortcutAction {
    SendToOutput,  // send the current frame to the second monitor
    ToggleRun,     // the toolbar's Run/Stop
    ShowToolbar,
    ShowPreview,
    EnableOutput,  // show or hide the output window
    StopAll,
    IncreaseRate,  // update rate + 1
    DecreaseRate,  // update rate - 1
    AutoHideToolbar,
    LockCursor,
};
constexpr int kShortcutActionCount = 10;

struct ShortcutActionInfo {
    ShortcutAction action;
    const char* label;        // the dialog's label
    const char* settingsKey;  // key in section "Options"
    const char* printText;    // the printed line after the key, blanks included
};

// In the order of the stored keys HotKey1 ... HotKey10.
const std::array<ShortcutActionInfo, kShortcutActionCount>& shortcutActions();
const ShortcutActionInfo& shortcutActionInfo(ShortcutAction action);

// The dialog's two columns, row by row; the printout lists them in this order too.
constexpr std::array<ShortcutAction, 5> kShortcutLeftColumn = {ShortcutAction::SendToOutput, ShortcutAction::ToggleRun,
                                                               ShortcutAction::EnableOutput, ShortcutAction::StopAll,
                                                               ShortcutAction::LockCursor};
constexpr std::array<ShortcutAction, 5> kShortcutRightColumn = {
    ShortcutAction::IncreaseRate, ShortcutAction::DecreaseRate, ShortcutAction::ShowToolbar,
    ShortcutAction::ShowPreview, ShortcutAction::AutoHideToolbar};

// The keys of the ten actions, indexed by ShortcutAction.
using ShortcutKeys = std::array<quint16, kShortcutActionCount>;

// Each key from its stored text; a missing key reads as "None" (no key).
ShortcutKeys readShortcutKeys(const IniDocument& settings);
// Each key as its text; no key is written as empty text.
void writeShortcutKeys(IniDocument& settings, const ShortcutKeys& keys);

// The time stamp of the printout: the short date and the long time of the
// locale (without a time zone), separated by a blank.
QString shortcutPrintoutStamp(const QDateTime& when, const QLocale& locale);
// The printed list, one entry a line.
QStringList shortcutPrintout(const ShortcutKeys& keys, const QString& stamp);
// Shown when the printer fails while printing.
QString shortcutPrintErrorText();

// What the update-rate actions act on: the settings dialog's rate box and
// the rate above which a warning is asked first.
class UpdateRateTarget {
public:
    virtual ~UpdateRateTarget() = default;
    virtual int rate() const = 0;
    virtual int maxRate() const = 0;
    // As the rate box's change: also raises the maximum to a rate above it.
    virtual void setRate(int rate) = 0;
    // Asks the warning question (text below); true for Yes.
    virtual bool confirmAboveMaximum(const QString& text) = 0;
};

class UpdateRateKeys {
public:
    static constexpr int kLowestRate = 1;
    static constexpr int kHighestRate = 1000;  // the rate box's range
    static QString warningText();

    // One step up. Past the maximum only after a Yes to the warning; a press
    // while the warning is up is ignored; at the box's top nothing happens.
    void increase(UpdateRateTarget& target);
    // One step down; nothing at the lowest rate.
    void decrease(UpdateRateTarget& target);
    bool warningShowing() const { return warningShowing_; }

private:
    bool warningShowing_ = false;
};

}  // namespace vz
