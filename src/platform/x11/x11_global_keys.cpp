#include "platform/x11/x11_global_keys.h"

#include "platform/x11/x11_error_trap.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>

namespace vz::x11 {

std::vector<unsigned> lockVariants(const std::vector<unsigned>& lockMasks) {
    std::vector<unsigned> distinct;
    for (unsigned mask : lockMasks)
        if (mask && std::find(distinct.begin(), distinct.end(), mask) == distinct.end()) distinct.push_back(mask);
    std::vector<unsigned> variants{0};
    for (unsigned mask : distinct) {
        const std::size_t count = variants.size();
        for (std::size_t i = 0; i < count; ++i) variants.push_back(variants[i] | mask);
    }
    return variants;
}

namespace {

// The modifier bit that the key producing `keysym` is bound to, 0 for none.
unsigned maskOfKeysym(Display* display, const XModifierKeymap* map, KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    if (!code) return 0;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[modifier * map->max_keypermod + k] == code) return 1u << modifier;
    return 0;
}

// The keysyms whose actions the server carries out itself, swallowing the
// press: the console switches of Ctrl+Alt+F1...F12, and the keys that end
// the server or break grabs where the keyboard options map them.
bool isServerKeysym(KeySym keysym) {
    return (keysym >= XF86XK_Switch_VT_1 && keysym <= XF86XK_Switch_VT_12) || keysym == XK_Terminate_Server ||
           keysym == XF86XK_Ungrab || keysym == XF86XK_ClearGrab;
}

// The combination produces one of those keysyms: no client ever sees it.
bool keptByServer(Display* display, KeyCode code, unsigned modifiers) {
    unsigned consumed = 0;
    KeySym produced = NoSymbol;
    return XkbLookupKeySym(display, code, modifiers, &consumed, &produced) && isServerKeysym(produced);
}

}  // namespace

X11GlobalKeys::X11GlobalKeys(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {
    readModifierMap();
}

// The notifier is made at first use: the service is created before the
// application object, and a notifier needs the event loop's thread set up.
void X11GlobalKeys::watchEvents() {
    if (notifier_) return;
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(connection_->display()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readEvents(); });
}

X11GlobalKeys::~X11GlobalKeys() {
    notifier_.reset();
    unregisterAll();
}

void X11GlobalKeys::readModifierMap() {
    Display* display = connection_->display();
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) {
        lockMasks_ = {LockMask};
        altMask_ = Mod1Mask;
    } else {
        unsigned caps = maskOfKeysym(display, map, XK_Caps_Lock);
        if (!caps) caps = maskOfKeysym(display, map, XK_Shift_Lock);
        lockMasks_ = {maskOfKeysym(display, map, XK_Num_Lock), caps, maskOfKeysym(display, map, XK_Scroll_Lock)};
        altMask_ = maskOfKeysym(display, map, XK_Alt_L);
        if (!altMask_) altMask_ = maskOfKeysym(display, map, XK_Alt_R);
        if (!altMask_) altMask_ = maskOfKeysym(display, map, XK_Meta_L);
        XFreeModifiermap(map);
    }
    // Caps Lock is the core Lock modifier wherever it is on the keyboard.
    if (std::find(lockMasks_.begin(), lockMasks_.end(), unsigned(LockMask)) == lockMasks_.end())
        lockMasks_.push_back(LockMask);
    // Alt cannot be one of the lock modifiers, nor Shift or Control.
    if (!altMask_ || altMask_ == ShiftMask || altMask_ == ControlMask || altMask_ == LockMask) altMask_ = Mod1Mask;
    variants_ = lockVariants(lockMasks_);
}

unsigned X11GlobalKeys::modifierMask(KeyModifiers modifiers) const {
    unsigned mask = 0;
    if (modifiers & KeyModifier::Shift) mask |= ShiftMask;
    if (modifiers & KeyModifier::Ctrl) mask |= ControlMask;
    if (modifiers & KeyModifier::Alt) mask |= altMask_;
    return mask;
}

void X11GlobalKeys::setPressHandler(PressHandler handler) { handler_ = std::move(handler); }

