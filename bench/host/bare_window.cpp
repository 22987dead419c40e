// The yardstick: a Qt program that shows one empty window and ends once it is shown.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

class ReportingWindow : public QWidget {
protected:
    void showEvent(QShowEvent *) override
    {
        // Processor time of the whole process so far, loader included.
        timespec cpu{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        std::printf("shown %.3f\n", double(cpu.tv_sec) * 1e3 + double(cpu.tv_nsec) / 1e6);
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
