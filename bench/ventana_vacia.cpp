// The yardstick of the start-up benchmark: an empty Qt Widgets window that prints "painted" once
// it has been painted for the first time and quits, as `quirvex --exit-after-first-paint` does.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class VentanaVacia final : public QWidget {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint && !visto_) {
            visto_ = true;
            QTimer::singleShot(0, qApp, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return QWidget::event(e);
    }

private:
    bool visto_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    VentanaVacia w;
    w.resize(1024, 700);
    w.show();
    return app.exec();
}
