#pragma once
// The services Vivivoz needs from the desktop it runs on. Plain C++ and QtGui
// value types only: no X11 header may be included from here, and nothing
// outside src/platform/ may assume X11. Implementations: x11/ (real) and
// fake/ (deterministic, scriptable, for tests).

#include "platform/band_sink.h"

#include <QByteArray>
#include <QFlags>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace vz {

// One display output (a connector of a graphics adapter).
struct DisplayOutput {
    QString name;     // e.g. "HDMI-1"
    QString adapter;  // the adapter's name; empty when unknown
    bool connected = false;
    bool active = false;  // shows part of the desktop
    QSize mode;           // the current mode; empty when there is none
    double refreshHz = 0;
    int depth = 0;  // bits per pixel
};

// Monitors of the desktop. Index 0 is the primary monitor; the others follow
// in the system's order (RandR monitor order on X11).
class Monitors {
public:
    virtual ~Monitors() = default;
    virtual QVector<QRect> monitors() const = 0;  // geometry of each monitor
    // The outputs: the primary's first, then the other active ones, then the
    // connected ones, then the rest. Empty when the system cannot tell.
    virtual QVector<DisplayOutput> outputs() const { return {}; }
    int count() const { return int(monitors().size()); }
    // The primary screen: the first monitor; 0x0 when nothing is known.
    QRect primary() const {
        const auto list = monitors();
        return list.isEmpty() ? QRect() : list.first();
    }
};

// Copies of the screen. Images are QImage::Format_RGB32 and reused: `into` is
// only reallocated when its size or format differs from what is asked.
class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // Copies `rect` (root-window coordinates) into `into`, resized to
    // rect.size(). Returns false and leaves `into` unchanged on failure.
    virtual bool captureScreen(const QRect& rect, QImage& into) = 0;
    // Copies `rect` into the Format_RGB32 image `into` with its top-left
    // corner at `at`; the rest of `into` is left alone. False (and `into`
    // untouched) when `rect` does not fit there or the copy fails.
    virtual bool captureScreenAt(const QRect& rect, QImage& into, QPoint at) {
        if (rect.isEmpty() || into.format() != QImage::Format_RGB32 || !into.rect().contains(QRect(at, rect.size())) ||
            !captureScreen(rect, part_))
            return false;
        for (int y = 0; y < rect.height(); ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(part_.constScanLine(y)), rect.width(),
                        reinterpret_cast<QRgb*>(into.scanLine(at.y() + y)) + at.x());
        return true;
    }
    // True when the fast shared-memory path is in use.
    virtual bool usesSharedMemory() const = 0;

private:
    QImage part_;  // captureScreenAt's copy, kept for the next call
};

// The pointer and its current shape.
class Pointer {
public:
    virtual ~Pointer() = default;
    virtual QPoint position() const = 0;  // root-window coordinates
    // Current cursor image (ARGB32 premultiplied) and its hot spot. Returns
    // false when no image can be had.
    virtual bool cursorImage(QImage& image, QPoint& hotSpot) = 0;
};

using WindowId = std::uint64_t;

// One top-level window as a window list shows it.
struct WindowInfo {
    WindowId id = 0;              // the application's own window (not the frame round it)
    QString title{};              // empty when the window has none
    QString className{};          // the class part of WM_CLASS ("Firefox")
    QString instanceName{};       // the instance part of WM_CLASS ("Navigator")
    qint64 processId = 0;         // 0 when unknown
    QString programPath{};        // the owning process's executable; empty when unknown
    QRect outer{};                // frame and title bar included, root coordinates
    bool visible = false;         // mapped and viewable (false when minimised)
    bool desktopOrPanel = false;  // the desktop background, a panel or a dock
};

