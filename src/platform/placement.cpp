// Gives a page its fixed size and centres it on the screen each time it shows.
#include "platform/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tamsel::platform {

void placePage(QWidget* window, int width, int height) {
    window->resize(width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window->move(screen->availableGeometry().center() - QPoint(width / 2, height / 2));
    }
}

} // namespace tamsel::platform
