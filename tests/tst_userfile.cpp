#include "fileresult.h"
#include "inventorypath.h"
#include "inventorysave.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
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

#include <optional>

using namespace Inventory;

Q_DECLARE_METATYPE(Inventory::FileProblem)

namespace {

const QByteArray Old = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n\r\n";
const QString NewList = "[Box]: A2 [Item]: BD139 [Nr]: 3 [Type]: Transistor\r\n";
const QByteArray New = NewList.toUtf8() + "\r\n";

// When the tests run as root, the files are the saver's and the save runs as
// the saver: permissions mean nothing to root. Other is another user.
constexpr uid_t Saver = 4101;
constexpr uid_t Other = 4100;

// One entry of the sandbox as the listing sees it, links not followed.
struct Entry
{
    mode_t mode = 0; // type and permissions
    uid_t owner = 0;
    gid_t group = 0;
    QByteArray attributes; // extended attributes, the ACL among them
    QByteArray content;    // a file's hash, a link's target

    friend bool operator==(const Entry &, const Entry &) = default;
    QString toString() const
    {
        return QStringLiteral("%1 %2:%3 %4 %5")
            .arg(mode, 0, 8)
            .arg(owner)
            .arg(group)
            .arg(QString::fromLatin1(attributes.toHex()), QString::fromUtf8(content));
    }
};

Entry Describe(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (lstat(name.constData(), &info) != 0)
        return {};
    Entry entry{info.st_mode, info.st_uid, info.st_gid, {}, {}};
    QByteArray names(4096, '\0');
    const ssize_t length = llistxattr(name.constData(), names.data(), size_t(names.size()));
    for (const QByteArray &attribute : names.first(qMax(length, ssize_t(0))).split('\0')) {
        QByteArray value(4096, '\0');
        const ssize_t size = lgetxattr(name.constData(), attribute.constData(), value.data(), size_t(value.size()));
        if (!attribute.isEmpty())
            entry.attributes += attribute + '=' + value.first(qMax(size, ssize_t(0))).toHex() + ';';
    }
    if (S_ISLNK(info.st_mode)) {
        entry.content = QFile::encodeName(QFile::symLinkTarget(path));
    } else if (S_ISREG(info.st_mode)) {
        QFile file(path);
        entry.content = file.open(QIODevice::ReadOnly)
                            ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
                            : "<unreadable>";
    }
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

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The sandbox: the program's folder "programma" beside a folder "altrove",
// under one root. Each step says whether it could be done.
class Scene
{
public:
    explicit Scene(QString root) : m_root(std::move(root)) {}

    QString path(const QString &relative) const { return m_root + u'/' + relative; }
    bool file(const QString &relative, const QByteArray &bytes) const
    {
        QFile file(path(relative));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    bool folder(const QString &relative) const { return QDir().mkpath(path(relative)); }
    bool link(const QString &relative, const QString &target) const
    {
        return symlink(QFile::encodeName(target).constData(), name(relative).constData()) == 0;
    }
    bool hardLink(const QString &relative, const QString &existing) const
    {
        return ::link(name(existing).constData(), name(relative).constData()) == 0;
    }
    bool fifo(const QString &relative) const { return mkfifo(name(relative).constData(), 0644) == 0; }
    bool mode(const QString &relative, mode_t mode) const { return chmod(name(relative).constData(), mode) == 0; }
    // Needs root.
    bool ownedByOther(const QString &relative) const
    {
        return lchown(name(relative).constData(), Other, Other) == 0;
    }
    // A small file system of its own (needs root), in this process's own
    // mount namespace.
    bool otherFileSystem(const QString &relative) const
    {
        return folder(relative) && unshare(CLONE_NEWNS) == 0
               && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
               && mount("tmpfs", name(relative).constData(), "tmpfs", 0, "size=1m") == 0;
    }
    bool acl(const QString &relative, const QString &entry) const
    {
        return QProcess::execute("setfacl", {"-m", entry, path(relative)}) == 0;
    }
    bool attribute(const QString &relative, const char *attribute, const QByteArray &value) const
    {
        return setxattr(name(relative).constData(), attribute, value.constData(), size_t(value.size()), 0) == 0;
    }

private:
    QByteArray name(const QString &relative) const { return QFile::encodeName(path(relative)); }

    QString m_root;
};

using Setup = bool (*)(const Scene &);

struct Outcome
{
    bool ok = false;
    FileProblem problem = FileProblem::None;
    bool backupOk = false;
    FileProblem backupProblem = FileProblem::None;
};

// Saves the inventory in folder as an ordinary user: when this runs as root,
// in a child process that becomes Saver. Nothing when it could not.
std::optional<Outcome> SaveAsAnOrdinaryUser(const QString &folder)
{
    if (geteuid() != 0) {
        const SaveResult saved = WriteInventory(folder, NewList);
        return Outcome{saved.ok, saved.error.problem, saved.backup.ok, saved.backup.error.problem};
    }
    int channel[2];
    if (pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const gid_t groups[] = {Saver};
        if (setgroups(1, groups) != 0 || setgid(Saver) != 0 || setuid(Saver) != 0 || geteuid() == 0)
            _exit(1);
        const SaveResult saved = WriteInventory(folder, NewList);
        const int report[] = {saved.ok, int(saved.error.problem), saved.backup.ok, int(saved.backup.error.problem)};
        _exit(write(channel[1], report, sizeof report) == sizeof report ? 0 : 1);
    }
    close(channel[1]);
    int report[4] = {};
    const bool reported = child > 0 && read(channel[0], report, sizeof report) == sizeof report;
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0
        || !reported)
        return std::nullopt;
    return Outcome{report[0] != 0, FileProblem(report[1]), report[2] != 0, FileProblem(report[3])};
}

} // namespace

Q_DECLARE_METATYPE(Setup)

// The file stays the user's file: whatever stands at pezzarium.txt and at its
// backup, a save writes the file the user means, or refuses, and writes
// nothing else anywhere.
class TestUserFile : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_root;
    std::optional<Scene> m_scene;

private slots:
    void init()
    {
        m_root.emplace();
        QVERIFY(m_root->isValid());
        m_scene.emplace(m_root->path());
        QVERIFY(m_scene->folder("programma") && m_scene->folder("altrove"));
    }

