#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Tamsel【简易版V6.0】"));
    w.resize(800, 570);
    w.show();
    return app.exec();
}
