// Fuzz target for the INI reader and the settings file: whatever the input,
// parsing must not crash, the written text must read back to the same
// sections, keys and values, writing it a second time must give the same
// bytes, values written by the program must read back as written, and the
// settings read from it, saved and read again, stay as they were.

#include "core/settings/ini_document.h"
#include "core/settings/settings_file.h"
#include "fuzz_check.h"

#include <cstdint>

namespace {

// Every section, key and value as the document reports them.
bool sameContent(const vz::IniDocument& a, const vz::IniDocument& b) {
    const QStringList sections = a.sectionNames();
    if (sections != b.sectionNames()) return false;
    for (const QString& section : sections) {
        const QStringList keys = a.keyNames(section);
        if (keys != b.keyNames(section)) return false;
        for (const QString& key : keys) {
            if (a.value(section, key) != b.value(section, key)) return false;
            if (a.integer(section, key) != b.integer(section, key)) return false;
        }
    }
    return true;
}

void exercise(QByteArrayView input, vz::IniReadOptions options) {
    vz::IniDocument doc(options);
    doc.parse(input);
    // Queries of the kind the program makes.
    (void)doc.readInteger("Velikost", "Levo", 0);
    (void)doc.readBool("Options", "optShowRedPoint", false);
    (void)doc.readString("Options", "HotKey", QStringLiteral("None"));
    (void)doc.readInteger("scroll", "xinterval", 10);

    const QByteArray once = doc.toBytes();
    vz::IniDocument again(options);
    again.parse(once);
    fuzz::check(sameContent(doc, again), "written text reads back differently");
    fuzz::check(again.toBytes() == once, "writing is not stable");

    const QString text = QString::fromLatin1(input.first(qMin<qsizetype>(input.size(), 64)));
    doc.writeString("Options", "ImageSavePath", text);
    doc.writeInteger("Velikost", "Levo", int(input.size()) - 500);
    doc.writeBool("Config", "load", input.size() % 2 == 0);
    doc.writeString("scroll", "text", text);
    vz::IniDocument written(options);
    written.parse(doc.toBytes());
    fuzz::check(sameContent(doc, written), "written values read back differently");
    fuzz::check(written.readInteger("Velikost", "Levo", 0) == int(input.size()) - 500, "integer lost");
}

// The settings as read (corrections applied), written into the same text
// and read again, are the same; a load mark that was neither 0 nor 1 is
// written as 1.
void settingsRoundTrip(QByteArrayView input) {
    vz::SettingsEnvironment env;
    env.primaryWidth = 1920;
    env.primaryHeight = 1080;
    env.documentsDir = QStringLiteral("/home/user/Documents");
    env.configFolder = QStringLiteral("/home/user/.config/vivivoz/");
    vz::IniDocument doc;
    doc.parse(input);
    vz::Settings settings = vz::readSettings(doc, env);
    vz::writeSettings(doc, settings);
    vz::IniDocument again;
    again.parse(doc.toBytes());
    if (!settings.loadAtStartup) settings.loadAtStartup = true;
    fuzz::check(vz::readSettings(again, env) == settings, "settings read back differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    exercise(input, vz::IniReadOptions::keepEverything());
    exercise(input, vz::IniReadOptions::scrollText());
    settingsRoundTrip(input);
    return 0;
}
