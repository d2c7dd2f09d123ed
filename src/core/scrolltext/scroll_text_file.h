#pragma once
// The scrolling-text file (.sct): one section "scroll" with seventeen keys,
// read onto the dialog's current values and written from them.
//
// Reading follows the file's own rules: lines trimmed, empty lines and
// ";" comments skipped, lines before the first section dropped, names
// matched without regard to case, integers decimal, "$hex" or "0xhex".
// Missing keys and numbers that do not parse take the read defaults.

#include "core/settings/ini_document.h"

#include <QString>

namespace vz {

// Everything the file holds. Colours are stored colour values (low byte red;
// negative: a system colour, index in the low byte). The defaults are those
// of a freshly created dialog.
struct ScrollTextSettings {
    QString text;
    int panelColour = 10456972;
    int interval = 10;        // 1..300 ms
    int step = 1;             // 1..300
    int trackPosition = 180;  // height track bar, 1..194
    int backColour = 16777215;
    int previewHeight = 20;  // 7..199
    bool bottom = true;      // edge: bottom, else top
    int fontColour = -16777208;
    int fontHeight = -11;  // negative: character height in pixels
    QString fontName = QStringLiteral("MS Sans Serif");
    int fontSize = 8;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const ScrollTextSettings&) const = default;
};

namespace sct {
inline constexpr char Section[] = "scroll";
inline constexpr int IntervalMin = 1, IntervalMax = 300;
inline constexpr int StepMin = 1, StepMax = 300;
inline constexpr int TrackMin = 1, TrackMax = 194;
inline constexpr int PreviewHeightMin = 7, PreviewHeightMax = 199;
}  // namespace sct

// The font size in points for a font height, and back, at `dpi` pixels per
// inch (the height is negative for a character height in pixels).
int fontSizeForHeight(int height, int dpi = 96);
int fontHeightForSize(int points, int dpi = 96);

// Applies the keys of `doc` onto `settings` in file order: each missing or
// unreadable key takes its read default, numbers are clamped to what the
// receiving control allows, a font size overrides the height read before it,
// and style flags only ever add to the current style.
void applyScrollText(const IniDocument& doc, ScrollTextSettings& settings, int dpi = 96);
// Sets the seventeen keys in `doc`: existing keys in place, new ones appended
// in file order.
void writeScrollText(IniDocument& doc, const ScrollTextSettings& settings);

// A document that reads by the file's rules.
IniDocument scrollTextDocument();

// Save: loads the file when it exists (its other sections and keys stay),
// sets the keys and writes it whole. On failure returns false and the
// message ("Cannot open file ..." / "Cannot create file ...").
bool saveScrollTextFile(const QString& path, const ScrollTextSettings& settings, QString* error);
// Open: loads the file, applies it onto `settings` and writes the file back
// in the normal form. Returns false with the message when reading or the
// write-back fails; whatever was applied stays applied.
bool openScrollTextFile(const QString& path, ScrollTextSettings& settings, QString* error, int dpi = 96);

}  // namespace vz
