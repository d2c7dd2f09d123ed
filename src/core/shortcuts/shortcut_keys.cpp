#include "core/shortcuts/shortcut_keys.h"

#include <algorithm>
#include <array>

namespace vz {

namespace {

using namespace shortcut;

struct KeyEntry {
    quint8 virtualKey;
    quint32 keysym;
    int qtKey;
    bool keypad;  // Qt reports the key with Qt::KeypadModifier
    QString name;
};

// Virtual-key codes and X keysyms of the keys that have no run of their own.
struct NamedKey {
    quint8 virtualKey;
    quint32 keysym;
    int qtKey;
    bool keypad;
    const char* name;
};

constexpr NamedKey kNamedKeys[] = {
    {0x08, 0xff08, Qt::Key_Backspace, false, "BkSp"},
    {0x09, 0xff09, Qt::Key_Tab, false, "Tab"},
    {0x0D, 0xff0d, Qt::Key_Return, false, "Enter"},
    {0x13, 0xff13, Qt::Key_Pause, false, "Pause"},
    {0x1B, 0xff1b, Qt::Key_Escape, false, "Esc"},
    {0x20, 0x0020, Qt::Key_Space, false, "Space"},
    {0x21, 0xff55, Qt::Key_PageUp, false, "PgUp"},
    {0x22, 0xff56, Qt::Key_PageDown, false, "PgDn"},
    {0x23, 0xff57, Qt::Key_End, false, "End"},
    {0x24, 0xff50, Qt::Key_Home, false, "Home"},
    {0x25, 0xff51, Qt::Key_Left, false, "Left"},
    {0x26, 0xff52, Qt::Key_Up, false, "Up"},
    {0x27, 0xff53, Qt::Key_Right, false, "Right"},
    {0x28, 0xff54, Qt::Key_Down, false, "Down"},
    {0x2C, 0xff61, Qt::Key_Print, false, "Print"},
    {0x2D, 0xff63, Qt::Key_Insert, false, "Ins"},
    {0x2E, 0xffff, Qt::Key_Delete, false, "Del"},
    // The keypad's operators; its digits are generated below.
    {0x6A, 0xffaa, Qt::Key_Asterisk, true, "Num *"},
    {0x6B, 0xffab, Qt::Key_Plus, true, "Num +"},
    {0x6D, 0xffad, Qt::Key_Minus, true, "Num -"},
    {0x6E, 0xffae, Qt::Key_Period, true, "Num Del"},
    {0x6F, 0xffaf, Qt::Key_Slash, true, "Num /"},
    {0x91, 0xff14, Qt::Key_ScrollLock, false, "Scroll Lock"},
    // Punctuation keys, by their names on the US layout.
    {0xBA, 0x003b, Qt::Key_Semicolon, false, ";"},
    {0xBB, 0x003d, Qt::Key_Equal, false, "="},
    {0xBC, 0x002c, Qt::Key_Comma, false, ","},
    {0xBD, 0x002d, Qt::Key_Minus, false, "-"},
    {0xBE, 0x002e, Qt::Key_Period, false, "."},
    {0xBF, 0x002f, Qt::Key_Slash, false, "/"},
    {0xC0, 0x0060, Qt::Key_QuoteLeft, false, "`"},
    {0xDB, 0x005b, Qt::Key_BracketLeft, false, "["},
    {0xDC, 0x005c, Qt::Key_Backslash, false, "\\"},
    {0xDD, 0x005d, Qt::Key_BracketRight, false, "]"},
    {0xDE, 0x0027, Qt::Key_Apostrophe, false, "'"},
};

constexpr quint32 kKeysymF1 = 0xffbe;
constexpr quint32 kKeysymKeypad0 = 0xffb0;
constexpr quint32 kKeysymKeypadEnter = 0xff8d;
constexpr quint8 kVirtualKeyF1 = 0x70;
constexpr quint8 kVirtualKeyNumpad0 = 0x60;
constexpr quint8 kVirtualKeyEnter = 0x0D;

struct KeyTable {
    std::vector<KeyEntry> entries;
    std::array<int, 256> byVirtualKey;  // index into entries, -1 for none

    KeyTable() {
        for (int i = 0; i < 26; ++i)
            entries.push_back({quint8('A' + i), quint32('a' + i), Qt::Key_A + i, false, QString(QChar('A' + i))});
        for (int i = 0; i < 10; ++i)
            entries.push_back({quint8('0' + i), quint32('0' + i), Qt::Key_0 + i, false, QString(QChar('0' + i))});
        for (int i = 0; i < 24; ++i)
            entries.push_back({quint8(kVirtualKeyF1 + i), kKeysymF1 + quint32(i), Qt::Key_F1 + i, false,
                               QStringLiteral("F%1").arg(i + 1)});
        for (int i = 0; i < 10; ++i)
            entries.push_back({quint8(kVirtualKeyNumpad0 + i), kKeysymKeypad0 + quint32(i), Qt::Key_0 + i, true,
                               QStringLiteral("Num %1").arg(i)});
        for (const NamedKey& k : kNamedKeys)
            entries.push_back({k.virtualKey, k.keysym, k.qtKey, k.keypad, QString::fromLatin1(k.name)});
        byVirtualKey.fill(-1);
        for (size_t i = 0; i < entries.size(); ++i) byVirtualKey[entries[i].virtualKey] = int(i);
    }

