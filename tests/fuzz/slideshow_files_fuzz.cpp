// Fuzz target for the .mef/.vsl readers: whatever the input, reading must
// not crash, a play list keeps at most its capacity of lines, and content
// that the writers produce reads back as it was written.

#include "core/slideshow/slideshow_files.h"
#include "fuzz_check.h"

#include <cstdint>

namespace {

// Paths as the writers accept them: no line ends inside.
QStringList writablePaths(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines)
        if (!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r'))) out << line;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vz::slideshow;
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));

    const PlayListFile list = parsePlayListFile(input);
    fuzz::check(list.lines.size() <= kPlayListCapacity, "play list over capacity");
    fuzz::check(list.droppedLines == 0 || list.lines.size() == kPlayListCapacity, "lines dropped below capacity");
    (void)parseLineInteger(list.lines.value(0));
    (void)slideshowLoopWordIsOn(list.lines.value(1));

    QString error;
    const std::optional<SlideshowContent> project = parseProjectFile(input, &error);
    fuzz::check(project.has_value() == error.isEmpty(), "error and content disagree");

    // Whatever was read, written again, reads back the same.
    SlideshowContent content;
    content.loop = size % 2 == 0;
    content.durationSeconds = project ? project->durationSeconds : int(size) - 100;
    content.paths = writablePaths(list.lines);
    // A trailing empty path would vanish with its line end; keep the rest.
    while (!content.paths.isEmpty() && content.paths.last().isEmpty()) content.paths.removeLast();
    const std::optional<SlideshowContent> back = parseProjectFile(projectFileBytes(content));
    fuzz::check(back && back->loop == content.loop && back->durationSeconds == content.durationSeconds &&
                    back->paths == content.paths,
                "project file does not read back");
    const PlayListFile show = parsePlayListFile(slideshowFileBytes(content));
    fuzz::check(show.lines.value(0) == QString::number(content.durationSeconds), "slideshow duration lost");
    fuzz::check(slideshowLoopWordIsOn(show.lines.value(1)) == content.loop, "slideshow loop lost");
    return 0;
}
