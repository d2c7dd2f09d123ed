#pragma once
// A fresh App on the fake platform, with its settings in a temporary folder.
// Two monitors by default (1920x1080 primary, 1280x1024 to its right).

#include "app/app.h"
#include "core/controller/slideshow_playback.h"
#include "platform/fake/fake_platform.h"
#include "prompter_while_open.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <utility>

namespace vz::test {

class AppFixture : public ::testing::Test {
protected:
    // Builds and starts the App; call again after changing `desktop`.
    void startApp() {
        app.reset();
        platform = makeFakePlatform(desktop);
        app = std::make_unique<App>(platform, AppOptions{configDir.path(), FramePipeline::Mode::Inline});
        ASSERT_TRUE(app->start());
    }
    void SetUp() override {
        desktop.configHome = configDir.path() + QStringLiteral("/home-config");
        desktop.documentsDir = configDir.path() + QStringLiteral("/docs");
    }
    void TearDown() override { app.reset(); }
    void useOneMonitor() { desktop.monitors = {QRect(0, 0, 1920, 1080)}; }
    Controller& controller() { return app->controller(); }
    // Slideshow pictures decoded on this thread (no read-ahead worker), the
    // players on real timers of this thread's event loop.
    void playSlideshowsOnThisThread() {
        PlaybackServices s;
        s.clock = std::make_unique<SteadyClock>();
        s.pictures = std::make_unique<slideshow::ImmediatePictures>();
        s.makeTimer = makeQtRepeatingTimer;
        controller().slideshowPlayback().setServices(std::move(s));
    }

    QTemporaryDir configDir;
    QSet<QString> heldLocks;  // instance locks of all "processes" of a test
    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<App> app;
};

}  // namespace vz::test
