#include "filemessages.h"

#include "inventorypath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

using namespace Inventory;

namespace {

QString Text(const char *text)
{
    return QCoreApplication::translate("FileMessages", text);
}

} // namespace

QString NativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString FailureReason(const FileError &error)
{
    switch (error.problem) {
    case FileProblem::None:
    case FileProblem::Other:
        break;
    case FileProblem::NotAFile:
        return Text("non è un file ordinario (è una cartella o un dispositivo)");
    case FileProblem::TooLarge: {
        const QLocale italian(QLocale::Italian);
        return Text("il file è troppo grande (%1; al massimo %2)")
            .arg(italian.formattedDataSize(error.size), italian.formattedDataSize(error.limit));
    }
    case FileProblem::ReadOnlyFile:
        return Text("il file è di sola lettura");
    case FileProblem::ReadOnlyDisk:
        return Text("il disco è di sola lettura");
    case FileProblem::PermissionDenied:
        return Text("permesso negato");
    case FileProblem::NoSpace:
        return Text("spazio esaurito sul disco");
    case FileProblem::InUse:
        return Text("il file è in uso da parte di un altro programma");
    case FileProblem::NotFound:
        return Text("il file o la cartella non esiste");
    case FileProblem::LinkLoop:
        return Text("troppi collegamenti simbolici, o un ciclo di collegamenti");
    case FileProblem::NameTooLong:
        return Text("il nome del file è troppo lungo");
    }
    // Any other reason only the system can name, in its own words.
    const QString text = error.systemText.isEmpty() ? Text("errore sconosciuto") : error.systemText;
    return error.code == 0 ? text : Text("%1 (errore di sistema %2)").arg(text).arg(error.code);
}

QString ReadFailureMessage(const FileResult &failure)
{
    return Text("Impossibile leggere %1: %2").arg(NativePath(failure.path), FailureReason(failure.error));
}

QString StartupFailureMessage(const FileResult &failure)
{
    return ReadFailureMessage(failure) + Text("\nIl programma viene chiuso senza modificare l'archivio.");
}

QString SaveFailureMessage(const SaveResult &failure)
{
    const QString reason =
        Text("Impossibile salvare %1: %2\n").arg(NativePath(failure.path), FailureReason(failure.error));
    if (!failure.damaged)
        return reason + Text("L'archivio è rimasto com'era.");
    if (!failure.backup.ok)
        return reason + Text("Il file potrebbe essere rimasto incompleto.");
    return reason + Text("Il file potrebbe essere rimasto incompleto; la versione precedente è in %1.")
                        .arg(NativePath(BackupPath(failure.path)));
}

QString BackupNotRefreshedMessage(const FileResult &backup)
{
    return Text("La copia di sicurezza %1 è più vecchia di questo salvataggio: "
                "non è stato possibile aggiornarla (%2).")
        .arg(NativePath(backup.path), FailureReason(backup.error));
}
