// Tformwel, the welcome window: the picture at start; its tick fixes the date formats.
#include "core/welcome_window.h"

#include "core/jpeg_image.h"
#include "platform/dateformats.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace tamsel::core {

Tformwel::Tformwel(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_timer(new QTimer(this)),
      m_image(new QLabel(this)) {
    setObjectName(QStringLiteral("formwel"));
    setWindowTitle(QStringLiteral("国家Tamsel简易版〔V6.0〕"));
    setFixedSize(800, 600);
    setModal(true);

    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_image);

    m_picture = loadPicture();
    if (!m_picture.isNull()) {
        m_image->setPixmap(
            QPixmap::fromImage(m_picture).scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
        // Without the picture the window still names the program for its five seconds.
        m_image->setText(windowTitle());
    }

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kInterval);
    m_timer->setSingleShot(false);
    connect(m_timer, &QTimer::timeout, this, &Tformwel::Timer1Timer);
}

Tformwel::~Tformwel() = default;

QImage Tformwel::loadPicture(QString* error) {
    QFile file(QStringLiteral(":/welcome.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return QImage();
    }
    return decodeJpeg(file.readAll(), error);
}

void Tformwel::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_timer->start();
}

void Tformwel::Timer1Timer() {
    m_timer->stop();
    if (isVisible()) {
        accept();
    } else {
        setResult(QDialog::Accepted);
    }
    platform::DateFormats::applyProgramFormats();
}

} // namespace tamsel::core
