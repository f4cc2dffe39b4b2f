#include "report.h"
#include "scenarios.h"
#include "startup.h"

#include <QApplication>

#include <cstring>

// Without arguments: measures both inventory sizes, each in a child process,
// and prints the report. The children are started with
// "--timings FOLDER RECORDS" or "--memory FOLDER RECORDS".
int main(int argc, char *argv[])
{
    // The figures are for the offscreen platform unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (argc == 4
        && (std::strcmp(argv[1], "--timings") == 0 || std::strcmp(argv[1], "--memory") == 0)) {
        const bool timings = std::strcmp(argv[1], "--timings") == 0;
        const QString folder = QString::fromLocal8Bit(argv[2]);
        const int records = QByteArray(argv[3]).toInt();
        QApplication application(argc, argv);
        ConfigureApplication(application);
        return timings ? Bench::RunTimings(folder, records)
                       : Bench::RunMemorySession(folder, records);
    }

    QCoreApplication application(argc, argv);
    return Bench::MeasureAndReport(QCoreApplication::applicationFilePath());
}
