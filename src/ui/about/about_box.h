#pragma once
// AboutBox: the modal about box (name, version, web site and mail links).

#include <QDialog>

class QLabel;
class QPushButton;

namespace vz {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QLabel* nameLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* webLink = nullptr;
    QLabel* mailLink = nullptr;
    QPushButton* closeButton = nullptr;
};

}  // namespace vz