// Top-level application windows.
class Windows {
public:
    virtual ~Windows() = default;
    // Every top-level application window the window manager knows, in its
    // order; windows that vanish while the list is read are left out.
    virtual QVector<WindowInfo> listWindows() = 0;
    // Outer geometry (frame and title bar included) in root coordinates;
    // an empty rectangle when the window no longer exists.
    virtual QRect outerGeometry(WindowId window) = 0;
    // Copies the window's outer area into `into` (resized to that size).
    // Parts covered by other windows show the window's own pixels where the
    // system keeps window contents apart. Returns false and leaves `into`
    // unchanged when the window is gone, minimised or cannot be read.
    virtual bool captureWindow(WindowId window, QImage& into) = 0;
    // Just after a service that keeps every window's contents was opened,
    // the applications are still redrawing what other windows covered:
    // until this time (steady clock) a picture may show the covering
    // windows there. captureWindow waits for it; captureWindowNow does not.
    // A time in the past (the default) when pictures are faithful at once.
    virtual std::chrono::steady_clock::time_point redrawnBy() const { return {}; }
    virtual bool captureWindowNow(WindowId window, QImage& into) { return captureWindow(window, into); }
};

// Tells when monitors come, go or change size. Used on the user-interface
// thread.
class MonitorChanges {
public:
    virtual ~MonitorChanges() = default;
    // `changed` runs from the event loop after the monitors changed (once
    // for a burst of changes).
    virtual void watch(std::function<void()> changed) = 0;
};

// What changed on the screen. Used from one thread (any thread, not only the
// user-interface thread); needs no event loop.
class ScreenChanges {
public:
    virtual ~ScreenChanges() = default;
    // False when the system cannot tell: then treat everything as changed.
    virtual bool available() const = 0;
    // The parts of the screen (root coordinates) drawn since the previous
    // call; the first call reports what changed since the object was made.
    virtual QRegion takeChanges() = 0;
};

// Single-instance lock: held for the life of the process, released by the
// kernel when the process ends, however it ends.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // Takes the lock named from `executablePath`. False when another running
    // process holds it. `error` receives the system's reason when the lock
    // cannot be created at all (then the result is also false).
    virtual bool acquire(const QString& executablePath, QString* error) = 0;
    // Where the copy holding the lock listens for later starts (a local
    // socket named like the lock); empty when there is none.
    virtual QString channelPath(const QString& executablePath) const {
        (void)executablePath;
        return {};
    }
};

// Questions, messages and beeps. The real one shows message boxes; the fake
// one answers from a script.
class Prompter {
public:
    enum class Icon { None, Information, Question, Warning, Error };
    enum class Answer { Yes, No, Ok, Cancel };
    enum class Buttons { Ok, YesNo };
    // The program's caption on its message boxes.
    static inline const QString kCaption = QStringLiteral("Vivivoz");
    virtual ~Prompter() = default;
    virtual void beep(Icon icon) = 0;
    // A message the user only acknowledges: the beep, then a box with one
    // "OK" button and the warning or error icon; the text goes to standard
    // error too.
    void warn(const QString& text, const QString& caption = kCaption) { tell(Icon::Warning, text, caption); }
    void error(const QString& text, const QString& caption = kCaption) { tell(Icon::Error, text, caption); }
    // A modal message box with the caption `caption`.
    virtual Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon,
                       Answer defaultAnswer) = 0;
    // A message box with one "OK" button and a check box below the text.
    // Returns true when closed with the button; `checked` then holds the
    // box's state (it is left alone otherwise).
    virtual bool informWithCheckBox(const QString& caption, const QString& text, const QString& checkBoxText,
                                    bool& checked) = 0;
    // A modal "Open" dialog for one existing file, filtered by `filter`
    // ("Name (*.ext)"); the chosen path, or empty when cancelled.
    virtual QString chooseOpenFile(const QString& filter, const QString& defaultSuffix) {
        (void)filter;
        (void)defaultSuffix;
        return {};
    }
    // The same for several files at once; empty when cancelled.
    virtual QStringList chooseOpenFiles(const QString& filter) {
        (void)filter;
        return {};
    }
    // A modal "Save" dialog; asks before overwriting a file when
    // `confirmOverwrite`. The path, or empty when cancelled.
    virtual QString chooseSaveFile(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite) {
        (void)filter;
        (void)defaultSuffix;
        (void)confirmOverwrite;
        return {};
    }

