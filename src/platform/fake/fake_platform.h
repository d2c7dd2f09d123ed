#pragma once
// A deterministic platform for tests: monitors, screen content, pointer,
// windows and answers are set by the test; what the program asked for is
// recorded so the test can check it.

#include "platform/platform.h"

#include <atomic>
#include <QMap>
#include <QSet>
#include <chrono>
#include <deque>

namespace vz {

// A counter that worker threads may change; a copied desktop (another
// "process") starts from the count it had.
struct FakeCounter {
    std::atomic<int> value{0};
    FakeCounter() = default;
    FakeCounter(const FakeCounter& other) : value(other.value.load()) {}
    FakeCounter& operator=(const FakeCounter& other) {
        value = other.value.load();
        return *this;
    }
    operator int() const { return value.load(); }
};

struct FakeDesktop {
    QVector<QRect> monitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    QVector<DisplayOutput> outputs;  // what outputs() reports
    QImage screen;                   // root-window content; null means all black
    bool captureFails = false;       // makes captureScreen fail
    int screenCaptures = 0;          // how many captures were made
    QVector<QRect> captureRects;     // what each capture copied
    QPoint pointer{100, 100};
    QImage cursor;  // empty: no cursor image
    QPoint cursorHotSpot;
    struct Window {
        QRect outer{};
        QImage content{};
        QString title{};
        QString className{};
        QString programPath{};
        bool visible = true;  // false: minimised, cannot be captured
        bool desktopOrPanel = false;
    };
    QMap<WindowId, Window> windows;  // listed in the order of their ids
    // Until this time pictures taken at once (captureWindowNow) show
    // `coveredPicture` instead of the window, as just after the system began
    // to keep the windows' contents.
    std::chrono::steady_clock::time_point windowsRedrawnBy{};
    QImage coveredPicture;
    // Window services opened through openWindows and not yet closed (the
    // server keeps off-screen copies of windows while one is open).
    FakeCounter openWindowServices;
    QRegion screenChanges;                // handed out and cleared by takeChanges()
    bool screenChangesAvailable = false;  // tests that track changes switch it on
    QSet<QString>* heldLocks = nullptr;   // shared between "processes" of one test
    QString lockError;                    // non-empty: acquiring fails with this
    // Prompter script and record.
    std::deque<Prompter::Answer> answers;  // next answers; empty: the default answer
    std::deque<bool> checkBoxAnswers;      // informWithCheckBox: box state chosen by the "user"
    QStringList asked;                     // texts of every box shown, in order
    QVector<Prompter::Icon> beeps;
    std::deque<QString> chosenFiles;          // chooseOpenFile, chooseSaveFile: next paths; empty: cancelled
    std::deque<QStringList> chosenFileLists;  // chooseOpenFiles: next choices; empty: cancelled
    QStringList fileFilters;                  // filters of every open dialog shown, in order
    QString executablePath = QStringLiteral("/opt/vivivoz/vivivoz");
    QString configHome = QStringLiteral("/tmp/vivivoz-fake-config");
    QString documentsDir = QStringLiteral("/tmp/vivivoz-fake-docs");
    // Global keys: combinations other programs hold (registering them fails),
    // keysyms no key of the keyboard produces, combinations the system keeps
    // for itself, the ones the program holds by id, and where presses go.
    QVector<KeyCombination> keysHeldElsewhere;
    QVector<std::uint32_t> keysymsMissing;
    QVector<KeyCombination> keysKeptBySystem;
    // What held keys cannot do here (GlobalKeys::limitation); empty: nothing.
    QString keysLimitation;
    QMap<int, KeyCombination> registeredKeys;
    GlobalKeys::PressHandler keyHandler;
    // The keyboard: the keysyms of each native key code, unshifted first.
    QMap<std::uint32_t, std::vector<std::uint32_t>> keyboard;
    // Pointer fence: the rectangle in force (null while the pointer is free)
    // and whether the user holds Ctrl.
    QRect pointerFence;
    bool ctrlHeld = false;
};

// Presses the combination registered under `id`, as the user would; false
// (and nothing delivered) when no combination is registered under it.
bool pressGlobalKey(FakeDesktop& desktop, int id);

// Builds a platform whose services read and write `desktop`, which must
// outlive it.
Platform makeFakePlatform(FakeDesktop& desktop);

}  // namespace vz
