#pragma once
// Tfabout: the modal about box (name, version, web site and mail links).

#include <QDialog>

class QLabel;
class QPushButton;

namespace vz {

class Tfabout : public QDialog {
    Q_OBJECT
public:
    explicit Tfabout(QWidget* parent = nullptr);

    QLabel* nameLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* webLink = nullptr;
    QLabel* mailLink = nullptr;
    QPushButton* closeButton = nullptr;
};

}  // namespace vz
