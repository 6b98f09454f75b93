#pragma once

class QWidget;

namespace tamsel::platform {

// Gives a page window its fixed size and puts it in the middle of the screen, as every page
// does each time it is shown.
void placePage(QWidget* window, int width, int height);

} // namespace tamsel::platform
