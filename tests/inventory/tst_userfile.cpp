#include "fileresult.h"
#include "inventorysave.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <optional>

using namespace Inventory;

Q_DECLARE_METATYPE(Inventory::FileProblem)

namespace {

const QByteArray Old = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n\r\n";
const QString NewList = "[Box]: A2 [Item]: BD139 [Nr]: 3 [Type]: Transistor\r\n";
const QByteArray New = NewList.toUtf8() + "\r\n";
const QString InventoryFile = "programma/pezzarium.txt";
const QString Elsewhere = "altrove/magazzino.txt";

// Run as root, the files are user 4101's and the save runs as 4101:
// permissions mean nothing to root. User 4100 is another user.
constexpr uid_t Saver = 4101;

// One entry of the sandbox, links not followed.
struct Entry
{
    mode_t mode = 0;
    QString owners;     // owner and group
    QByteArray extras;  // extended attributes, the ACL among them
    QByteArray content; // a file's hash, a link's target

    friend bool operator==(const Entry &, const Entry &) = default;
};

Entry Describe(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (lstat(name.constData(), &info) != 0)
        return {};
    Entry entry{info.st_mode, QStringLiteral("%1:%2").arg(info.st_uid).arg(info.st_gid), {}, {}};
    std::array<char, 4096> names{}, value{};
    const ssize_t length = llistxattr(name.constData(), names.data(), names.size());
    for (const QByteArray &extra : QByteArray(names.data(), qMax(length, ssize_t(0))).split('\0')) {
        if (extra.isEmpty())
            continue;
        const ssize_t size = lgetxattr(name.constData(), extra.constData(), value.data(), value.size());
        entry.extras += extra + '=' + QByteArray(value.data(), qMax(size, ssize_t(0))).toHex() + ';';
    }
    QFile file(path);
    if (S_ISLNK(info.st_mode))
        entry.content = "-> " + QFile::encodeName(QFile::symLinkTarget(path));
    else if (S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly))
        entry.content = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    return entry;
}

// Every entry under root, by its path relative to root.
QMap<QString, Entry> Listing(const QString &root)
{
    QMap<QString, Entry> listing;
    QDirIterator entries(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        listing.insert(QDir(root).relativeFilePath(path), Describe(path));
    }
    return listing;
}

// What the save reported: ok, its problem, the backup's ok and problem.
using Outcome = std::array<int, 4>;

Outcome OutcomeOf(const SaveResult &saved)
{
    if (!saved.ok())
        return {false, int(saved.failure().error.problem), true, int(FileProblem::None)};
    const std::optional<FileFailure> &stale = saved->staleBackup;
    return {true, int(FileProblem::None), !stale, int(stale ? stale->error.problem : FileProblem::None)};
}

QString Text(const Outcome &outcome)
{
    return QStringLiteral("saved %1 (problem %2), backup %3 (problem %4)")
        .arg(outcome[0]).arg(outcome[1]).arg(outcome[2]).arg(outcome[3]);
}

// Saves the inventory in folder as an ordinary user: run as root, in a
// child process that becomes Saver. Nothing when it could not.
std::optional<Outcome> SaveAsAnOrdinaryUser(const QString &folder)
{
    if (geteuid() != 0)
        return OutcomeOf(WriteInventory(folder, NewList));
    std::array<int, 2> channel{};
    if (pipe(channel.data()) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        const gid_t group = Saver;
        if (setgroups(1, &group) != 0 || setgid(Saver) != 0 || setuid(Saver) != 0 || geteuid() == 0)
            _exit(1);
        const Outcome outcome = OutcomeOf(WriteInventory(folder, NewList));
        _exit(write(channel[1], outcome.data(), sizeof outcome) == sizeof outcome ? 0 : 1);
    }
    close(channel[1]);
    Outcome outcome{};
    const bool reported = child > 0 && read(channel[0], outcome.data(), sizeof outcome) == sizeof outcome;
    close(channel[0]);
    int status = 0;
    const bool exited = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    if (!reported || !exited || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return outcome;
}

} // namespace

// The file stays the user's file: whatever stands at pezzarium.txt and at its
// backup, a save writes the file the user means, or refuses, and writes
// nothing else anywhere.
class TestUserFile : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_root;

