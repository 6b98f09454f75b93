#include "core/application.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tamsel::core::Application tamsel;
    return tamsel.run();
}
