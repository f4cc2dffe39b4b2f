#include "form1.h"
#include "messages.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    ConfigureDisplayScaling();
    QApplication application(argc, argv);
    ConfigureApplication(application);

    MessageBoxes messages;
    const std::optional<QString> folder = ProgramFolder();
    if (!folder) {
        messages.warn(nullptr, QObject::tr("Impossibile trovare la cartella del programma, dove si "
                                           "trova l'archivio pezzarium.txt: il suo nome contiene "
                                           "caratteri non validi.\nIl programma viene chiuso."));
        return 1;
    }
    Form1 window(*folder, messages);
    if (!window.Form_Load())
        return 1;
    return QApplication::exec();
}
