#include "core/scrolltext/scroll_text_file.h"

#include "core/scrolltext/mul_div.h"

#include <QDir>

#include <algorithm>

namespace vz {

namespace {

using sct::Section;

// Read defaults (they differ from a fresh dialog's values for gb2 and fcolor).
constexpr int kReadPanelColour = 8421504;
constexpr int kReadFontColour = 0;

QString openError(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason);
}

// Loads `path` into `doc`; a missing file leaves it empty.
bool load(IniDocument& doc, const QString& path, QString* error) {
    switch (doc.load(path)) {
        case IniDocument::LoadStatus::Loaded:
        case IniDocument::LoadStatus::Missing: return true;
        case IniDocument::LoadStatus::Unreadable:
            if (error) *error = openError(path, doc.loadError());
            return false;
        case IniDocument::LoadStatus::TooLarge:
            if (error) *error = openError(path, QStringLiteral("The file is too large."));
            return false;
    }
    return false;
}

}  // namespace

int fontSizeForHeight(int height, int dpi) { return -mulDiv(height, 72, dpi); }
int fontHeightForSize(int points, int dpi) { return -mulDiv(points, dpi, 72); }

IniDocument scrollTextDocument() { return IniDocument(IniReadOptions::scrollText()); }

void applyScrollText(const IniDocument& doc, ScrollTextSettings& s, int dpi) {
    const auto integer = [&](const char* key, int def) { return doc.readInteger(Section, key, def); };
    s.text = doc.readString(Section, "text", QString());
    s.panelColour = integer("gb2", kReadPanelColour);
    s.interval = std::clamp(integer("xinterval", 10), sct::IntervalMin, sct::IntervalMax);
    s.step = std::clamp(integer("xstep", 1), sct::StepMin, sct::StepMax);
    s.trackPosition = std::clamp(integer("xHeight", 180), sct::TrackMin, sct::TrackMax);
    s.previewHeight = std::max(sct::PreviewHeightMin, 200 - s.trackPosition);
    s.backColour = integer("backcolor", 16777215);
    s.previewHeight = std::clamp(integer("height", 20), sct::PreviewHeightMin, sct::PreviewHeightMax);
    s.bottom = integer("position", 1) != 0;
    s.fontColour = integer("fcolor", kReadFontColour);
    s.fontHeight = integer("fheight", -11);
    s.fontSize = fontSizeForHeight(s.fontHeight, dpi);
    s.fontName = doc.readString(Section, "fname", QStringLiteral("MS Sans Serif"));
    s.fontSize = integer("fsize", 8);
    s.fontHeight = fontHeightForSize(s.fontSize, dpi);
    s.bold = s.bold || integer("fs1", 0) == 1;
    s.italic = s.italic || integer("fs2", 0) == 1;
    s.underline = s.underline || integer("fs3", 0) == 1;
    s.strikeOut = s.strikeOut || integer("fs4", 0) == 1;
}

void writeScrollText(IniDocument& doc, const ScrollTextSettings& s) {
    doc.writeString(Section, "text", s.text);
    doc.writeInteger(Section, "gb2", s.panelColour);
    doc.writeInteger(Section, "xinterval", s.interval);
    doc.writeInteger(Section, "xstep", s.step);
    doc.writeInteger(Section, "xHeight", s.trackPosition);
    doc.writeInteger(Section, "backcolor", s.backColour);
    doc.writeInteger(Section, "height", s.previewHeight);
    doc.writeBool(Section, "position", s.bottom);
    doc.writeInteger(Section, "fcolor", s.fontColour);
    doc.writeInteger(Section, "fheight", s.fontHeight);
    doc.writeString(Section, "fname", s.fontName);
    doc.writeInteger(Section, "fpitch", s.fontColour);
    doc.writeInteger(Section, "fsize", s.fontSize);
    doc.writeBool(Section, "fs1", s.bold);
    doc.writeBool(Section, "fs2", s.italic);
    doc.writeBool(Section, "fs3", s.underline);
    doc.writeBool(Section, "fs4", s.strikeOut);
}

bool saveScrollTextFile(const QString& path, const ScrollTextSettings& settings, QString* error) {
    IniDocument doc = scrollTextDocument();
    if (!load(doc, path, error)) return false;
    writeScrollText(doc, settings);
    return doc.save(path, error);
}

bool openScrollTextFile(const QString& path, ScrollTextSettings& settings, QString* error, int dpi) {
    IniDocument doc = scrollTextDocument();
    if (!load(doc, path, error)) return false;
    applyScrollText(doc, settings, dpi);
    return doc.save(path, error);
}

}  // namespace vz
