#pragma once
// CaptureDialog: sets up the capture of the output's picture to numbered
// files with one global key (destination, name, counter, type, beep, key),
// and arms or disarms that key. A view of the controller, which holds the
// fields the capture reads and runs the capture.

#include "core/controller/controller.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vz {

class OnOffCheckBox;
class ShortcutEdit;

class CaptureDialog : public QDialog {
    Q_OBJECT
public:
    explicit CaptureDialog(Controller& controller, Platform& platform, QWidget* parent = nullptr);

    QLineEdit* nameEdit = nullptr;    // "File name: "
    QSpinBox* counterBox = nullptr;   // "+ starting counter"
    QLabel* previewLabel = nullptr;   // "[ image10 ]"
    QLineEdit* folderEdit = nullptr;  // "Destination directory: "
    QPushButton* browseButton = nullptr;
    QComboBox* typeBox = nullptr;  // "File type:"
    OnOffCheckBox* beepBox = nullptr;
    ShortcutEdit* keyBox = nullptr;      // "Shortcut Key:"
    QPushButton* startButton = nullptr;  // "Start" / "Stop"
    QPushButton* closeButton = nullptr;

    void onStartStop();
    void onBrowse();
    // The folder dialog: the chosen folder, empty on Cancel. A test may put
    // its own here.
    std::function<QString(const QString& startFolder)> chooseFolder;

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void takeSettings();
    void sendForm();
    void showPreview();
    Controller& controller_;
    Platform& platform_;
    QString browseFolder_;  // where the folder dialog opens
    bool filling_ = false;
};

}  // namespace vz
