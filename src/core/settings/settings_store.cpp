#include "core/settings/settings_store.h"

#include "core/settings/settings_file.h"

#include <QFile>

namespace vz {

namespace {

bool readable(IniDocument::LoadStatus status) {
    return status == IniDocument::LoadStatus::Loaded || status == IniDocument::LoadStatus::Missing;
}

}  // namespace

QString SettingsStore::path() const { return settingsFilePath(folder_); }

IniDocument SettingsStore::read(QString* problem) {
    IniDocument doc;
    const IniDocument::LoadStatus status = doc.load(path());
    writable_ = readable(status);
    if (!writable_ && !problemReported_) {
        problemReported_ = true;
        const QString reason = status == IniDocument::LoadStatus::TooLarge
                                   ? QStringLiteral("The file is larger than %1 bytes.").arg(IniDocument::MaxFileSize)
                                   : doc.loadError();
        if (problem)
            *problem = QStringLiteral(
                           "Cannot open file \"%1\". %2\nVivivoz runs with its default settings "
                           "and leaves the file as it is.")
                           .arg(path(), reason);
    }
    return doc;
}

std::optional<IniDocument> SettingsStore::readAgain() const {
    IniDocument doc;
    if (!readable(doc.load(path()))) return std::nullopt;
    return doc;
}

void SettingsStore::remove() {
    if (writable_) QFile::remove(path());
}

bool SettingsStore::update(const std::function<void(IniDocument&)>& change, QString* error) const {
    IniDocument doc;
    if (!readable(doc.load(path()))) {
        if (error) *error = QStringLiteral("Cannot open file \"%1\". %2").arg(path(), doc.loadError());
        return false;
    }
    change(doc);
    return doc.save(path(), error);
}

}  // namespace vz