    void cleanup()
    {
        umount2(QFile::encodeName(m_scene->path("altrove/disco")).constData(), MNT_DETACH);
        // Folders the test made unwritable or unreadable, so that they can go.
        QDirIterator folders(m_root->path(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
        chmod(QFile::encodeName(m_root->path()).constData(), 0700);
        while (folders.hasNext())
            chmod(QFile::encodeName(folders.next()).constData(), 0700);
        m_scene.reset();
        m_root.reset();
    }

    void saveWritesTheUsersFileAndNothingElse_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("written");      // names that then hold the new text; none: refused
        QTest::addColumn<FileProblem>("failure");      // of a refused save
        QTest::addColumn<QString>("backup");           // where the old text then is; empty: nowhere new
        QTest::addColumn<FileProblem>("backupFailure"); // the save went on without refreshing it

        const QString inventory = "programma/pezzarium.txt";
        const QString backup = "programma/pezzarium.txt.bak";
        const auto none = FileProblem::None;
        const QStringList refused;
        QTest::addRow("ordinaryFile_replacedWithBackup") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old);
        }) << QStringList{inventory} << none << backup << none;
        QTest::addRow("linkIntoAnotherFolder_targetWritten_backupBesideIt") << Setup([](const Scene &s) {
            return s.file("altrove/magazzino.txt", Old)
                   && s.link("programma/pezzarium.txt", "../altrove/magazzino.txt");
        }) << QStringList{"altrove/magazzino.txt"} << none << "altrove/magazzino.txt.bak" << none;
        QTest::addRow("linkIntoAnotherFolder_programFolderReadOnly_saved") << Setup([](const Scene &s) {
            return s.file("altrove/magazzino.txt", Old)
                   && s.link("programma/pezzarium.txt", "../altrove/magazzino.txt") && s.mode("programma", 0555);
        }) << QStringList{"altrove/magazzino.txt"} << none << "altrove/magazzino.txt.bak" << none;
        QTest::addRow("linkIntoReadOnlyFolder_writtenInPlace_backupOld") << Setup([](const Scene &s) {
            return s.file("altrove/magazzino.txt", Old)
                   && s.link("programma/pezzarium.txt", "../altrove/magazzino.txt") && s.mode("altrove", 0555);
        }) << QStringList{"altrove/magazzino.txt"} << none << QString() << FileProblem::PermissionDenied;
        QTest::addRow("danglingLink_fileMadeAtTarget") << Setup([](const Scene &s) {
            return s.link("programma/pezzarium.txt", "../altrove/nuovo.txt");
        }) << QStringList{"altrove/nuovo.txt"} << none << QString() << none;
        QTest::addRow("linkIntoMissingFolder_refused") << Setup([](const Scene &s) {
            return s.link("programma/pezzarium.txt", "../manca/magazzino.txt");
        }) << refused << FileProblem::NotFound << QString() << none;
        QTest::addRow("linkIntoUnsearchableFolder_refused") << Setup([](const Scene &s) {
            return s.folder("altrove/chiusa") && s.file("altrove/chiusa/magazzino.txt", Old)
                   && s.link("programma/pezzarium.txt", "../altrove/chiusa/magazzino.txt")
                   && s.mode("altrove/chiusa", 0);
        }) << refused << FileProblem::PermissionDenied << QString() << none;
        QTest::addRow("linkLoop_refused") << Setup([](const Scene &s) {
            return s.link("programma/pezzarium.txt", "anello") && s.link("programma/anello", "pezzarium.txt");
        }) << refused << FileProblem::LinkLoop << QString() << none;
        QTest::addRow("linkOntoAnotherFileSystem_backupThereAndLinkedBackupUntouched") << Setup([](const Scene &s) {
            return s.file("altrove/vittima.txt", "not the inventory") && s.otherFileSystem("altrove/disco")
                   && s.file("altrove/disco/magazzino.txt", Old)
                   && s.link("programma/pezzarium.txt", "../altrove/disco/magazzino.txt")
                   && s.link("programma/pezzarium.txt.bak", "../altrove/vittima.txt");
        }) << QStringList{"altrove/disco/magazzino.txt"} << none << "altrove/disco/magazzino.txt.bak" << none;
        QTest::addRow("hardLink_bothNamesSaved") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.hardLink("altrove/copia.txt", "programma/pezzarium.txt");
        }) << QStringList{inventory, "altrove/copia.txt"} << none << backup << none;
        QTest::addRow("folder_refused") << Setup([](const Scene &s) {
            return s.folder("programma/pezzarium.txt");
        }) << refused << FileProblem::NotAFile << QString() << none;
        QTest::addRow("fifo_refused") << Setup([](const Scene &s) {
            return s.fifo("programma/pezzarium.txt");
        }) << refused << FileProblem::NotAFile << QString() << none;
        QTest::addRow("readOnlyFile_refused") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.mode("programma/pezzarium.txt", 0444);
        }) << refused << FileProblem::ReadOnlyFile << QString() << none;
        QTest::addRow("noFileInReadOnlyFolder_refused") << Setup([](const Scene &s) {
            return s.mode("programma", 0555);
        }) << refused << FileProblem::PermissionDenied << QString() << none;
        QTest::addRow("programFolderReadOnly_writtenInPlace_backupOld") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.mode("programma", 0555);
        }) << QStringList{inventory} << none << QString() << FileProblem::PermissionDenied;
        QTest::addRow("backupLinkToAFileElsewhere_replacedAsAName") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.file("altrove/vittima.txt", "not the inventory")
                   && s.link("programma/pezzarium.txt.bak", "../altrove/vittima.txt");
        }) << QStringList{inventory} << none << backup << none;
        QTest::addRow("backupDanglingLink_replacedAsAName") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.link("programma/pezzarium.txt.bak", "../altrove/nuovo.txt");
        }) << QStringList{inventory} << none << backup << none;
        QTest::addRow("backupHardLinkOfAFileElsewhere_replacedAsAName") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.file("altrove/vittima.txt", "not the inventory")
                   && s.hardLink("programma/pezzarium.txt.bak", "altrove/vittima.txt");
        }) << QStringList{inventory} << none << backup << none;
        QTest::addRow("backupFolder_savedWithoutIt") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.folder("programma/pezzarium.txt.bak");
        }) << QStringList{inventory} << none << QString() << FileProblem::NotAFile;
        QTest::addRow("backupFifo_savedWithoutIt") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.fifo("programma/pezzarium.txt.bak");
        }) << QStringList{inventory} << none << QString() << FileProblem::NotAFile;
        // Another user's file, which the saver may write but not replace.
        QTest::addRow("fileOfAnotherUserInStickyFolder_writtenInPlace") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.mode("programma/pezzarium.txt", 0666)
                   && s.ownedByOther("programma/pezzarium.txt") && s.ownedByOther("programma")
                   && s.mode("programma", 01777);
        }) << QStringList{inventory} << none << backup << none;
        QTest::addRow("backupOfAnotherUserInStickyFolder_savedWithoutIt") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.file("programma/pezzarium.txt.bak", "B's backup")
                   && s.ownedByOther("programma/pezzarium.txt.bak") && s.ownedByOther("programma")
                   && s.mode("programma", 01777);
        }) << QStringList{inventory} << none << QString() << FileProblem::PermissionDenied;
        // Access rights travel with the file, whichever way it is written.
        QTest::addRow("aclAndAttribute_replaced_kept") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.mode("programma/pezzarium.txt", 0644)
                   && s.acl("programma/pezzarium.txt", "u:4100:rw") && s.attribute("programma/pezzarium.txt", "user.nota", "x");
        }) << QStringList{inventory} << none << backup << none;
        QTest::addRow("aclAndAttribute_writtenInPlace_backupCopyKeepsThem") << Setup([](const Scene &s) {
            return s.file("programma/pezzarium.txt", Old) && s.mode("programma/pezzarium.txt", 0640)
                   && s.acl("programma/pezzarium.txt", "g:4100:r") && s.attribute("programma/pezzarium.txt", "user.nota", "x")
                   && s.hardLink("altrove/copia.txt", "programma/pezzarium.txt");
        }) << QStringList{inventory, "altrove/copia.txt"} << none << backup << none;
    }
    void saveWritesTheUsersFileAndNothingElse()
    {
        QFETCH(Setup, setup);
        QFETCH(QStringList, written);
        QFETCH(FileProblem, failure);
        QFETCH(QString, backup);
        QFETCH(FileProblem, backupFailure);
        const bool root = geteuid() == 0;
        if (root) {
            // The saver's own files, unless the scene gives one to another user.
            QVERIFY(chown(QFile::encodeName(m_root->path()).constData(), Saver, Saver) == 0);
        }
        if (!setup(*m_scene)) {
            if (!root)
                QSKIP("setting this up needs root (another user's files, a file system of its own)");
            QFAIL("could not set the scene up");
        }
        if (root) {
            for (const QString &made : Listing(m_root->path()).keys()) {
                const QByteArray name = QFile::encodeName(m_scene->path(made));
                struct stat info {};
                if (lstat(name.constData(), &info) == 0 && info.st_uid == 0)
                    QVERIFY(lchown(name.constData(), Saver, Saver) == 0);
            }
        }
        const QString file = written.value(0);
        const Entry fileBefore = Describe(m_scene->path(file));
        const QMap<QString, Entry> before = Listing(m_root->path());

        const std::optional<Outcome> saved = SaveAsAnOrdinaryUser(m_scene->path("programma"));
        QVERIFY2(saved, "could not save as an ordinary user");

        const QMap<QString, Entry> after = Listing(m_root->path());
        QCOMPARE(saved->ok, !written.isEmpty());
        QCOMPARE(saved->problem, failure);
        QCOMPARE(saved->backupProblem, backupFailure);
        QCOMPARE(saved->backupOk, backupFailure == FileProblem::None);
        // Nothing changed but the file and its backup: no file elsewhere, no
        // link followed, no temporary file left.
        QStringList changing = written;
        changing << backup;
        QSet<QString> entries(before.keyBegin(), before.keyEnd());
        entries.unite(QSet<QString>(after.keyBegin(), after.keyEnd()));
        for (const QString &entry : std::as_const(entries)) {
            if (!changing.contains(entry))
                QVERIFY2(before.value(entry) == after.value(entry),
                         qPrintable(entry + ": " + before.value(entry).toString() + " -> "
                                    + after.value(entry).toString()));
        }
        for (const QString &name : written)
            QCOMPARE(FileBytes(m_scene->path(name)), New);
        if (!backup.isEmpty())
            QCOMPARE(FileBytes(m_scene->path(backup)), Old);
        if (written.isEmpty() || fileBefore.mode == 0)
            return;
        // The file keeps its owner, group and access rights, and the backup
        // gives no one more than the file did.
        const Entry fileAfter = after.value(file);
        QCOMPARE(fileAfter.mode, fileBefore.mode);
        QCOMPARE(fileAfter.owner, fileBefore.owner);
        QCOMPARE(fileAfter.group, fileBefore.group);
        QCOMPARE(fileAfter.attributes, fileBefore.attributes);
        if (!backup.isEmpty()) {
            const Entry kept = after.value(backup);
            QCOMPARE(kept.mode | S_IWUSR, fileBefore.mode | S_IWUSR);
            QCOMPARE(kept.attributes, fileBefore.attributes);
        }
    }
};

QTEST_GUILESS_MAIN(TestUserFile)
#include "tst_userfile.moc"
