#pragma once
// TFslika: the preview window on the primary monitor.

#include <QPoint>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;

namespace vz {

class App;
class ImageView;

class TFslika : public QWidget {
    Q_OBJECT
public:
    explicit TFslika(App& app);

    QWidget* Panel1 = nullptr;
    ImageView* Slika = nullptr;  // fixed to Resize, factor 1.0
    QLabel* pscroll = nullptr;   // stands for the scrolling band; hidden
    QMenu* PopupA = nullptr;     // "Close"
    QAction* Close1 = nullptr;

    void FormActivate();

protected:
    void closeEvent(QCloseEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void changeEvent(QEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    App& app_;
    bool dragging_ = false;
    QPoint dragStart_;
};

}  // namespace vz
