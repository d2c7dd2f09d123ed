#include "platform/fake/fake_platform.h"

#include "platform/fence_rules.h"

#include <QFileInfo>
#include <QPainter>

#include <utility>

namespace vz {
namespace {

class FakeMonitors final : public Monitors {
public:
    explicit FakeMonitors(FakeDesktop& d) : d_(d) {}
    QVector<QRect> monitors() const override { return d_.monitors; }
    QVector<DisplayOutput> outputs() const override { return d_.outputs; }

private:
    FakeDesktop& d_;
};

// Copies `rect` of `source` (black outside it) into `into`, reusing its buffer.
void copyRect(const QImage& source, const QRect& rect, QImage& into) {
    if (into.size() != rect.size() || into.format() != QImage::Format_RGB32)
        into = QImage(rect.size(), QImage::Format_RGB32);
    into.fill(Qt::black);
    if (source.isNull() || rect.isEmpty()) return;
    QPainter p(&into);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), source, rect);
}

class FakeScreen final : public ScreenCapture {
public:
    explicit FakeScreen(FakeDesktop& d) : d_(d) {}
    bool captureScreen(const QRect& rect, QImage& into) override {
        if (d_.captureFails) return false;
        ++d_.screenCaptures;
        d_.captureRects.append(rect);
        copyRect(d_.screen, rect, into);
        return true;
    }
    bool usesSharedMemory() const override { return true; }

private:
    FakeDesktop& d_;
};

class FakePointer final : public Pointer {
public:
    explicit FakePointer(FakeDesktop& d) : d_(d) {}
    QPoint position() const override { return d_.pointer; }
    bool cursorImage(QImage& image, QPoint& hotSpot) override {
        if (d_.cursor.isNull()) return false;
        image = d_.cursor;
        hotSpot = d_.cursorHotSpot;
        return true;
    }

private:
    FakeDesktop& d_;
};

class FakeWindows final : public Windows {
public:
    // `counted`: opened through openWindows, counted while it lives.
    explicit FakeWindows(FakeDesktop& d, bool counted = false) : d_(d), counted_(counted) {
        if (counted_) ++d_.openWindowServices.value;
    }
    ~FakeWindows() override {
        if (counted_) --d_.openWindowServices.value;
    }
    QVector<WindowInfo> listWindows() override {
        QVector<WindowInfo> list;
        for (auto it = d_.windows.cbegin(); it != d_.windows.cend(); ++it) {
            WindowInfo info;
            info.id = it.key();
            info.title = it->title;
            info.className = it->className;
            info.programPath = it->programPath;
            info.outer = it->outer;
            info.visible = it->visible;
            info.desktopOrPanel = it->desktopOrPanel;
            list << info;
        }
        return list;
    }
    QRect outerGeometry(WindowId w) override {
        auto it = d_.windows.find(w);
        return it == d_.windows.end() ? QRect() : it->outer;
    }
    bool captureWindow(WindowId w, QImage& into) override {
        auto it = d_.windows.find(w);
        if (it == d_.windows.end() || !it->visible) return false;
        copyRect(it->content, QRect(QPoint(0, 0), it->outer.size()), into);
        return true;
    }
    bool captureWindowNow(WindowId w, QImage& into) override {
        if (!captureWindow(w, into)) return false;
        if (std::chrono::steady_clock::now() < d_.windowsRedrawnBy)
            into = d_.coveredPicture.scaled(into.size()).convertToFormat(QImage::Format_RGB32);
        return true;
    }
    std::chrono::steady_clock::time_point redrawnBy() const override { return d_.windowsRedrawnBy; }

private:
    FakeDesktop& d_;
    bool counted_;
};

class FakeScreenChanges final : public ScreenChanges {
public:
    explicit FakeScreenChanges(FakeDesktop& d) : d_(d) {}
    bool available() const override { return d_.screenChangesAvailable; }
    QRegion takeChanges() override { return std::exchange(d_.screenChanges, QRegion()); }

private:
    FakeDesktop& d_;
};

class FakeLock final : public InstanceLock {
public:
    explicit FakeLock(FakeDesktop& d) : d_(d) {}
    ~FakeLock() override {
        if (d_.heldLocks && !held_.isEmpty()) d_.heldLocks->remove(held_);
    }
    bool acquire(const QString& path, QString* error) override {
        if (!d_.lockError.isEmpty()) {
            if (error) *error = d_.lockError;
            return false;
        }
        const QString name = QFileInfo(path).absoluteFilePath();
        if (!d_.heldLocks) return true;
        if (d_.heldLocks->contains(name)) return false;
        d_.heldLocks->insert(name);
        held_ = name;
        return true;
    }

private:
    FakeDesktop& d_;
    QString held_;
};

