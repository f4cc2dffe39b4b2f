#include "filemessages.h"

#include "inventorypath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <array>
#include <utility>

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
    if (error.problem == FileProblem::TooLarge) {
        const QLocale italian(QLocale::Italian);
        QString sizeText = italian.formattedDataSize(error.size);
        QString limitText = italian.formattedDataSize(error.limit);
        // Rounded alike, the two sizes would read as no problem at all.
        if (sizeText == limitText) {
            sizeText += QStringLiteral(" (%1 byte)").arg(italian.toString(error.size));
            limitText += QStringLiteral(" (%1 byte)").arg(italian.toString(error.limit));
        }
        return Text("il file è troppo grande (%1; al massimo %2)").arg(sizeText, limitText);
    }
    constexpr std::array Reasons{
        std::pair{FileProblem::NotAFile, "non è un file ordinario (è una cartella o un dispositivo)"},
        std::pair{FileProblem::ReadOnlyFile, "il file è di sola lettura"},
        std::pair{FileProblem::ReadOnlyDisk, "il disco è di sola lettura"},
        std::pair{FileProblem::PermissionDenied, "permesso negato"},
        std::pair{FileProblem::NoSpace, "spazio esaurito sul disco"},
        std::pair{FileProblem::InUse, "il file è in uso da parte di un altro programma"},
        std::pair{FileProblem::NotFound, "il file o la cartella non esiste"},
        std::pair{FileProblem::LinkLoop, "troppi collegamenti simbolici, o un ciclo di collegamenti"},
        std::pair{FileProblem::NameTooLong, "il nome del file è troppo lungo"},
        std::pair{FileProblem::OddUtf16, "il file è in UTF-16 ma il suo ultimo byte è spaiato: "
                                         "sembra troncato o danneggiato"},
        std::pair{FileProblem::InvalidUtf32, "il file è in UTF-32 ma contiene valori che non sono caratteri: "
                                             "sembra danneggiato"},
    };
    for (const auto &[problem, reason] : Reasons) {
        if (problem == error.problem)
            return Text(reason);
    }
    // Any other reason only the system can name, in its own words.
    const QString text = error.systemText.isEmpty() ? Text("errore sconosciuto") : error.systemText;
    return error.code == 0 ? text : Text("%1 (errore di sistema %2)").arg(text).arg(error.code);
}

QString ReadFailureMessage(const FileFailure &failure)
{
    return Text("Impossibile leggere %1: %2").arg(NativePath(failure.path), FailureReason(failure.error));
}

QString StartupFailureMessage(const FileFailure &failure)
{
    return ReadFailureMessage(failure) + Text("\nIl programma viene chiuso senza modificare l'archivio.");
}

QString SaveFailureMessage(const SaveFailure &failed, const QString &command)
{
    const FileFailure &failure = failed;
    const QString reason =
        Text("Impossibile salvare %1: %2\n").arg(NativePath(failure.path), FailureReason(failure.error));
    // Held longer than a save waits: another try once it is let go will do.
    if (!failed.damaged && failure.error.problem == FileProblem::InUse)
        return reason + Text("L'archivio è rimasto com'era e le modifiche restano in questa finestra: "
                             "quando l'altro programma avrà chiuso il file, premere di nuovo \"%1\".")
                            .arg(command);
    if (!failed.damaged)
        return reason + Text("L'archivio è rimasto com'era.");
    if (!failed.previousVersion)
        return reason + Text("Il file potrebbe essere rimasto incompleto.");
    return reason + Text("Il file potrebbe essere rimasto incompleto; la versione precedente è in %1.")
                        .arg(NativePath(*failed.previousVersion));
}

QString BackupNotRefreshedMessage(const FileFailure &backup)
{
    return Text("La copia di sicurezza %1 è più vecchia di questo salvataggio: "
                "non è stato possibile aggiornarla (%2).")
        .arg(NativePath(backup.path), FailureReason(backup.error));
}