private:
    // Also on standard error: a session may have no one looking at the
    // screen, and the log keeps what the box said.
    void tell(Icon icon, const QString& text, const QString& caption) {
        std::fprintf(stderr, "vivivoz: %s\n", qPrintable(text));
        beep(icon);
        ask(caption, text, Buttons::Ok, icon, Answer::Ok);
    }
};

// Folders the program uses.
class Paths {
public:
    virtual ~Paths() = default;
    virtual QString executablePath() const = 0;  // full path of the running executable
    virtual QString executableDir() const = 0;   // with a trailing '/'
    virtual QString configHome() const = 0;      // $XDG_CONFIG_HOME or ~/.config, no trailing '/'
    virtual QString documentsDir() const = 0;    // the user's documents folder, empty if unknown
};

// System-wide key combinations that reach the program whatever window has
// the keyboard focus.
enum class KeyModifier : unsigned { Shift = 1, Ctrl = 2, Alt = 4 };
Q_DECLARE_FLAGS(KeyModifiers, KeyModifier)
Q_DECLARE_OPERATORS_FOR_FLAGS(KeyModifiers)

struct KeyCombination {
    std::uint32_t keysym = 0;  // X keysym number: 0x61 'a', 0xffbe F1...; 0 is no key
    KeyModifiers modifiers;
    friend bool operator==(const KeyCombination&, const KeyCombination&) = default;
};

// What became of a registration.
enum class KeyRegistration {
    Registered,     // held: its presses arrive
    HeldElsewhere,  // another program or another id holds the combination
    NoSuchKey,      // no key of the keyboard produces the keysym
    KeptBySystem,   // the system acts on the combination itself and never
                    // passes it on (X11: Ctrl+Alt+F1...F12 switch consoles)
};

class GlobalKeys {
public:
    using PressHandler = std::function<void(int id)>;
    virtual ~GlobalKeys() = default;
    // Called on the thread that created the service (the UI thread) with the
    // id of each press of a registered combination.
    virtual void setPressHandler(PressHandler handler) = 0;
    // Takes `keys` system-wide under `id`, whatever the state of Num Lock,
    // Caps Lock and Scroll Lock. Anything but Registered holds nothing. An id
    // that was registered gives up its old combination first (also when the
    // new one fails).
    virtual KeyRegistration registerKey(int id, const KeyCombination& keys) = 0;
    // Gives the combination back: once this returns another program can take
    // it. Unknown ids are ignored.
    virtual void unregisterKey(int id) = 0;
    virtual void unregisterAll() = 0;
    virtual bool isRegistered(int id) const = 0;
    // The keysyms the keyboard's key `nativeKey` produces (X11: its key code,
    // which is what QKeyEvent::nativeScanCode() reports): unshifted, then
    // shifted, of the active layout, then of the first layout; no repeats.
    // Empty for a code no key has.
    virtual std::vector<std::uint32_t> keysymsOfKey(std::uint32_t nativeKey) const = 0;
    // What registered keys cannot do on this system, in words for the user;
    // empty when they work everywhere.
    virtual QString limitation() const { return {}; }
};

// Keeps the pointer inside a rectangle of the desktop (the cursor lock).
// Holding Ctrl while pushing against the fence lets the pointer out; it is
// held again once it has come back inside.
class PointerFence {
public:
    virtual ~PointerFence() = default;
    // Fences the pointer into `area`, every pixel of which the pointer may
    // reach (root coordinates); an empty `area` holds the pointer at its top
    // left corner. When `area` touches none of `monitors` (index 0 the
    // primary) the primary monitor is used instead. Brings a pointer that is
    // outside back at once. Cheap when called again with the same rectangle.
    virtual void confine(const QRect& area, const QVector<QRect>& monitors) = 0;
    // Frees the pointer. Destroying the fence frees it too.
    virtual void release() = 0;
    // Moves a pointer found outside the fence to the nearest point inside,
    // unless Ctrl let it out. True when the pointer was moved.
    virtual bool bringBack() = 0;
    // The rectangle in force; a null QRect while the pointer is free.
    virtual QRect fence() const = 0;
};

