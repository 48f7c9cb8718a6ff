#include "barewindow.h"

#include <QColor>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>

namespace {

class GreyArea : public QWidget {
public:
    GreyArea() {
        setObjectName(QStringLiteral("backdrop"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(128, 128, 128));
    }
};

} // namespace

std::unique_ptr<QMainWindow> MakeBareWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(QStringLiteral("Bare window"));
    window->setCentralWidget(new GreyArea);
    QMenu* menu = window->menuBar()->addMenu(QStringLiteral("&Datei"));
    menu->addAction(QStringLiteral("&Beenden"), window.get(), &QMainWindow::close);
    window->statusBar()->showMessage(QStringLiteral("Bereit"));
    // Ollo's size before it is maximised: where no window manager maximises
    // it, both windows are alike.
    window->resize(620, 440);
    return window;
}
