#include "ui/details/monitor_details_window.h"

#include "ui/widgets/ui_font.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace vz {

namespace {

QWidget* band(QWidget* parent, int height, const QColor& colour) {
    auto* w = new QWidget(parent);
    w->setFixedHeight(height);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    return w;
}

}  // namespace

MonitorDetailsWindow::MonitorDetailsWindow(Controller& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setWindowTitle(QStringLiteral("Vivivoz - Monitor Details"));
    setModal(false);
    resize(485, 408);
    setSizeGripEnabled(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QWidget* top = band(this, 25, QColor(243, 243, 243));
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(0, 0, 0, 0);
    header = new QLabel(QStringLiteral("    Monitor Details"), top);
    header->setFont(uiFont(9, false));
    header->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    topRow->addWidget(header);
    column->addWidget(top);

    listing = new QPlainTextEdit(this);
    listing->setReadOnly(true);
    listing->setFrameShape(QFrame::NoFrame);
    listing->setLineWrapMode(QPlainTextEdit::NoWrap);
    listing->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = listing->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    listing->setPalette(pal);
    column->addWidget(listing, 1);

    QWidget* bottom = band(this, 41, QColor(101, 104, 120));
    auto* bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(8, 6, 8, 6);
    bottomRow->addStretch(1);
    closeButton = new QPushButton(QStringLiteral("Close"), bottom);
    closeButton->setAutoDefault(false);
    bottomRow->addWidget(closeButton);
    column->addWidget(bottom);

    // Esc closes the dialog (reject), as the button does.
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void MonitorDetailsWindow::appendListing() {
    for (const QString& line : controller_.monitorDetailsListing()) listing->appendPlainText(line);
}

void MonitorDetailsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) appendListing();
    QDialog::changeEvent(event);
}

}  // namespace vz
