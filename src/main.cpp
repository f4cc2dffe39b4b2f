#include "form1.h"
#include "messages.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ConfigureApplication(application);

    MessageBoxes messages;
    Form1 window(QCoreApplication::applicationDirPath(), messages);
    if (!window.Form_Load())
        return 1;
    return QApplication::exec();
}
