#pragma once
// Keyboard shortcuts in their three forms, mapped through one table:
//  - the stored value, 16 bits: low byte a Windows virtual-key code,
//    0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt; 0 means no key;
//  - the text of the settings file and the printout, such as "Ctrl+F11":
//    "Shift+", "Ctrl+", "Alt+" in that order, then the key's name;
//  - an X keysym plus X modifier mask, for the global-key grab.
// X keysyms and masks are plain numbers here (the X protocol's values), so
// that nothing outside the platform layer includes X headers.

#include <QString>
#include <QStringView>
#include <Qt>

#include <cstdint>
#include <vector>

namespace vz {

namespace shortcut {
constexpr quint16 Shift = 0x2000;
constexpr quint16 Ctrl = 0x4000;
constexpr quint16 Alt = 0x8000;
constexpr quint16 Modifiers = Shift | Ctrl | Alt;
constexpr quint16 KeyMask = 0x00FF;

// X modifier masks (core protocol values).
constexpr unsigned XShiftMask = 1u << 0;
constexpr unsigned XLockMask = 1u << 1;  // Caps Lock
constexpr unsigned XControlMask = 1u << 2;
constexpr unsigned XMod1Mask = 1u << 3;  // Alt
}  // namespace shortcut

// Empty for 0 and for a key the table does not name.
QString shortcutToText(quint16 shortcut);
// 0 for text that names no key: empty, "None", an unknown name. The
// prefixes may come in any order; names are matched ignoring letter case.
quint16 shortcutFromText(QStringView text);

// The keysym of the shortcut's key (letters as lower-case keysyms, as the
// keyboard's first level has them); 0 when it has none.
quint32 shortcutKeysym(quint16 shortcut);
// The X modifier mask of the shortcut's Shift, Ctrl and Alt.
unsigned shortcutXModifiers(quint16 shortcut);
// The shortcut of a key press: its keysym and X modifier state (lock keys
// and other modifiers are ignored); 0 when the key has no virtual-key code.
quint16 shortcutFromXKey(quint32 keysym, unsigned xState);

// The shortcut of a Qt key event (key() and modifiers()), for entry boxes
// where the X keysym is not at hand. Keypad keys need Qt::KeypadModifier.
quint16 shortcutFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

// The shortcut of a key pressed in an entry box. `keysyms` are what the
// pressed key produces, unshifted first (GlobalKeys::keysymsOfKey): the
// first that names a key is the key, so Shift+1 is Shift+1 and not "!", and
// the key that gives 1 only with Shift (AZERTY) is 1. When none of them
// names a key, Qt's key stands.
quint16 shortcutOfKeyPress(const std::vector<std::uint32_t>& keysyms, int qtKey, Qt::KeyboardModifiers modifiers);

// Every combination of the lock modifiers to grab alongside a key so that
// it works whatever lock is on: each subset of the given masks OR'ed
// together, without repeats, 0 (no lock) first. A mask of 0 (that lock is on
// no modifier) adds nothing.
std::vector<unsigned> lockModifierVariants(unsigned numLockMask, unsigned capsLockMask, unsigned scrollLockMask);

}  // namespace vz
