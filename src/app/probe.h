#pragma once
// Measurements for the benchmarks, switched on by the environment variable
// VIVIVOZ_PROBE=<file>: how many frames reached the output window, and how
// late a 10 ms timer on the user-interface thread fires (a stand-in for any
// click or repaint waiting behind the program's own work). Written to the
// file when the program ends; nothing runs without the variable.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

namespace vz {

class Probe : public QObject {
    Q_OBJECT
public:
    // A probe when VIVIVOZ_PROBE is set, else null.
    static Probe* createIfAsked(QObject* parent);
    ~Probe() override;
    void countFrame() {
        if (clock_.isValid()) ++frames_;
    }

private:
    Probe(const QString& path, QObject* parent);
    void tick();
    void write();
    QString path_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 frames_ = 0;
    std::vector<qint64> lateness_;  // microseconds
};

}  // namespace vz
