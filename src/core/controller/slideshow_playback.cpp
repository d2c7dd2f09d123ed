#include "core/controller/slideshow_playback.h"

#include "core/controller/controller.h"

#include <cstdio>

namespace vz {

using slideshow::PlayerKind;

class SlideshowPlayback::Host final : public slideshow::PlaybackHost {
public:
    Host(SlideshowPlayback& owner, PlayerKind kind) : owner_(owner), c_(owner.controller_), kind_(kind) {}

    bool slideshowActive() const override { return c_.source() == Source::Slideshow; }
    bool stopRequested() const override {
        return kind_ == PlayerKind::Editor ? c_.editorStopRequested() : c_.toolbarStopRequested();
    }
    int slideSeconds() const override { return owner_.editorSeconds(); }
    bool loopEnabled() const override { return owner_.editorLoop(); }
    bool outputFed() const override { return kind_ == PlayerKind::Toolbar || owner_.editorOutputFed(); }
    QSize pictureBound() const override { return c_.outputPictureBound(); }
    void blankOutput() override { c_.clearOutput(); }
    void showTransitionView() override { c_.showTransitionSurface(); }
    void showingEntry(int index) override { emit owner_.editorEntryShown(index); }
    void setCounter(const QString& text) override { emit owner_.editorCounter(text); }
    void showPreview(const QImage& picture) override {
        if (kind_ == PlayerKind::Editor)
            emit owner_.editorPreview(picture);
        else
            emit c_.previewPicture(picture);
    }
    void showOnOutput(const QImage& picture, int style) override { c_.transitionOutputTo(picture, style); }
    // The first picture of a playback that cannot be read is said in the
    // tray, where the user looks while a slideshow plays; the others of the
    // same playback only go to standard error, so a folder of missing
    // pictures does not bury the desktop in balloons.
    void reportPictureError(const QString& message) override {
        if (toldThisPlayback_) {
            std::fprintf(stderr, "vivivoz: %s\n", qPrintable(message));
            return;
        }
        toldThisPlayback_ = true;
        emit c_.trayMessageRequested(Prompter::kCaption,
                                     message + QStringLiteral("\nPictures that cannot be read are passed over."));
    }
    void playbackStarting() { toldThisPlayback_ = false; }
    void playbackEnded() override {
        if (kind_ == PlayerKind::Editor) emit owner_.editorPlaybackEnded();
    }

private:
    SlideshowPlayback& owner_;
    Controller& c_;
    const PlayerKind kind_;
    bool toldThisPlayback_ = false;
};

struct SlideshowPlayback::Player {
    std::unique_ptr<Host> host;
    std::unique_ptr<RepeatingTimer> timer;
    std::unique_ptr<slideshow::SlideshowPlayer> player;
};

SlideshowPlayback::SlideshowPlayback(Controller& controller) : controller_(controller) {}

SlideshowPlayback::~SlideshowPlayback() { stopAll(); }

void SlideshowPlayback::build() {
    if (toolbar_) return;
    // The program's services are made at the first playback, so that the
    // read-ahead worker only runs in a program that plays slideshows.
    if (!services_.pictures) {
        services_.clock = std::make_unique<SteadyClock>();
        services_.pictures = std::make_unique<slideshow::PictureReadAhead>();
        services_.makeTimer = makeQtRepeatingTimer;
    }
    for (auto [slot, kind] : {std::pair{&toolbar_, PlayerKind::Toolbar}, std::pair{&editor_, PlayerKind::Editor}}) {
        auto p = std::make_unique<Player>();
        p->host = std::make_unique<Host>(*this, kind);
        Player* raw = p.get();
        p->timer = services_.makeTimer([raw] { raw->player->tick(); });
        p->player = std::make_unique<slideshow::SlideshowPlayer>(kind, *p->host, *services_.pictures, *services_.clock,
                                                                 *p->timer);
        *slot = std::move(p);
    }
}

void SlideshowPlayback::setServices(PlaybackServices services) {
    stopAll();
    toolbar_.reset();
    editor_.reset();
    services_ = std::move(services);
}

bool SlideshowPlayback::startToolbar(const QStringList& lines, QString* error) {
    build();
    toolbar_->host->playbackStarting();
    return toolbar_->player->start(lines, error);
}

void SlideshowPlayback::startEditor(const QStringList& paths) {
    build();
    editor_->host->playbackStarting();
    editor_->player->start(paths);
}

void SlideshowPlayback::outputTransitionEnded() {
    for (Player* p : {toolbar_.get(), editor_.get()})
        if (p) p->player->transitionEnded();
}

void SlideshowPlayback::stopAll() {
    if (toolbar_) toolbar_->player->stop();
    if (editor_) editor_->player->stop();
}

bool SlideshowPlayback::toolbarPlaying() const { return toolbar_ && toolbar_->player->isPlaying(); }
bool SlideshowPlayback::editorPlaying() const { return editor_ && editor_->player->isPlaying(); }

}  // namespace vz
