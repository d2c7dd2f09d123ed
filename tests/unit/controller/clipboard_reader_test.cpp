// The clipboard's picture read through a ClipboardReader: which type is
// asked for, what each answer of the owner becomes, and the worker that
// keeps the owner's delays off the user-interface thread.
#include "core/clipboard/clipboard_reader.h"

#include "pump_events.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <condition_variable>
#include <map>
#include <mutex>

namespace vz::test {
namespace {

using Outcome = ClipboardReader::Outcome;

QByteArray encoded(QRgb colour, const char* format) {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// An owner acting from a script. A silent one answers nothing until
// interrupted, as an owner that never answers holds a reader until its
// deadline.
class ScriptedReader final : public ClipboardReader {
public:
    Reply offered{Outcome::Done, {}, {}};
    std::map<QString, Reply> data;
    bool silent = false;

    Reply types() override {
        std::unique_lock lock(mutex_);
        ++calls_;
        changed_.notify_all();
        if (silent) {
            changed_.wait(lock, [this] { return interrupted_; });
            return {Outcome::Interrupted, {}, {}};
        }
        return interrupted_ ? Reply{Outcome::Interrupted, {}, {}} : offered;
    }
    Reply read(const QString& type, qint64 maxBytes) override {
        std::lock_guard lock(mutex_);
        asked << type;
        EXPECT_GT(maxBytes, 0);
        const auto found = data.find(type);
        return found == data.end() ? Reply{Outcome::Empty, {}, {}} : found->second;
    }
    void interrupt() override {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        changed_.notify_all();
    }
    void clearInterrupt() override {
        std::lock_guard lock(mutex_);
        interrupted_ = false;
    }
    // Waits until types() has been called `count` times.
    void awaitCalls(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return calls_ >= count; });
    }
    void speak(Reply types, QString type, Reply bytes) {
        std::lock_guard lock(mutex_);
        silent = false;
        offered = std::move(types);
        data[type] = std::move(bytes);
    }
    void fallSilent() {
        std::lock_guard lock(mutex_);
        silent = true;
    }

    QStringList asked;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    bool interrupted_ = false;
};

TEST(ClipboardPictureType, PngFirstThenTheFirstReadablePictureType) {
    const struct {
        QStringList offered;
        QString chosen;
    } cases[] = {
        {{"TARGETS", "image/bmp", "text/plain", "image/png"}, "image/png"},
        {{"image/bmp", "image/jpeg"}, "image/bmp"},
        {{"image/x-no-such-thing", "image/jpeg"}, "image/jpeg"},
        {{"TARGETS", "UTF8_STRING", "text/plain", "PIXMAP"}, ""},
        {{"application/x-qt-image"}, ""},
        {{}, ""},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(qPrintable(k.offered.join(' ')));
        EXPECT_EQ(chooseClipboardPictureType(k.offered), k.chosen);
    }
}

TEST(ClipboardPictureFromOwner, EachAnswerOfTheOwner) {
    using Status = ClipboardPicture::Status;
    const QByteArray png = encoded(qRgb(0, 255, 0), "PNG");
    const struct {
        const char* what;
        ClipboardReader::Reply offered;
        std::map<QString, ClipboardReader::Reply> data;
        Status status;
        QStringList asked;
        const char* says;  // part of the message when refused
    } cases[] = {
        {"a PNG",
         {Outcome::Done, {"TARGETS", "image/bmp", "image/png"}, {}},
         {{"image/png", {Outcome::Done, {}, png}}},
         Status::Picture,
         {"image/png"},
         ""},
        {"a bitmap only",
         {Outcome::Done, {"image/bmp"}, {}},
         {{"image/bmp", {Outcome::Done, {}, encoded(qRgb(0, 255, 0), "BMP")}}},
         Status::Picture,
         {"image/bmp"},
         ""},
        {"text only", {Outcome::Done, {"UTF8_STRING", "text/plain"}, {}}, {}, Status::NoPicture, {}, ""},
        {"no owner", {Outcome::Empty, {}, {}}, {}, Status::NoPicture, {}, ""},
        {"no answer to the types", {Outcome::NoAnswer, {}, {}}, {}, Status::NoPicture, {}, ""},
        {"no answer to the data",
         {Outcome::Done, {"image/png"}, {}},
         {{"image/png", {Outcome::NoAnswer, {}, {}}}},
         Status::NoPicture,
         {"image/png"},
         ""},
        {"the data refused", {Outcome::Done, {"image/png"}, {}}, {}, Status::NoPicture, {"image/png"}, ""},
        {"too much data",
         {Outcome::Done, {"image/png"}, {}},
         {{"image/png", {Outcome::TooLarge, {}, {}}}},
         Status::Refused,
         {"image/png"},
         "too large"},
        {"a broken PNG",
         {Outcome::Done, {"image/png"}, {}},
         {{"image/png", {Outcome::Done, {}, png.left(40)}}},
         Status::Refused,
         {"image/png"},
         "cannot be read"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        ScriptedReader owner;
        owner.offered = k.offered;
        owner.data = k.data;
        const std::optional<ClipboardPicture> got = readClipboardPicture(owner);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(got->status, k.status);
        EXPECT_EQ(owner.asked, k.asked);
        if (k.status == Status::Picture) {
            EXPECT_EQ(got->picture.format(), QImage::Format_RGB32);
            EXPECT_EQ(got->picture.pixel(1, 1), qRgb(0, 255, 0));
        }
        EXPECT_TRUE(got->error.contains(QLatin1String(k.says))) << qPrintable(got->error);
    }
    // An interrupted read gives nothing at all, not "no picture".
    ScriptedReader owner;
    owner.interrupt();
    EXPECT_FALSE(readClipboardPicture(owner).has_value());
}

TEST(ClipboardPictureWorker, TheNewestReadEndsTheOneUnderWayAndAloneIsHandedOver) {
    ScriptedReader owner;
    owner.silent = true;
    std::vector<ClipboardPicture> read;
    {
        ClipboardPictureReader reader(owner, ClipboardPictureReader::Mode::Worker);
        QObject::connect(&reader, &ClipboardPictureReader::pictureRead,
                         [&](const ClipboardPicture& picture) { read.push_back(picture); });
        reader.readLatest();
        owner.awaitCalls(1);  // the worker waits for the silent owner
        owner.speak({Outcome::Done, {"image/png"}, {}}, "image/png",
                    {Outcome::Done, {}, encoded(qRgb(0, 0, 255), "PNG")});
        reader.readLatest();
        ASSERT_TRUE(pumpUntil([&] { return !read.empty(); }));
        pumpUntil([] { return false; }, 50);
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(read[0].status, ClipboardPicture::Status::Picture);
        EXPECT_EQ(read[0].picture.pixel(0, 0), qRgb(0, 0, 255));

        // Forgotten: a read under way ends and hands nothing over.
        owner.fallSilent();
        reader.readLatest();
        owner.awaitCalls(3);
        reader.forget();
        pumpUntil([] { return false; }, 50);
        EXPECT_EQ(read.size(), 1u);

        // Going away while the owner is silent ends the wait at once.
        reader.readLatest();
        owner.awaitCalls(4);
    }
    EXPECT_EQ(read.size(), 1u);
}

}  // namespace
}  // namespace vz::test