class FakePrompter final : public Prompter {
public:
    explicit FakePrompter(FakeDesktop& d) : d_(d) {}
    void beep(Icon icon) override { d_.beeps.push_back(icon); }
    Answer ask(const QString&, const QString& text, Buttons, Icon, Answer defaultAnswer) override {
        d_.asked << text;
        if (d_.answers.empty()) return defaultAnswer;
        Answer a = d_.answers.front();
        d_.answers.pop_front();
        return a;
    }
    bool informWithCheckBox(const QString&, const QString& text, const QString&, bool& checked) override {
        d_.asked << text;
        if (d_.checkBoxAnswers.empty()) return true;
        checked = d_.checkBoxAnswers.front();
        d_.checkBoxAnswers.pop_front();
        return true;
    }
    QString chooseOpenFile(const QString& filter, const QString&) override { return nextFile(filter); }
    QString chooseSaveFile(const QString& filter, const QString&, bool) override { return nextFile(filter); }
    QStringList chooseOpenFiles(const QString& filter) override {
        d_.fileFilters << filter;
        if (d_.chosenFileLists.empty()) return {};
        QStringList paths = d_.chosenFileLists.front();
        d_.chosenFileLists.pop_front();
        return paths;
    }

private:
    QString nextFile(const QString& filter) {
        d_.fileFilters << filter;
        if (d_.chosenFiles.empty()) return {};
        QString path = d_.chosenFiles.front();
        d_.chosenFiles.pop_front();
        return path;
    }
    FakeDesktop& d_;
};

class FakePaths final : public Paths {
public:
    explicit FakePaths(FakeDesktop& d) : d_(d) {}
    QString executablePath() const override { return d_.executablePath; }
    QString executableDir() const override { return QFileInfo(d_.executablePath).absolutePath() + QLatin1Char('/'); }
    QString configHome() const override { return d_.configHome; }
    QString documentsDir() const override { return d_.documentsDir; }

private:
    FakeDesktop& d_;
};

class FakeGlobalKeys final : public GlobalKeys {
public:
    explicit FakeGlobalKeys(FakeDesktop& d) : d_(d) {}
    ~FakeGlobalKeys() override {
        unregisterAll();
        d_.keyHandler = nullptr;
    }
    void setPressHandler(PressHandler handler) override { d_.keyHandler = std::move(handler); }
    KeyRegistration registerKey(int id, const KeyCombination& keys) override {
        unregisterKey(id);
        if (keys.keysym == 0 || d_.keysymsMissing.contains(keys.keysym)) return KeyRegistration::NoSuchKey;
        if (d_.keysKeptBySystem.contains(keys)) return KeyRegistration::KeptBySystem;
        if (d_.keysHeldElsewhere.contains(keys)) return KeyRegistration::HeldElsewhere;
        for (const KeyCombination& other : std::as_const(d_.registeredKeys))
            if (other == keys) return KeyRegistration::HeldElsewhere;
        d_.registeredKeys.insert(id, keys);
        return KeyRegistration::Registered;
    }
    void unregisterKey(int id) override { d_.registeredKeys.remove(id); }
    void unregisterAll() override { d_.registeredKeys.clear(); }
    bool isRegistered(int id) const override { return d_.registeredKeys.contains(id); }
    std::vector<std::uint32_t> keysymsOfKey(std::uint32_t nativeKey) const override {
        return d_.keyboard.value(nativeKey);
    }
    QString limitation() const override { return d_.keysLimitation; }

private:
    FakeDesktop& d_;
};

class FakePointerFence final : public PointerFence {
public:
    explicit FakePointerFence(FakeDesktop& d) : d_(d) {}
    ~FakePointerFence() override { release(); }
    void confine(const QRect& area, const QVector<QRect>& monitors) override {
        const QRect wanted = fence::effectiveArea(area, monitors);
        if (wanted != d_.pointerFence) {
            d_.pointerFence = wanted;
            keeper_.reset();
        }
        bringBack();
    }
    void release() override {
        d_.pointerFence = QRect();
        keeper_.reset();
    }
    bool bringBack() override {
        if (d_.pointerFence.isNull()) return false;
        const std::optional<QPoint> target = keeper_.check(d_.pointerFence, d_.pointer, d_.ctrlHeld);
        if (target) d_.pointer = *target;
        return target.has_value();
    }
    QRect fence() const override { return d_.pointerFence; }

private:
    FakeDesktop& d_;
    fence::Keeper keeper_;
};

}  // namespace

bool pressGlobalKey(FakeDesktop& d, int id) {
    if (!d.registeredKeys.contains(id)) return false;
    if (d.keyHandler) d.keyHandler(id);
    return true;
}

Platform makeFakePlatform(FakeDesktop& d) {
    Platform p;
    p.monitors = std::make_unique<FakeMonitors>(d);
    p.screen = std::make_unique<FakeScreen>(d);
    p.pointer = std::make_unique<FakePointer>(d);
    p.windows = std::make_unique<FakeWindows>(d);
    p.instanceLock = std::make_unique<FakeLock>(d);
    p.prompter = std::make_unique<FakePrompter>(d);
    p.paths = std::make_unique<FakePaths>(d);
    p.capturePointer = std::make_unique<FakePointer>(d);
    p.screenChanges = std::make_unique<FakeScreenChanges>(d);
    p.openWindows = [&d] { return std::make_unique<FakeWindows>(d, true); };
    p.openWindowMirror = p.openWindows;
    p.globalKeys = std::make_unique<FakeGlobalKeys>(d);
    p.pointerFence = std::make_unique<FakePointerFence>(d);
    return p;
}

}  // namespace vz
