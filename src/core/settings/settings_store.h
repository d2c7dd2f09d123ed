#pragma once
// The settings file on disk: where it is, whether it may be written, and
// the read-change-write cycle that keeps the keys written by others.

#include "core/settings/ini_document.h"

#include <QString>

#include <functional>
#include <optional>

namespace vz {

class SettingsStore {
public:
    // The folder of the file, with its trailing '/'.
    void setFolder(const QString& folder) { folder_ = folder; }
    const QString& folder() const { return folder_; }
    QString path() const;

    // Reads the file (a missing file reads as empty). A file that is there
    // but cannot be read whole is never written over afterwards: `problem`
    // then gets the message for the user, the first time only.
    IniDocument read(QString* problem);
    // The file's current content; none when it is there but unreadable.
    // Changes nothing of what read() decided.
    std::optional<IniDocument> readAgain() const;
    // False once a read found the file there but unreadable.
    bool writable() const { return writable_; }
    // Deletes the file, unless it may not be written.
    void remove();
    // Reads the file's current content again, lets `change` edit it and
    // writes it back whole; false with the path and the reason in `error`
    // when it cannot be read or written.
    bool update(const std::function<void(IniDocument&)>& change, QString* error) const;

private:
    QString folder_;
    bool writable_ = true;
    bool problemReported_ = false;
};

}  // namespace vz
