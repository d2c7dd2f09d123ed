#include "core/shortcuts/shortcut_actions.h"

#include "core/settings/ini_document.h"
#include "core/shortcuts/shortcut_keys.h"

#include <gtest/gtest.h>

#include <functional>

namespace vz {
namespace {

TEST(ShortcutActions, StoredKeysRoundTripThroughTheSettingsFile) {
    IniDocument empty;
    EXPECT_EQ(readShortcutKeys(empty), ShortcutKeys{});  // no file: no keys

    IniDocument doc;
    doc.parse("[Options]\r\nHotKey1=Ctrl+F11\r\nHotKey6=None\r\nHotKey10=Shift+Alt+L\r\nOther=kept\r\n");
    ShortcutKeys keys = readShortcutKeys(doc);
    EXPECT_EQ(keys[size_t(ShortcutAction::SendToOutput)], 16506);
    EXPECT_EQ(keys[size_t(ShortcutAction::StopAll)], 0);
    EXPECT_EQ(keys[size_t(ShortcutAction::LockCursor)], shortcut::Shift | shortcut::Alt | 'L');

    keys[size_t(ShortcutAction::SendToOutput)] = 0;
    keys[size_t(ShortcutAction::DecreaseRate)] = shortcut::Ctrl | 0x6D;
    writeShortcutKeys(doc, keys);
    EXPECT_EQ(doc.value("Options", "HotKey1"), QString());  // no key: empty text
    EXPECT_EQ(doc.value("Options", "HotKey8"), "Ctrl+Num -");
    EXPECT_EQ(doc.value("Options", "HotKey10"), "Shift+Alt+L");
    EXPECT_EQ(doc.value("Options", "Other"), "kept");
    EXPECT_EQ(readShortcutKeys(doc), keys);
}

TEST(ShortcutActions, PrintoutOfKnownKeys) {
    ShortcutKeys keys{};
    keys[size_t(ShortcutAction::SendToOutput)] = shortcutFromText(u"Ctrl+F1");
    keys[size_t(ShortcutAction::ToggleRun)] = shortcutFromText(u"Ctrl+F2");
    keys[size_t(ShortcutAction::IncreaseRate)] = shortcutFromText(u"Shift+Ctrl+Up");
    keys[size_t(ShortcutAction::AutoHideToolbar)] = shortcutFromText(u"Alt+H");

    const QStringList expected = {
        " ",
        "Vivivoz - ShortCuts    ( 03/05/24 14:07:09 )",
        "________________________________________________________",
        " ",
        "  Ctrl+F1 : Send to Second Monitor",
        " ",
        "  Ctrl+F2 : Automatically Send",
        " ",
        "  None : Enable Secondary Monitor ",
        " ",
        "  None : Stop All ",
        " ",
        "  None : Lock Cursor Onto Screen ",
        " ",
        " ",
        "  Shift+Ctrl+Up : Increase Screen Update Rate ",
        " ",
        "  None : Decrease Screen Update Rate ",
        " ",
        "  None : Show Toolbar ",
        " ",
        "  None : Show Preview ",
        " ",
        "  Alt+H : Auto Hide Toolbar ",
        " ",
    };
    EXPECT_EQ(shortcutPrintout(keys, "03/05/24 14:07:09"), expected);
    EXPECT_EQ(expected[2].size(), 56);
}

TEST(ShortcutActions, PrintoutStampHasNoTimeZone) {
    const QDateTime when(QDate(2024, 5, 3), QTime(14, 7, 9));
    const QString stamp = shortcutPrintoutStamp(when, QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(stamp, "03/05/2024 14:07:09");
}

// The rate box and the warning, scripted.
struct FakeRate : UpdateRateTarget {
    int value = 4;
    int maximum = 30;
    bool answer = false;
    int questions = 0;
    std::function<void()> whileAsking;

    int rate() const override { return value; }
    int maxRate() const override { return maximum; }
    void setRate(int r) override {
        value = r;
        if (value >= maximum) maximum = value;  // as the rate box's change does
    }
    bool confirmAboveMaximum(const QString& text) override {
        EXPECT_EQ(text, UpdateRateKeys::warningText());
        ++questions;
        if (whileAsking) whileAsking();
        return answer;
    }
};

TEST(UpdateRateKeys, IncreaseAndDecrease) {
    struct Case {
        const char* what;
        int rate, maximum;
        bool answer;
        int expectedRate, expectedMaximum, expectedQuestions;
    };
    const Case cases[] = {
        {"below the maximum", 4, 30, false, 5, 30, 0},
        {"up to the maximum", 29, 30, false, 30, 30, 0},
        {"past it, No", 30, 30, false, 30, 30, 1},
        {"past it, Yes: the new maximum", 30, 30, true, 31, 31, 1},
        {"at the box's top", 1000, 1000, true, 1000, 1000, 0},
    };
    for (const Case& c : cases) {
        FakeRate target;
        target.value = c.rate;
        target.maximum = c.maximum;
        target.answer = c.answer;
        UpdateRateKeys keys;
        keys.increase(target);
        EXPECT_EQ(target.value, c.expectedRate) << c.what;
        EXPECT_EQ(target.maximum, c.expectedMaximum) << c.what;
        EXPECT_EQ(target.questions, c.expectedQuestions) << c.what;
        EXPECT_FALSE(keys.warningShowing()) << c.what;
    }

    FakeRate target;
    UpdateRateKeys keys;
    target.value = 2;
    keys.decrease(target);
    EXPECT_EQ(target.value, 1);
    keys.decrease(target);  // the rate at 1: nothing
    EXPECT_EQ(target.value, 1);
}

TEST(UpdateRateKeys, PressWhileTheWarningIsUpIsIgnored) {
    FakeRate target;
    target.value = target.maximum = 30;
    target.answer = true;
    UpdateRateKeys keys;
    target.whileAsking = [&] {
        EXPECT_TRUE(keys.warningShowing());
        keys.increase(target);
    };
    keys.increase(target);
    EXPECT_EQ(target.questions, 1);
    EXPECT_EQ(target.value, 31);
}

}  // namespace
}  // namespace vz
