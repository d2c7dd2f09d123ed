#include "ui/widgets/stacking.h"

#include <QApplication>
#include <QGuiApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace vz::stacking {

namespace {

const char* const kYields = "vivivozYieldsToDialogs";
const char* const kMainWindow = "vivivozMainWindow";

bool yields(const QWidget* w) { return w->property(kYields).toBool(); }

// Sets or clears the stay-on-top hint of a shown window in the window
// system only: the widget keeps its own flags, so hiding and showing it
// again, or the next dialog closing, brings the hint back.
void applyOnTop(QWidget* w, bool onTop) {
    QWindow* handle = w->windowHandle();
    if (!handle || !w->isVisible()) return;
    Qt::WindowFlags flags = handle->flags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    handle->setFlags(flags.setFlag(Qt::WindowStaysOnTopHint, onTop));
}

void update() {
    const bool open = dialogOpen();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (yields(w)) applyOnTop(w, w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !open);
}

class Watcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Hide) && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && !pending_) {
            // Once the showing or hiding is complete; from the event loop,
            // which a message box runs of its own.
            pending_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    pending_ = false;
                    update();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool pending_ = false;
};

}  // namespace

QWidget* dialogOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

void belongTo(QWidget* dialog, QWidget* owner) {
    if (!dialog || dialog->isVisible()) return;
    QWidget* top = owner ? owner->window() : nullptr;
    if (top == dialog || (top && !top->isVisible())) top = nullptr;
    dialog->winId();  // the window-system window that carries the relation
    if (QWindow* handle = dialog->windowHandle()) handle->setTransientParent(top ? top->windowHandle() : nullptr);
}

bool dialogOpen() {
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() != Qt::Dialog || yields(w) || w->property(kMainWindow).toBool())
            continue;
        if (!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return true;
    }
    return false;
}

void markMainWindow(QWidget* dialog) { dialog->setProperty(kMainWindow, true); }

void yieldToDialogs(QWidget* window) { window->setProperty(kYields, true); }

bool staysOnTop(const QWidget* window) {
    if (const QWindow* handle = window->windowHandle(); handle && window->isVisible())
        return handle->flags().testFlag(Qt::WindowStaysOnTopHint);
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void install(QApplication* application) {
    static QPointer<Watcher> watcher;
    if (watcher) return;
    watcher = new Watcher(application);
    application->installEventFilter(watcher);
}

bool windowSystemPlacesWindows() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace vz::stacking
