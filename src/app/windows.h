#pragma once

namespace tamsel::core {
class Application;
}

namespace tamsel::app {

// Creates the windows of the libraries above core, in the start-up order, hands them to the
// application and sets the main window's hooks.
void createOtherWindows(core::Application& application);

} // namespace tamsel::app