    const KeyEntry* ofVirtualKey(quint8 virtualKey) const {
        const int i = byVirtualKey[virtualKey];
        return i < 0 ? nullptr : &entries[size_t(i)];
    }

    template <typename Pred>
    const KeyEntry* find(Pred pred) const {
        const auto it = std::find_if(entries.begin(), entries.end(), pred);
        return it == entries.end() ? nullptr : &*it;
    }
};

const KeyTable& table() {
    static const KeyTable t;
    return t;
}

// The key of a keysym: letters of either case, the keypad's Enter as Enter.
const KeyEntry* entryOfKeysym(quint32 keysym) {
    if (keysym >= 'A' && keysym <= 'Z') keysym += 'a' - 'A';
    if (keysym == kKeysymKeypadEnter) return table().ofVirtualKey(kVirtualKeyEnter);
    return table().find([&](const KeyEntry& e) { return e.keysym == keysym; });
}

quint16 withQtModifiers(quint8 virtualKey, Qt::KeyboardModifiers modifiers) {
    quint16 value = virtualKey;
    if (modifiers.testFlag(Qt::ShiftModifier)) value |= Shift;
    if (modifiers.testFlag(Qt::ControlModifier)) value |= Ctrl;
    if (modifiers.testFlag(Qt::AltModifier)) value |= Alt;
    return value;
}

struct Prefix {
    quint16 modifier;
    QLatin1StringView text;
};
constexpr Prefix kPrefixes[] = {
    {Shift, QLatin1StringView("Shift+")}, {Ctrl, QLatin1StringView("Ctrl+")}, {Alt, QLatin1StringView("Alt+")}};

}  // namespace

QString shortcutToText(quint16 value) {
    const KeyEntry* key = table().ofVirtualKey(quint8(value & KeyMask));
    if (!key) return {};
    QString text;
    for (const Prefix& p : kPrefixes)
        if (value & p.modifier) text += p.text;
    return text + key->name;
}

quint16 shortcutFromText(QStringView text) {
    quint16 modifiers = 0;
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const Prefix& p : kPrefixes)
            if (text.startsWith(p.text, Qt::CaseInsensitive)) {
                modifiers |= p.modifier;
                text = text.mid(p.text.size());
                stripped = true;
            }
    }
    if (text.isEmpty()) return 0;
    const KeyEntry* key =
        table().find([&](const KeyEntry& e) { return text.compare(e.name, Qt::CaseInsensitive) == 0; });
    return key ? quint16(modifiers | key->virtualKey) : 0;
}

quint32 shortcutKeysym(quint16 value) {
    const KeyEntry* key = table().ofVirtualKey(quint8(value & KeyMask));
    return key ? key->keysym : 0;
}

unsigned shortcutXModifiers(quint16 value) {
    unsigned mask = 0;
    if (value & Shift) mask |= XShiftMask;
    if (value & Ctrl) mask |= XControlMask;
    if (value & Alt) mask |= XMod1Mask;
    return mask;
}

quint16 shortcutFromXKey(quint32 keysym, unsigned xState) {
    const KeyEntry* key = entryOfKeysym(keysym);
    if (!key) return 0;
    quint16 value = key->virtualKey;
    if (xState & XShiftMask) value |= Shift;
    if (xState & XControlMask) value |= Ctrl;
    if (xState & XMod1Mask) value |= Alt;
    return value;
}

quint16 shortcutFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey == Qt::Key_Enter) qtKey = Qt::Key_Return;  // the keypad's Enter is Enter
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    const KeyEntry* key = table().find([&](const KeyEntry& e) { return e.qtKey == qtKey && e.keypad == keypad; });
    // Keypad keys without a keypad entry of their own (arrows, Home, ...)
    // stand for the main keys.
    if (!key && keypad) key = table().find([&](const KeyEntry& e) { return e.qtKey == qtKey && !e.keypad; });
    return key ? withQtModifiers(key->virtualKey, modifiers) : 0;
}

quint16 shortcutOfKeyPress(const std::vector<std::uint32_t>& keysyms, int qtKey, Qt::KeyboardModifiers modifiers) {
    for (const std::uint32_t keysym : keysyms)
        if (const KeyEntry* key = entryOfKeysym(keysym)) return withQtModifiers(key->virtualKey, modifiers);
    return shortcutFromQtKey(qtKey, modifiers);
}

std::vector<unsigned> lockModifierVariants(unsigned numLockMask, unsigned capsLockMask, unsigned scrollLockMask) {
    std::vector<unsigned> variants{0};
    for (const unsigned mask : {numLockMask, capsLockMask, scrollLockMask}) {
        if (mask == 0) continue;
        const size_t count = variants.size();
        for (size_t i = 0; i < count; ++i) {
            const unsigned v = variants[i] | mask;
            if (std::find(variants.begin(), variants.end(), v) == variants.end()) variants.push_back(v);
        }
    }
    return variants;
}

}  // namespace vz