// What the clipboard holds, read without an event loop, for a worker
// thread: each call asks the clipboard's owner (another program, or this
// one) and waits for its answer, at most the reader's timeout for each
// step, so an owner that never answers or goes away in the middle of a
// transfer costs the calling thread that long and nobody else. Used from one
// thread at a time; interrupt() from any thread.
class ClipboardReader {
public:
    enum class Outcome {
        Done,         // `types` or `bytes` hold the answer
        Empty,        // nobody owns the clipboard, or the owner has no data of the type
        NoAnswer,     // the owner did not answer in time, or went away mid-answer
        TooLarge,     // the data is larger than the caller takes
        Interrupted,  // interrupt() ended the call
    };
    struct Reply {
        Outcome outcome = Outcome::Empty;
        QStringList types;  // types(): what the owner offers (MIME names)
        QByteArray bytes;   // read(): the data
    };
    virtual ~ClipboardReader() = default;
    // The types the owner offers.
    virtual Reply types() = 0;
    // The data of `type`; more than `maxBytes` ends the transfer with TooLarge.
    virtual Reply read(const QString& type, qint64 maxBytes) = 0;
    // From any thread: the call under way, and every later one, ends at once
    // with Interrupted until clearInterrupt() (on the reading thread).
    virtual void interrupt() = 0;
    virtual void clearInterrupt() = 0;
};

// Everything together. Created by one factory per backend.
struct Platform {
    std::unique_ptr<Monitors> monitors;
    std::unique_ptr<ScreenCapture> screen;
    std::unique_ptr<Pointer> pointer;
    std::unique_ptr<Windows> windows;
    std::unique_ptr<InstanceLock> instanceLock;
    std::unique_ptr<Prompter> prompter;
    std::unique_ptr<Paths> paths;
    // For worker threads: each service has a connection of its own, so it
    // never shares one with the user-interface thread. Null when there is no
    // display; openWindows() returns null when its connection fails.
    std::unique_ptr<Pointer> capturePointer;
    std::unique_ptr<ScreenChanges> screenChanges;
    std::unique_ptr<MonitorChanges> monitorChanges;  // null when the system cannot tell
    // Many windows in turn (the picker's thumbnails): while it lives the
    // system may keep every window's contents off-screen.
    std::function<std::unique_ptr<Windows>()> openWindows;
    // One window followed (the mirror): only that window's contents are
    // kept off-screen. Null: openWindows serves.
    std::function<std::unique_ptr<Windows>()> openWindowMirror;
    std::unique_ptr<GlobalKeys> globalKeys;
    std::unique_ptr<PointerFence> pointerFence;
    // The clipboard's contents for a worker thread (a connection of its
    // own). Null where the clipboard is read through Qt on the
    // user-interface thread (a system whose clipboard answers at once).
    std::unique_ptr<ClipboardReader> clipboardReader;
    // A scroll band's surface: draws into the native window `window` over a
    // connection of its own, from one thread at a time (the band's tick
    // thread and its paint, serialised by the band's lock). Null when there
    // is no display; the function returns null when the window cannot be used.
    std::function<std::unique_ptr<BandSink>(WindowId window)> openBandSurface;
    // Whether a compositing manager runs, so that a window's opacity shows
    // (asked each time: one may start or stop at any moment). Null when the
    // system cannot tell; opacity is then taken to work.
    std::function<bool()> compositing;
    // A choice the system remembers between runs when the program keeps a
    // token for it (Wayland: the screen-cast portal's restore token, so the
    // user picks the monitor once). The App calls it once at start with the
    // stored token (empty when none) and a function that stores a new one.
    // Null where the system asks for no such choice.
    std::function<void(const QString& stored, std::function<void(const QString&)> store)> keepCaptureGrant;
};

}  // namespace vz
