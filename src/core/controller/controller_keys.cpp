// What the global keys run: the ten shortcut actions and the capture of an
// image; the stored keys; the monitor details listing.

#include "core/controller/controller.h"

#include "core/details/monitor_details.h"
#include "core/settings/ini_document.h"
#include "core/shortcuts/shortcut_keys.h"

#include <QTimer>

namespace vz {

namespace {

// The update-rate keys act on the controller's rate; the warning is a
// question box.
class ControllerRate final : public UpdateRateTarget {
public:
    ControllerRate(Controller& c, Prompter& prompter) : c_(c), prompter_(prompter) {}
    int rate() const override { return c_.viewOptions().updateRate(); }
    int maxRate() const override { return c_.viewOptions().maxUpdateRate(); }
    void setRate(int rate) override { c_.viewOptions().setUpdateRate(rate); }
    bool confirmAboveMaximum(const QString& text) override {
        prompter_.beep(Prompter::Icon::Warning);
        return prompter_.ask(Prompter::kCaption, text, Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                             Prompter::Answer::No) == Prompter::Answer::Yes;
    }

private:
    Controller& c_;
    Prompter& prompter_;
};

}  // namespace

// --- Shortcut actions --------------------------------------------------------

void Controller::reloadShortcutKeys() {
    if (const std::optional<IniDocument> doc = store_.readAgain()) keys_.setShortcutKeys(readShortcutKeys(*doc));
}

bool Controller::saveShortcutKeys(const ShortcutKeys& keys, QString* error) {
    keys_.setShortcutKeys(keys);
    return store_.update([&keys](IniDocument& doc) { writeShortcutKeys(doc, keys); }, error);
}

void Controller::runShortcut(ShortcutAction action) {
    switch (action) {
        case ShortcutAction::SendToOutput: sendFrameToOutput(); return;
        case ShortcutAction::ToggleRun: toggleRun(); return;
        case ShortcutAction::ShowToolbar: requestView(View::Toolbar, !isShown(View::Toolbar)); return;
        case ShortcutAction::ShowPreview: requestView(View::Preview, !isShown(View::Preview)); return;
        case ShortcutAction::EnableOutput:
            if (!tray_.simulationPromptOpen()) requestView(View::Output, !isShown(View::Output));
            return;
        case ShortcutAction::StopAll: stopAll(); return;
        case ShortcutAction::IncreaseRate: {
            ControllerRate target(*this, *platform_.prompter);
            rateKeys_.increase(target);
            return;
        }
        case ShortcutAction::DecreaseRate: {
            ControllerRate target(*this, *platform_.prompter);
            rateKeys_.decrease(target);
            return;
        }
        case ShortcutAction::AutoHideToolbar: tray_.toggleAutoHide(); return;
        case ShortcutAction::LockCursor: cursorLock_.setLocked(!cursorLock_.locked()); return;
    }
}

void Controller::showError(const QString& text) { platform_.prompter->error(text); }

// --- Capture an Image --------------------------------------------------------

CaptureOutcome Controller::captureImage() { return imageCapture_.capture(outputShownPicture(), isShown(View::Output)); }

// --- Monitor details ---------------------------------------------------------

QStringList Controller::monitorDetailsListing() const {
    QVector<OutputRecord> records;
    for (const DisplayOutput& o : platform_.monitors->outputs())
        records.append(OutputRecord{o.name, o.adapter, o.connected, o.active, o.mode, o.refreshHz, o.depth});
    return vz::monitorDetailsListing(records, monitors_.count());
}

}  // namespace vz
