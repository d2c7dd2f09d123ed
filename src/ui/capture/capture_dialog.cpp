#include "ui/capture/capture_dialog.h"

#include "ui/widgets/background.h"
#include "ui/widgets/look.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/shortcut_edit.h"
#include "ui/widgets/ui_font.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <limits>

namespace vz {

namespace {

constexpr int kClientWidth = 556;
constexpr int kClientHeight = 383;
const QColor kBackground = look::kPanel;

QString onOff(bool on) { return on ? QStringLiteral("On") : QStringLiteral("Off"); }

}  // namespace

CaptureDialog::CaptureDialog(Controller& controller, Platform& platform, QWidget* parent)
    : QDialog(parent), controller_(controller), platform_(platform) {
    setWindowTitle(QStringLiteral("Vivivoz - Capture an Image"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);
    fillBackground(this, kBackground);

    panelLabel(QStringLiteral("Capture an Image from a second display"), this, QRect(20, 14, 500, 26), 12, true);

    panelLabel(QStringLiteral("File name: "), this, QRect(20, 60, 160, 20));
    nameEdit = new QLineEdit(QStringLiteral("image"), this);
    nameEdit->setGeometry(180, 58, 150, 24);
    counterBox = new QSpinBox(this);
    counterBox->setRange(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    // Wide enough for every counter it takes, its caption after it.
    counterBox->setGeometry(340, 58, std::max(90, counterBox->minimumSizeHint().width()), 24);
    QLabel* counterCaption = panelLabel(QStringLiteral("+ starting counter"), this, QRect(0, 60, 120, 20));
    counterCaption->move(counterBox->geometry().right() + 7, 60);
    previewLabel = panelLabel(QStringLiteral("( )"), this, QRect(180, 86, 360, 20));

    panelLabel(QStringLiteral("Destination directory: "), this, QRect(20, 118, 160, 20));
    folderEdit = new QLineEdit(this);
    folderEdit->setGeometry(180, 116, 260, 24);
    browseButton = panelButton(QStringLiteral("Browse"), this, QRect(450, 115, 86, 26));

    panelLabel(QStringLiteral("File type:"), this, QRect(20, 160, 160, 20));
    typeBox = new QComboBox(this);
    // A list to choose from: a typed name could never be written.
    typeBox->addItems(captureFileTypeEntries());
    typeBox->setCurrentIndex(0);
    typeBox->setGeometry(180, 158, 260, 24);

    panelLabel(QStringLiteral("Play default beep when save"), this, QRect(20, 200, 200, 20));
    beepBox = new OnOffCheckBox(QStringLiteral("Off"), this);
    beepBox->setGeometry(230, 198, 80, 24);

    panelLabel(QStringLiteral("Shortcut Key:"), this, QRect(20, 240, 160, 20));
    keyBox = new ShortcutEdit(this);
    keyBox->setKeyboard(platform_.globalKeys.get());
    keyBox->setGeometry(180, 238, 180, 24);
    panelLabel(QString::fromUtf8("Enter your desired keyboard shortcut key and then click \u201cStart\u201d"), this,
               QRect(20, 276, 520, 20));

    startButton = panelButton(QStringLiteral("Start"), this, QRect(kClientWidth - 236, kClientHeight - 52, 100, 32));
    closeButton = panelButton(QStringLiteral("Close"), this, QRect(kClientWidth - 120, kClientHeight - 52, 100, 32));
    // The counter's row decides the width: the window grows to hold it, its
    // buttons staying in the bottom right corner.
    counterCaption->resize(std::max(counterCaption->width(), counterCaption->sizeHint().width()), 20);
    if (const int grow = counterCaption->geometry().right() + 20 - kClientWidth; grow > 0) {
        setFixedSize(kClientWidth + grow, kClientHeight);
        for (QWidget* b : std::initializer_list<QWidget*>{startButton, closeButton}) b->move(b->x() + grow, b->y());
    }

    connect(nameEdit, &QLineEdit::textChanged, this, &CaptureDialog::sendForm);
    connect(counterBox, &QSpinBox::valueChanged, this, &CaptureDialog::sendForm);
    connect(folderEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        folderEdit->setToolTip(text);
        sendForm();
    });
    connect(typeBox, &QComboBox::currentTextChanged, this, &CaptureDialog::sendForm);
    connect(beepBox, &QAbstractButton::clicked, this, [this] {
        beepBox->setText(onOff(beepBox->isChecked()));
        sendForm();
    });
    connect(browseButton, &QPushButton::clicked, this, &CaptureDialog::onBrowse);
    connect(startButton, &QPushButton::clicked, this, &CaptureDialog::onStartStop);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    connect(&controller_, &Controller::settingsApplied, this, &CaptureDialog::takeSettings);
    connect(&controller_.imageCapture(), &ImageCapture::counterChanged, this, [this](qint32 counter) {
        filling_ = true;
        counterBox->setValue(counter);
        filling_ = false;
        showPreview();
    });
    connect(&controller_.keys(), &KeyBindings::captureArmedChanged, this,
            [this](bool armed) { startButton->setText(armed ? QStringLiteral("Stop") : QStringLiteral("Start")); });

    chooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Select folder to save image"), start);
    };
    takeSettings();
}

void CaptureDialog::takeSettings() {
    const ImageCaptureForm& form = controller_.imageCapture().form();
    filling_ = true;
    folderEdit->setText(form.folder);
    folderEdit->setToolTip(form.folder);
    browseFolder_ = form.folder;
    beepBox->setChecked(form.beep);
    beepBox->setText(onOff(form.beep));
    keyBox->setShortcut(controller_.keys().captureKey());
    counterBox->setValue(controller_.imageCapture().counter());
    filling_ = false;
    sendForm();
}

void CaptureDialog::sendForm() {
    showPreview();
    if (filling_) return;
    ImageCaptureForm form;
    form.folder = folderEdit->text();
    form.baseName = nameEdit->text();
    form.number = counterBox->value();
    form.typeEntry = typeBox->currentIndex();
    form.beep = beepBox->isChecked();
    controller_.imageCapture().setForm(form);
}

void CaptureDialog::showPreview() { previewLabel->setText(captureNamePreview(nameEdit->text(), counterBox->value())); }

void CaptureDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        filling_ = true;
        counterBox->setValue(controller_.imageCapture().counter());
        filling_ = false;
        sendForm();
    }
    QDialog::changeEvent(event);
}

void CaptureDialog::hideEvent(QHideEvent* event) {
    // However the dialog closes, the capture key takes the box's shortcut.
    controller_.keys().setCaptureKey(keyBox->shortcut());
    QDialog::hideEvent(event);
}

void CaptureDialog::onStartStop() {
    controller_.keys().toggleCaptureArmed(keyBox->shortcut());
    if (keyBox->shortcut() != 0 && controller_.keys().captureArmed()) close();
}

void CaptureDialog::onBrowse() {
    if (!chooseFolder) return;
    const QString chosen = chooseFolder(browseFolder_);
    if (chosen.isEmpty()) return;
    browseFolder_ = chosen;
    folderEdit->setText(captureFolderText(chosen));
}

}  // namespace vz
