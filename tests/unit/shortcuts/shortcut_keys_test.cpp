#include "core/shortcuts/shortcut_keys.h"

#include <gtest/gtest.h>

namespace vz {
namespace {

using namespace shortcut;

// Text, stored value and keysym of one key, read both ways.
struct KeyCase {
    const char* text;
    quint16 value;
    quint32 keysym;
};

const KeyCase kKeys[] = {
    {"Ctrl+F11", 16506, 0xffc8},
    {"F1", 0x70, 0xffbe},
    {"F24", 0x87, 0xffd5},
    {"A", 0x41, 0x61},
    {"Z", 0x5A, 0x7a},
    {"0", 0x30, 0x30},
    {"9", 0x39, 0x39},
    {"Shift+Ctrl+Alt+A", 0xE041, 0x61},
    {"Shift+Alt+9", 0xA039, 0x39},
    {"BkSp", 0x08, 0xff08},
    {"Tab", 0x09, 0xff09},
    {"Esc", 0x1B, 0xff1b},
    {"Enter", 0x0D, 0xff0d},
    {"Space", 0x20, 0x20},
    {"PgUp", 0x21, 0xff55},
    {"PgDn", 0x22, 0xff56},
    {"End", 0x23, 0xff57},
    {"Home", 0x24, 0xff50},
    {"Left", 0x25, 0xff51},
    {"Up", 0x26, 0xff52},
    {"Right", 0x27, 0xff53},
    {"Down", 0x28, 0xff54},
    {"Ins", 0x2D, 0xff63},
    {"Del", 0x2E, 0xffff},
    {"Num 5", 0x65, 0xffb5},
    {"Alt+Num +", 0x806B, 0xffab},
    {"Ctrl+-", 0x40BD, 0x2d},
    {"Ctrl+\\", 0x40DC, 0x5c},
};

TEST(ShortcutKeys, TextValueAndKeysymAreOneTable) {
    for (const KeyCase& k : kKeys) {
        EXPECT_EQ(shortcutFromText(QString::fromLatin1(k.text)), k.value) << k.text;
        EXPECT_EQ(shortcutToText(k.value), QString::fromLatin1(k.text)) << k.text;
        EXPECT_EQ(shortcutKeysym(k.value), k.keysym) << k.text;
        EXPECT_EQ(shortcutFromXKey(k.keysym, shortcutXModifiers(k.value)), k.value) << k.text;
    }
}

TEST(ShortcutKeys, TextThatNamesNoKeyIsZero) {
    for (const char* text : {"", "None", "Ctrl+", "Ctrl+None", "Ctrl+Foo", "F25", "Shift"})
        EXPECT_EQ(shortcutFromText(QString::fromLatin1(text)), 0) << text;
    EXPECT_EQ(shortcutToText(0), "");
    EXPECT_EQ(shortcutToText(Ctrl), "");         // modifiers without a key
    EXPECT_EQ(shortcutToText(Ctrl | 0xFF), "");  // a code the table does not name
    EXPECT_EQ(shortcutKeysym(0), 0u);
}

TEST(ShortcutKeys, PrefixesInAnyOrderAndCaseComeOutInTheFixedOrder) {
    EXPECT_EQ(shortcutFromText(u"Alt+Ctrl+Shift+X"), Shift | Ctrl | Alt | 'X');
    EXPECT_EQ(shortcutToText(shortcutFromText(u"alt+shift+x")), "Shift+Alt+X");
    EXPECT_EQ(shortcutFromText(u"ctrl+f11"), 16506);
}

TEST(ShortcutKeys, XKeyPressesIgnoreLocksAndCase) {
    const unsigned numLock = 1u << 4;
    EXPECT_EQ(shortcutXModifiers(Shift | Ctrl | Alt), XShiftMask | XControlMask | XMod1Mask);
    EXPECT_EQ(shortcutFromXKey('A', XShiftMask | XLockMask | numLock), Shift | 'A');
    EXPECT_EQ(shortcutFromXKey(0xff8d, XControlMask), Ctrl | 0x0D);  // keypad Enter is Enter
    EXPECT_EQ(shortcutFromXKey(0xffe3, XControlMask), 0);            // Control_L alone is no shortcut
}

TEST(ShortcutKeys, QtKeys) {
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_F11, Qt::ControlModifier), 16506);
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_Minus, Qt::KeypadModifier), 0x6D);
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_Minus, Qt::NoModifier), 0xBD);
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_5, Qt::KeypadModifier | Qt::AltModifier), Alt | 0x65);
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_Enter, Qt::KeypadModifier), 0x0D);
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_Left, Qt::KeypadModifier), 0x25);
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 0xE041);
    EXPECT_EQ(shortcutFromQtKey(Qt::Key_Control, Qt::ControlModifier), 0);
}

// A key pressed in an entry box: the keysyms of the pressed key (unshifted
// first) name it; Qt's key, which carries the shifted symbol, only when they
// do not.
TEST(ShortcutKeys, KeyPressIsTheKeyNotItsShiftedSymbol) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> keysyms;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    };
    const Case cases[] = {
        {"Shift+1, US", {'1', '!'}, Qt::Key_Exclam, Qt::ShiftModifier, "Shift+1"},
        {"Ctrl+Shift+;, US", {';', ':'}, Qt::Key_Colon, Qt::ShiftModifier | Qt::ControlModifier, "Shift+Ctrl+;"},
        {"Ctrl+1, AZERTY (& unshifted)", {'&', '1'}, Qt::Key_Ampersand, Qt::ControlModifier, "Ctrl+1"},
        {"Shift+A", {'a', 'A'}, Qt::Key_A, Qt::ShiftModifier, "Shift+A"},
        {"keypad 7 without Num Lock", {0xff95, 0xffb7}, Qt::Key_Home, Qt::KeypadModifier, "Num 7"},
        {"keypad Enter", {0xff8d}, Qt::Key_Enter, Qt::KeypadModifier, "Enter"},
        {"unknown key code: Qt's key", {}, Qt::Key_F11, Qt::ControlModifier, "Ctrl+F11"},
        {"keysyms that name no key: Qt's key", {0xfe52, 0xfe57}, Qt::Key_F5, Qt::NoModifier, "F5"},
        {"neither names a key", {0xfe52}, Qt::Key_Dead_Circumflex, Qt::NoModifier, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shortcutToText(shortcutOfKeyPress(c.keysyms, c.qtKey, c.modifiers)), QString::fromLatin1(c.text))
            << c.what;
}

TEST(ShortcutKeys, LockVariants) {
    const unsigned num = 1u << 4, caps = XLockMask, scroll = 1u << 7;
    EXPECT_EQ(lockModifierVariants(num, caps, 0), (std::vector<unsigned>{0, num, caps, num | caps}));
    EXPECT_EQ(lockModifierVariants(num, caps, scroll).size(), 8u);
    EXPECT_EQ(lockModifierVariants(0, caps, 0), (std::vector<unsigned>{0, caps}));
    // Num Lock and Scroll Lock on the same modifier: no repeats.
    EXPECT_EQ(lockModifierVariants(num, 0, num), (std::vector<unsigned>{0, num}));
}

}  // namespace
}  // namespace vz