private slots:
    void initTestCase()
    {
        // Mounts made by the scenes stay in a namespace of this process.
        if (geteuid() == 0)
            QVERIFY(unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0);
    }

    void init()
    {
        m_root.emplace();
        QVERIFY(m_root->isValid() && QDir(m_root->path()).mkpath("programma") && QDir(m_root->path()).mkpath("altrove"));
    }

    void cleanup()
    {
        // Back to folders that can go.
        QProcess::execute("sh", {"-c", R"(cd "$0" && { umount altrove/disco 2>/dev/null; chmod -R u+rwx .; })",
                                 m_root->path()});
        m_root.reset();
    }

    void saveWritesTheUsersFileAndNothingElse_data()
    {
        // A shell script run in the sandbox, with $P the inventory, $B its
        // backup, $M a file in another folder and old FILE writing the old
        // inventory. A scene that needs root is skipped without it.
        QTest::addColumn<QString>("scene");
        QTest::addColumn<QStringList>("written");       // names that then hold the new text; none: refused
        QTest::addColumn<FileProblem>("failure");       // of a refused save
        QTest::addColumn<QString>("backup");            // where the old text then is; empty: nowhere new
        QTest::addColumn<FileProblem>("backupFailure"); // the save went on without refreshing it
        const QString p = InventoryFile, b = InventoryFile + ".bak", m = Elsewhere, none;
        const auto ok = FileProblem::None, refused = ok;
        using F = FileProblem;
        QTest::addRow("ordinaryFile_replacedWithBackup") << "old $P" << QStringList{p} << ok << b << ok;
        QTest::addRow("linkIntoAnotherFolder_targetWritten_backupBesideIt")
            << "old $M; ln -s ../$M $P" << QStringList{m} << ok << m + ".bak" << ok;
        QTest::addRow("linkIntoAnotherFolder_aBakNewThereUntouched")
            << "old $M; ln -s ../$M $P; echo x >$M.bak.new" << QStringList{m} << ok << m + ".bak" << ok;
        QTest::addRow("linkIntoAnotherFolder_programFolderReadOnly_saved")
            << "old $M; ln -s ../$M $P; chmod 555 programma" << QStringList{m} << ok << m + ".bak" << ok;
        QTest::addRow("linkIntoReadOnlyFolder_writtenInPlace_backupOld")
            << "old $M; ln -s ../$M $P; chmod 555 altrove" << QStringList{m} << ok << none << F::PermissionDenied;
        QTest::addRow("danglingLink_fileMadeAtTarget") << "ln -s ../$M $P" << QStringList{m} << ok << none << ok;
        QTest::addRow("linkIntoMissingFolder_refused") << "ln -s ../manca/m.txt $P" << QStringList() << F::NotFound
                                                       << none << refused;
        QTest::addRow("linkIntoUnsearchableFolder_refused")
            << "mkdir altrove/c; old altrove/c/m; ln -s ../altrove/c/m $P; chmod 0 altrove/c" << QStringList()
            << F::PermissionDenied << none << refused;
        QTest::addRow("linkLoop_refused") << "ln -s anello $P; ln -s pezzarium.txt programma/anello" << QStringList()
                                          << F::LinkLoop << none << refused;
        QTest::addRow("linkOntoAnotherFileSystem_backupThere_linkedBackupUntouched")
            << "echo x >altrove/v; mkdir altrove/disco; mount -t tmpfs -o size=1m tmpfs altrove/disco; "
               "old altrove/disco/m; ln -s ../altrove/disco/m $P; ln -s ../altrove/v $B"
            << QStringList{"altrove/disco/m"} << ok << "altrove/disco/m.bak" << ok;
        QTest::addRow("hardLink_bothNamesSaved") << "old $P; ln $P $M" << QStringList{p, m} << ok << b << ok;
        QTest::addRow("folder_refused") << "mkdir $P" << QStringList() << F::NotAFile << none << refused;
        QTest::addRow("fifo_refused") << "mkfifo $P" << QStringList() << F::NotAFile << none << refused;
        QTest::addRow("readOnlyFile_refused") << "old $P; chmod 444 $P" << QStringList() << F::ReadOnlyFile << none
                                              << refused;
        QTest::addRow("noFileInReadOnlyFolder_refused") << "chmod 555 programma" << QStringList()
                                                        << F::PermissionDenied << none << refused;
        QTest::addRow("programFolderReadOnly_writtenInPlace_backupOld")
            << "old $P; chmod 555 programma" << QStringList{p} << ok << none << F::PermissionDenied;
        QTest::addRow("backupLinkToAFileElsewhere_replacedAsAName")
            << "old $P; echo x >$M; ln -s ../$M $B" << QStringList{p} << ok << b << ok;
        QTest::addRow("backupDanglingLink_replacedAsAName") << "old $P; ln -s ../$M $B" << QStringList{p} << ok << b
                                                            << ok;
        QTest::addRow("backupHardLinkOfAFileElsewhere_replacedAsAName")
            << "old $P; echo x >$M; ln $M $B" << QStringList{p} << ok << b << ok;
        QTest::addRow("backupFolder_savedWithoutIt") << "old $P; mkdir $B" << QStringList{p} << ok << none
                                                     << F::NotAFile;
        QTest::addRow("backupFifo_savedWithoutIt") << "old $P; mkfifo $B" << QStringList{p} << ok << none
                                                   << F::NotAFile;
        // Shared folders: another user's file the saver may write but not
        // replace, their backup, their link (which would choose the file).
        QTest::addRow("fileOfAnotherUserInStickyFolder_writtenInPlace")
            << "old $P; chmod 666 $P; chown 4100:4100 programma $P; chmod 1777 programma" << QStringList{p} << ok
            << b << ok;
        QTest::addRow("backupOfAnotherUserInStickyFolder_savedWithoutIt")
            << "old $P; echo x >$B; chown 4100:4100 programma $B; chmod 1777 programma" << QStringList{p} << ok
            << none << F::PermissionDenied;
        QTest::addRow("linkOfAnotherUserInStickyFolder_refused")
            << "old $M; ln -s ../$M $P; chown -h 4100 $P; chmod 1777 programma" << QStringList()
            << F::PermissionDenied << none << refused;
        // Access rights travel with the file, whichever way it is written.
        QTest::addRow("aclAndAttribute_replaced_kept")
            << "old $P; setfacl -m u:4100:rw $P; setfattr -n user.nota -v x $P" << QStringList{p} << ok << b << ok;
        QTest::addRow("aclAndAttribute_writtenInPlace_backupCopyKeepsThem")
            << "old $P; chmod 640 $P; setfacl -m g:4100:r $P; setfattr -n user.nota -v x $P; ln $P $M"
            << QStringList{p, m} << ok << b << ok;
    }
    void saveWritesTheUsersFileAndNothingElse()
    {
        QFETCH(QString, scene);
        QFETCH(QStringList, written);
        QFETCH(FileProblem, failure);
        QFETCH(QString, backup);
        QFETCH(FileProblem, backupFailure);
        const bool root = geteuid() == 0;
        // The saver's own files, unless the scene gives one to another user.
        const QString script = R"(old() { printf '%s' "$OLD" >"$1"; }; set -e; )" + scene
                               + (root ? "; find . -user 0 -exec chown -h 4101:4101 {} +" : "");
        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("OLD", QString::fromUtf8(Old));
        environment.insert("P", InventoryFile);
        environment.insert("B", InventoryFile + ".bak");
        environment.insert("M", Elsewhere);
        shell.setProcessEnvironment(environment);
        shell.setWorkingDirectory(m_root->path());
        shell.start("sh", {"-c", script});
        if (!shell.waitForFinished() || shell.exitCode() != 0) {
            if (!root)
                QSKIP("setting this up needs root (another user's files, a file system of its own)");
            QFAIL(shell.readAllStandardError().constData());
        }
        const QMap<QString, Entry> before = Listing(m_root->path());

        const std::optional<Outcome> saved = SaveAsAnOrdinaryUser(m_root->filePath("programma"));
        QVERIFY2(saved, "could not save as an ordinary user");

        const QMap<QString, Entry> after = Listing(m_root->path());
        const Outcome expected{!written.isEmpty(), int(failure), backupFailure == FileProblem::None, int(backupFailure)};
        QCOMPARE(Text(*saved), Text(expected));
        // Nothing changed but the file and its backup: no file elsewhere, no
        // link followed, no temporary file left.
        QSet<QString> entries(before.keyBegin(), before.keyEnd());
        entries.unite(QSet<QString>(after.keyBegin(), after.keyEnd()));
        for (const QString &entry : std::as_const(entries)) {
            if (!written.contains(entry) && entry != backup)
                QVERIFY2(before.value(entry) == after.value(entry), qPrintable(entry));
        }
        for (const QString &name : written)
            QCOMPARE(FileBytes(m_root->filePath(name)), New);
        if (!backup.isEmpty())
            QCOMPARE(FileBytes(m_root->filePath(backup)), Old);
        // The file keeps its owner, group and access rights, and the backup
        // gives no one more than the file did.
        const Entry file = before.value(written.value(0));
        if (file.mode == 0)
            return;
        QCOMPARE(after.value(written.first()).owners, file.owners);
        QCOMPARE(after.value(written.first()).mode, file.mode);
        QCOMPARE(after.value(written.first()).extras, file.extras);
        if (!backup.isEmpty()) {
            QCOMPARE(after.value(backup).mode | S_IWUSR, file.mode | S_IWUSR);
            QCOMPARE(after.value(backup).extras, file.extras);
        }
    }
};

QTEST_GUILESS_MAIN(TestUserFile)
#include "tst_userfile.moc"
