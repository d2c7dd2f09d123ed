// The controller's global keys: the ten shortcut actions, the capture key
// and the capture it runs, plus the monitor details listing.

#include "core/controller/controller.h"

#include "core/details/monitor_details.h"
#include "core/settings/ini_document.h"
#include "core/shortcuts/shortcut_keys.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <cstdio>

namespace vz {

namespace {

const QString kCaptureAction = QStringLiteral("Capture an Image");

int idOf(ShortcutAction action) { return int(action) + 1; }

// Takes `shortcut` under `id`; key 0 only gives back what the id held.
// Returns why the combination does nothing: empty when it is held, or for
// no key.
QString takeKey(GlobalKeys* keys, int id, quint16 shortcut) {
    if (!keys) return shortcut == 0 ? QString() : QStringLiteral("this system offers no global keys");
    if (shortcut == 0) {
        keys->unregisterKey(id);
        return {};
    }
    switch (keys->registerKey(id, keyCombinationOf(shortcut))) {
    case KeyRegistration::Registered: return {};
    case KeyRegistration::HeldElsewhere:
        return QStringLiteral("another program or another shortcut of Vivivoz already holds it");
    case KeyRegistration::NoSuchKey:
        return QStringLiteral("this keyboard has no \"%1\" key").arg(shortcutToText(shortcut & shortcut::KeyMask));
    case KeyRegistration::KeptBySystem:
        return QStringLiteral("the system keeps it for itself (Ctrl+Alt+F1 to F12 switch to the text consoles), "
                              "so it never reaches Vivivoz");
    }
    return {};
}

QString notTakenLine(quint16 shortcut, const QString& what, const QString& reason) {
    return QStringLiteral("\"%1\" (%2): %3.").arg(shortcutToText(shortcut), what, reason);
}

// The update-rate keys act on the controller's rate; the warning is a
// question box.
class ControllerRate final : public UpdateRateTarget {
public:
    ControllerRate(Controller& c, Prompter& prompter) : c_(c), prompter_(prompter) {}
    int rate() const override { return c_.updateRate(); }
    int maxRate() const override { return c_.maxUpdateRate(); }
    void setRate(int rate) override { c_.setUpdateRate(rate); }
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

KeyCombination keyCombinationOf(quint16 shortcut) {
    KeyCombination keys;
    keys.keysym = shortcutKeysym(shortcut);
    if (shortcut & shortcut::Shift) keys.modifiers |= KeyModifier::Shift;
    if (shortcut & shortcut::Ctrl) keys.modifiers |= KeyModifier::Ctrl;
    if (shortcut & shortcut::Alt) keys.modifiers |= KeyModifier::Alt;
    return keys;
}

void Controller::startGlobalKeys() {
    GlobalKeys* keys = platform_.globalKeys.get();
    if (!keys) return;
    keys->setPressHandler([this](int id) {
        if (id == kCaptureKeyId) {
            captureImage();
        } else if (id >= 1 && id <= kShortcutActionCount) {
            runShortcut(ShortcutAction(id - 1));
        }
    });
}

// --- Shortcut actions --------------------------------------------------------

void Controller::reloadShortcutKeys() {
    IniDocument doc;
    const IniDocument::LoadStatus status = doc.load(settingsPath());
    if (status != IniDocument::LoadStatus::Loaded && status != IniDocument::LoadStatus::Missing) return;
    setShortcutKeys(readShortcutKeys(doc));
}

void Controller::setShortcutKeys(const ShortcutKeys& wanted) {
    GlobalKeys* keys = platform_.globalKeys.get();
    const ShortcutKeys before = shortcutKeys_;
    shortcutKeys_ = wanted;
    // Changed keys go back first: a combination moving from one action to
    // another is free when the other takes it.
    for (int i = 0; i < kShortcutActionCount; ++i)
        if (keys && before[i] != wanted[i]) keys->unregisterKey(i + 1);
    QStringList notTaken;
    for (int i = 0; i < kShortcutActionCount; ++i) {
        const int id = i + 1;
        QString& reason = keysNotTakenReasons_[std::size_t(i)];
        reason.clear();
        if (wanted[i] == 0 || (keys && keys->isRegistered(id))) continue;
        // Unchanged keys that are not held are tried again too: the program
        // that held them may have let them go.
        reason = takeKey(keys, id, wanted[i]);
        if (!reason.isEmpty())
            notTaken.append(notTakenLine(wanted[i], QString::fromUtf8(shortcutActions()[i].label), reason));
    }
    emit shortcutKeysChanged();
    if (notTaken.isEmpty() || notTaken == keysNotTaken_) {
        keysNotTaken_ = notTaken;
        return;
    }
    keysNotTaken_ = notTaken;
    reportKeysNotTaken(notTaken);
}

bool Controller::saveShortcutKeys(const ShortcutKeys& keys, QString* error) {
    setShortcutKeys(keys);
    IniDocument doc;
    const IniDocument::LoadStatus status = doc.load(settingsPath());
    if (status != IniDocument::LoadStatus::Loaded && status != IniDocument::LoadStatus::Missing) {
        if (error) *error = QStringLiteral("Cannot open file \"%1\". %2").arg(settingsPath(), doc.loadError());
        return false;
    }
    writeShortcutKeys(doc, keys);
    return doc.save(settingsPath(), error);
}

bool Controller::shortcutTaken(ShortcutAction action) const {
    const GlobalKeys* keys = platform_.globalKeys.get();
    return keys && shortcutKeys_[std::size_t(action)] != 0 && keys->isRegistered(idOf(action));
}

void Controller::runShortcut(ShortcutAction action) {
    switch (action) {
    case ShortcutAction::SendToOutput: sendFrameToOutput(); return;
    case ShortcutAction::ToggleRun: toggleRun(); return;
    case ShortcutAction::ShowToolbar: requestView(View::Toolbar, !isShown(View::Toolbar)); return;
    case ShortcutAction::ShowPreview: requestView(View::Preview, !isShown(View::Preview)); return;
    case ShortcutAction::EnableOutput:
        if (!simulationPromptOpen()) requestView(View::Output, !isShown(View::Output));
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
    case ShortcutAction::AutoHideToolbar: toggleAutoHide(); return;
    case ShortcutAction::LockCursor: cursorLock_.setLocked(!cursorLock_.locked()); return;
    }
}

void Controller::reportKeysNotTaken(const QStringList& lines) {
    const QString text =
        QStringLiteral("These shortcuts could not be taken:\n\n%1").arg(lines.join(QLatin1Char('\n')));
    std::fprintf(stderr, "vivivoz: %s\n", qPrintable(text));
    // From the event loop: the keys are also taken while the program starts
    // and from inside dialogs.
    QTimer::singleShot(0, this, [this, text] {
        platform_.prompter->warn(text);
    });
}

void Controller::showError(const QString& text) {
    std::fprintf(stderr, "vivivoz: %s\n", qPrintable(text));
    platform_.prompter->error(text);
}

// --- Capture an Image --------------------------------------------------------

void Controller::setImageCaptureForm(const ImageCaptureForm& form) {
    captureForm_ = form;
    settings_.ImageSavePath = form.folder;
    settings_.CbBeep = form.beep;
}

void Controller::setCaptureKey(quint16 key) {
    // The stored text stays as the file had it ("None", a name we do not
    // know, another spelling) until the key itself changes.
    if (key != shortcutFromText(settings_.HotKey)) settings_.HotKey = shortcutToText(key);
    if (key == captureKey_) return;
    captureKey_ = key;
    if (!captureArmed_) return;
    const QString reason = takeKey(platform_.globalKeys.get(), kCaptureKeyId, key);
    if (!reason.isEmpty()) reportKeysNotTaken({notTakenLine(key, kCaptureAction, reason)});
}

void Controller::toggleCaptureArmed(quint16 key) {
    setCaptureKey(key);
    if (key == 0) return;
    if (captureArmed_) {
        disarmCaptureKey();
        return;
    }
    captureArmed_ = true;
    // Armed all the same when the combination cannot be taken, as the user
    // asked; the user learns that it does nothing until it is changed.
    const QString reason = takeKey(platform_.globalKeys.get(), kCaptureKeyId, key);
    if (!reason.isEmpty()) reportKeysNotTaken({notTakenLine(key, kCaptureAction, reason)});
    emit captureArmedChanged(true);
}

void Controller::disarmCaptureKey() {
    if (!captureArmed_) return;
    captureArmed_ = false;
    if (GlobalKeys* keys = platform_.globalKeys.get()) keys->unregisterKey(kCaptureKeyId);
    emit captureArmedChanged(false);
}

CaptureOutcome Controller::captureImage() {
    // A held key repeats its presses while the error box of the first one is
    // up: they are dropped, one box at a time.
    if (captureErrorShowing_) return CaptureOutcome{CaptureOutcome::Status::Busy, {}, {}};
    CaptureFileRequest request;
    request.outputVisible = isShown(View::Output);
    request.folder = captureForm_.folder;
    request.baseName = captureForm_.baseName;
    request.number = captureForm_.number;
    request.typeEntry = captureForm_.typeEntry;
    const CaptureOutcome outcome = captureSequence_.capture(request, outputShownPicture());
    if (outcome.written()) {
        if (captureForm_.beep) platform_.prompter->beep(Prompter::Icon::None);
        captureForm_.number = captureSequence_.counter();
        settings_.ImgCounter = captureSequence_.counter();
        emit captureCounterChanged(captureSequence_.counter());
    } else if (!outcome.message.isEmpty()) {
        const QScopedValueRollback<bool> showing(captureErrorShowing_, true);
        showError(outcome.message);
    }
    return outcome;
}

// --- Monitor details ---------------------------------------------------------

QStringList Controller::monitorDetailsListing() const {
    QVector<OutputRecord> records;
    for (const DisplayOutput& o : platform_.monitors->outputs())
        records.append(OutputRecord{o.name, o.adapter, o.connected, o.active, o.mode, o.refreshHz, o.depth});
    return vz::monitorDetailsListing(records, monitors_.count());
}

}  // namespace vz
