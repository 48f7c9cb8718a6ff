#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8("Ollo für Windows 95 V1.1"));
    window.resize(620, 440);
    window.showMaximized();
    return app.exec();
}
