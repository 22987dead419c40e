// The yardstick: a Qt program that shows one empty window and ends once it is shown.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

class ReportingWindow : public QWidget {
protected:
    void showEvent(QShowEvent *) override
    {
        std::puts("shown");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QApplication::quit);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ReportingWindow window;
    window.resize(128, 128);
    window.show();
    return app.exec();
}