KeyRegistration X11GlobalKeys::registerKey(int id, const KeyCombination& keys) {
    watchEvents();
    unregisterKey(id);
    Display* display = connection_->display();
    const KeyCode code = keys.keysym ? XKeysymToKeycode(display, KeySym(keys.keysym)) : 0;
    if (!code) return KeyRegistration::NoSuchKey;
    const Grab grab{code, modifierMask(keys.modifiers)};
    if (keptByServer(display, code, grab.modifiers)) return KeyRegistration::KeptBySystem;
    // The server lets one client grab the same combination twice; two of
    // our ids must not share one.
    for (const Grab& other : std::as_const(grabs_))
        if (other.keycode == grab.keycode && other.modifiers == grab.modifiers) return KeyRegistration::HeldElsewhere;

    bool held = false;
    {
        ErrorTrap trap(display);
        for (unsigned variant : variants_)
            XGrabKey(display, grab.keycode, grab.modifiers | variant, Window(connection_->root()), False, GrabModeAsync,
                     GrabModeAsync);
        // BadAccess: another client holds the combination in some variant.
        held = trap.sync();
        if (!held) ungrab(grab);
    }
    if (held) grabs_.insert(id, grab);
    readLater();
    return held ? KeyRegistration::Registered : KeyRegistration::HeldElsewhere;
}

void X11GlobalKeys::ungrab(const Grab& grab) {
    // Releasing a grab we do not hold is no error: only our own go.
    for (unsigned variant : variants_)
        XUngrabKey(connection_->display(), grab.keycode, grab.modifiers | variant, Window(connection_->root()));
}

void X11GlobalKeys::unregisterKey(int id) {
    const auto it = grabs_.find(id);
    if (it == grabs_.end()) return;
    ungrab(*it);
    grabs_.erase(it);
    // Once this returns another program can take the combination.
    XSync(connection_->display(), False);
    readLater();
}

void X11GlobalKeys::unregisterAll() {
    for (const Grab& grab : std::as_const(grabs_)) ungrab(grab);
    grabs_.clear();
    XSync(connection_->display(), False);
    readLater();
}

bool X11GlobalKeys::isRegistered(int id) const { return grabs_.contains(id); }

std::vector<std::uint32_t> X11GlobalKeys::keysymsOfKey(std::uint32_t nativeKey) const {
    Display* display = connection_->display();
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(display, &minCode, &maxCode);
    if (nativeKey < std::uint32_t(minCode) || nativeKey > std::uint32_t(maxCode)) return {};
    XkbStateRec state{};
    const int active = XkbGetState(display, XkbUseCoreKbd, &state) == Success ? state.group : 0;
    std::vector<std::uint32_t> keysyms;
    for (const int group : {active, 0})
        for (const int level : {0, 1}) {
            const KeySym keysym = XkbKeycodeToKeysym(display, KeyCode(nativeKey), group, level);
            if (keysym != NoSymbol && std::find(keysyms.begin(), keysyms.end(), keysym) == keysyms.end())
                keysyms.push_back(std::uint32_t(keysym));
        }
    return keysyms;
}

void X11GlobalKeys::readLater() {
    if (notifier_ && XQLength(connection_->display()) > 0)
        QMetaObject::invokeMethod(
            notifier_.get(), [this] { readEvents(); }, Qt::QueuedConnection);
}

void X11GlobalKeys::readEvents() {
    Display* display = connection_->display();
    std::vector<int> pressed;
    const unsigned relevant = ShiftMask | ControlMask | altMask_;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            continue;
        }
        if (event.type != KeyPress) continue;
        const unsigned modifiers = event.xkey.state & relevant;
        for (auto it = grabs_.cbegin(); it != grabs_.cend(); ++it)
            if (it->keycode == event.xkey.keycode && it->modifiers == modifiers) pressed.push_back(it.key());
    }
    // The handler may register or drop keys: it runs after the reading.
    for (int id : pressed)
        if (handler_) handler_(id);
    readLater();
}

}  // namespace vz::x11
