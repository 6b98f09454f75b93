#include "app/windows.h"
#include "core/application.h"

int main(int argc, char* argv[]) {
    tamsel::core::GuardedApplication app(argc, argv);
    tamsel::core::Application::Options options;
    options.createOtherWindows = tamsel::app::createOtherWindows;
    tamsel::core::Application tamsel(options);
    return tamsel.run();
}
