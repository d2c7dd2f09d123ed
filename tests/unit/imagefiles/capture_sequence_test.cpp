#include "core/imagefiles/capture_sequence.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <limits>

namespace vz {
namespace {

using Status = CaptureOutcome::Status;

TEST(CaptureFileName, IsPlainConcatenation) {
    struct Case {
        QString folder, base;
        qint32 number;
        ImageFileType type;
        QString expected;
    };
    const Case cases[] = {
        {"/home/u/Shots/", "image", 10, ImageFileType::Jpeg, "/home/u/Shots/image10.jpg"},
        {"/home/u/Shots", "image", 3, ImageFileType::Jpeg, "/home/u/Shotsimage3.jpg"},  // no "/" inserted
        {"/", "a", 0, ImageFileType::Png, "/a0.png"},
        {"/s/", "x", -5, ImageFileType::Bmp, "/s/x-5.bmp"},
        {"/s/", "", 2147483646, ImageFileType::Png, "/s/2147483646.png"},
    };
    for (const Case& c : cases) EXPECT_EQ(captureFileName(c.folder, c.base, c.number, c.type), c.expected);

    EXPECT_EQ(captureNamePreview("image", 10), "[ image10 ]");
    EXPECT_EQ(captureFolderText("/"), "/");  // the root keeps its single "/"
    EXPECT_EQ(captureFolderText("/home/u/Shots"), "/home/u/Shots/");
    EXPECT_EQ(captureFolderText("/home/u/Shots/"), "/home/u/Shots/");

    EXPECT_EQ(captureFileTypeEntries(),
              (QStringList{"JPG - JPG/JPEG Format", "PNG - Portable Network Graphics", "BMP - Windows Bitmap"}));
    EXPECT_EQ(captureFileTypeOfEntry(1), ImageFileType::Png);
    EXPECT_EQ(captureFileTypeOfEntry(-1), std::nullopt);
}

// A writer that records its calls and fails on request.
struct FakeWriter {
    QStringList paths;
    bool fail = false;
    std::function<void()> during;  // runs in the middle of the write

    CaptureSequence::Writer writer() {
        return [this](const QImage&, ImageFileType, const QString& path, QString* error) {
            paths << path;
            if (during) during();
            if (fail) *error = QStringLiteral("Cannot create file \"%1\". No space left on device").arg(path);
            return !fail;
        };
    }
};

class CaptureSequenceTest : public testing::Test {
protected:
    FakeWriter files;
    CaptureSequence sequence{10, files.writer()};
    QImage picture{4, 3, QImage::Format_RGB32};
    CaptureFileRequest request{true, "/shots/", "image", 10, 0};
};

TEST_F(CaptureSequenceTest, WrittenFileAdvancesTheCounter) {
    const CaptureOutcome out = sequence.capture(request, picture);
    EXPECT_TRUE(out.written());
    EXPECT_EQ(out.path, "/shots/image10.jpg");
    EXPECT_EQ(sequence.counter(), 11);
    EXPECT_FALSE(sequence.inProgress());

    // An edited counter box: the file takes the edited number and the series
    // carries on from it.
    request.number = 100;
    EXPECT_EQ(sequence.capture(request, picture).path, "/shots/image100.jpg");
    EXPECT_EQ(sequence.counter(), 101);
}

TEST_F(CaptureSequenceTest, RefusedCapturesWriteNothingAndKeepTheCounter) {
    struct Case {
        const char* what;
        CaptureFileRequest request;
        QImage picture;
        Status status;
        QString message;
    };
    const Case cases[] = {
        {"output hidden", {false, "/shots/", "image", 10, 0}, picture, Status::OutputHidden, {}},
        {"typed file type",
         {true, "/shots/", "image", 10, -1},
         picture,
         Status::NoFileType,
         "Choose a file type: JPG, PNG or BMP."},
        {"no picture yet", request, QImage(), Status::NoPicture,
         "The second display shows no picture yet: nothing was saved."},
        {"no folder", {true, "", "image", 10, 0}, picture, Status::NoFolder, "Choose a destination directory first."},
        {"slash in the base",
         {true, "/shots/", "sub/image", 10, 0},
         picture,
         Status::BadName,
         "The file name \"sub/image\" must not contain \"/\"."},
        {"last counter",
         {true, "/shots/", "image", std::numeric_limits<qint32>::max(), 0},
         picture,
         Status::LastNumber,
         "The counter cannot go past 2147483647: set a lower starting counter."},
    };
    for (const Case& c : cases) {
        const CaptureOutcome out = sequence.capture(c.request, c.picture);
        EXPECT_EQ(out.status, c.status) << c.what;
        EXPECT_EQ(out.message, c.message) << c.what;
        EXPECT_EQ(sequence.counter(), 10) << c.what;
    }
    EXPECT_TRUE(files.paths.isEmpty());
}

// A failed write reports, keeps the counter, and does not block the next
// capture.
TEST_F(CaptureSequenceTest, FailedWriteClearsTheMarkAndKeepsTheCounter) {
    files.fail = true;
    const CaptureOutcome out = sequence.capture(request, picture);
    EXPECT_EQ(out.status, Status::WriteFailed);
    EXPECT_EQ(out.message, "Cannot create file \"/shots/image10.jpg\". No space left on device");
    EXPECT_EQ(sequence.counter(), 10);
    EXPECT_FALSE(sequence.inProgress());

    files.fail = false;
    EXPECT_TRUE(sequence.capture(request, picture).written());
    EXPECT_EQ(files.paths, (QStringList{"/shots/image10.jpg", "/shots/image10.jpg"}));
    EXPECT_EQ(sequence.counter(), 11);
}

// A press that arrives while a file is being written is dropped: no second
// file and no second step of the counter.
TEST_F(CaptureSequenceTest, PressDuringAWriteIsDropped) {
    CaptureOutcome nested;
    files.during = [&] {
        EXPECT_TRUE(sequence.inProgress());
        nested = sequence.capture(request, picture);
    };
    EXPECT_TRUE(sequence.capture(request, picture).written());
    EXPECT_EQ(nested.status, Status::Busy);
    EXPECT_EQ(files.paths.size(), 1);
    EXPECT_EQ(sequence.counter(), 11);
}

TEST(CaptureSequenceFiles, WritesRealFilesAndReportsAMissingFolder) {
    QTemporaryDir dir;
    CaptureSequence sequence;
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString folder = captureFolderText(dir.path());

    for (int type = 0; type < 3; ++type)
        ASSERT_TRUE(sequence.capture({true, folder, "image", sequence.counter(), type}, picture).written());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"image10.jpg", "image11.png", "image12.bmp"}));
    EXPECT_EQ(sequence.counter(), 13);

    const CaptureOutcome out = sequence.capture({true, folder + "gone/", "image", 13, 1}, picture);
    EXPECT_EQ(out.status, Status::WriteFailed);
    EXPECT_EQ(
        out.message,
        QStringLiteral("Cannot create file \"%1gone/image13.png\". The folder \"%1gone\" does not exist.").arg(folder));
    EXPECT_EQ(sequence.counter(), 13);
}

}  // namespace
}  // namespace vz
