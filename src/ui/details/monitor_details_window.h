#pragma once
// MonitorDetailsWindow: lists the display outputs with their state, name,
// adapter, resolution and depth. Each activation appends a fresh listing
// below the text already there.

#include "core/controller/controller.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vz {

class MonitorDetailsWindow : public QDialog {
    Q_OBJECT
public:
    explicit MonitorDetailsWindow(Controller& controller, QWidget* parent = nullptr);

    QLabel* header = nullptr;
    QPlainTextEdit* listing = nullptr;
    QPushButton* closeButton = nullptr;

    // Appends one listing of the outputs.
    void appendListing();

protected:
    void changeEvent(QEvent* event) override;

private:
    Controller& controller_;
};

}  // namespace vz
