// Fuzz target for the scrolling-text file reader: whatever the input, reading
// must not crash, every number must land inside its control's range, and the
// values written back must read back the same.

#include "core/scrolltext/scroll_text_file.h"
#include "core/settings/ini_document.h"
#include "fuzz_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    vz::IniDocument doc = vz::scrollTextDocument();
    doc.parse(input);
    vz::ScrollTextSettings settings;
    vz::applyScrollText(doc, settings);
    fuzz::check(settings.interval >= vz::sct::IntervalMin && settings.interval <= vz::sct::IntervalMax, "interval");
    fuzz::check(settings.step >= vz::sct::StepMin && settings.step <= vz::sct::StepMax, "step");
    fuzz::check(settings.trackPosition >= vz::sct::TrackMin && settings.trackPosition <= vz::sct::TrackMax, "track");
    fuzz::check(
        settings.previewHeight >= vz::sct::PreviewHeightMin && settings.previewHeight <= vz::sct::PreviewHeightMax,
        "preview height");

    // Written into the same document (other sections kept), read back alike.
    vz::writeScrollText(doc, settings);
    vz::IniDocument again = vz::scrollTextDocument();
    again.parse(doc.toBytes());
    vz::ScrollTextSettings back;
    vz::applyScrollText(again, back);
    fuzz::check(back == settings, "written settings read back differently");
    fuzz::check(again.toBytes() == doc.toBytes(), "writing is not stable");
    return 0;
}
