#include "ui/about/about_box.h"

#include "version.h"
#include "core/settings/help_address.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/ui_font.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vz {

namespace {

const QColor kLink(140, 200, 255);

QString link(const QString& target, const QString& shown) {
    return QStringLiteral("<a href=\"%1\" style=\"color:%2;\">%3</a>")
        .arg(target.toHtmlEscaped(), kLink.name(), shown.toHtmlEscaped());
}

QLabel* linkLabel(const QString& html, QWidget* parent) {
    auto* label = new QLabel(html, parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
    label->setFont(uiFont(9));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Vivivoz"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAutoFillBackground(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(glyphs::trayPixmap(32));
    icon->setAlignment(Qt::AlignCenter);

    nameLabel = new QLabel(QStringLiteral("Vivivoz"), this);
    nameLabel->setFont(uiFont(16, true));
    nameLabel->setAlignment(Qt::AlignCenter);

    versionLabel = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(VIVIVOZ_VERSION)), this);
    versionLabel->setFont(uiFont(9));
    versionLabel->setAlignment(Qt::AlignCenter);

    auto* blurb = new QLabel(QStringLiteral("Your primary desktop, a window, the clipboard,\n"
                                            "slideshows or scrolling text on the second monitor."),
                             this);
    blurb->setFont(uiFont(9));
    blurb->setAlignment(Qt::AlignCenter);

    // The website, or the README when the build names none.
    const QUrl help = helpAddress(QCoreApplication::applicationDirPath());
    const QString web = help.toString();
    const QString mail = QStringLiteral(VIVIVOZ_MAIL);
    webLink = linkLabel(link(web, help.isLocalFile() ? QStringLiteral("README") : web), this);
    mailLink = linkLabel(link(QStringLiteral("mailto:") + mail, mail), this);

    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setDefault(true);
    closeButton->setFont(uiFont(9));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 16);
    layout->setSpacing(6);
    layout->addWidget(icon);
    layout->addWidget(nameLabel);
    layout->addWidget(versionLabel);
    layout->addSpacing(6);
    layout->addWidget(blurb);
    layout->addSpacing(6);
    layout->addWidget(webLink);
    layout->addWidget(mailLink);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace vz
