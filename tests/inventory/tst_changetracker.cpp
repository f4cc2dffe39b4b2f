#include "changetracker.h"
#include "inventorypath.h"
#include "loadedlist.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Inventory;

namespace {

const QByteArray Saved = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n\r\n";

// What another program (or this window) does to the file between the read
// and the save; false when it could not be done.
using Change = bool (*)(const QString &path, ChangeTracker &file);


} // namespace

Q_DECLARE_METATYPE(Change)

// What a window's view of the file makes of another program's doings between
// its last read and its next save.
class TestChangeTracker : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString path() const { return InventoryPath(m_dir->path()); }

private slots:
    // Each test starts from the inventory saved an hour ago, so that a search
    // trusts its size and time.
    void init()
    {
        m_dir.emplace();
        QVERIFY(WriteFile(path(), Saved, AnHourAgo()));
    }

    void readBeforeOverwrite_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("exists");

        QTest::addRow("unchanged_noQuestion") << Change([](const QString &, ChangeTracker &) { return true; })
                                              << true << false << true;
        QTest::addRow("touched_noQuestion")
            << Change([](const QString &path, ChangeTracker &) { return WriteFile(path, Saved); }) << true << false
            << true;
        QTest::addRow("sameSizeAndTime_changed") << Change([](const QString &path, ChangeTracker &) {
            QByteArray other = Saved;
            return WriteFile(path, other.replace("12", "13"), AnHourAgo());
        }) << true << true << true;
        QTest::addRow("truncated_changed")
            << Change([](const QString &path, ChangeTracker &) { return WriteFile(path, {}); }) << true << true << true;
        QTest::addRow("removed_writtenAgain")
            << Change([](const QString &path, ChangeTracker &) { return QFile::remove(path); }) << true << false
            << false;
        QTest::addRow("grownTooLarge_unreadable") << Change([](const QString &path, ChangeTracker &) {
            QFile grown(path);
            return grown.open(QIODevice::ReadWrite) && grown.resize(qint64(64) << 30);
        }) << false << false << true;
#ifdef Q_OS_LINUX
        QTest::addRow("unreadable_unreadable") << Change([](const QString &path, ChangeTracker &) {
            return QFile::remove(path) && QFile::link("/proc/self/mem", path);
        }) << false << false << true;
#endif
        QTest::addRow("folder_leftToTheSave") << Change([](const QString &path, ChangeTracker &) {
            return QFile::remove(path) && QDir().mkdir(path);
        }) << true << false << false;
        QTest::addRow("savedByThisWindow_noQuestion") << Change([](const QString &, ChangeTracker &file) {
            return file.write(ListText(QStringLiteral("[Box]: A2\r\n"))).ok();
        }) << true << false << true;
    }
    void readBeforeOverwrite()
    {
        QFETCH(Change, change);
        QFETCH(bool, ok);
        QFETCH(bool, changed);
        QFETCH(bool, exists);

        ChangeTracker file(m_dir->path());
        QCOMPARE(file.readText()->text, QString::fromUtf8(Saved));
        QVERIFY(change(path(), file));

        const FileResult<ChangeTracker::OverwriteCheck> check = file.readBeforeOverwrite();
        QCOMPARE(check.ok(), ok);
        if (ok) {
            QCOMPARE(check->changed, changed);
            QCOMPARE(check->file.exists, exists);
        } else {
            QVERIFY(check.failure().error.problem != FileProblem::None);
        }
    }

    // Whoever shows something made from the kept text tells by its version
    // whether the file still holds it.
    void versionFollowsTheText_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("newVersion");
        QTest::addColumn<QString>("wholeInventory");
        const QString saved = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n";
        QTest::addRow("unchanged_sameVersion") << Change([](const QString &, ChangeTracker &) { return true; })
                                               << false << saved;
        QTest::addRow("sameTextRewritten_sameVersion")
            << Change([](const QString &path, ChangeTracker &) { return WriteFile(path, Saved); }) << false << saved;
        QTest::addRow("rewrittenByAnotherProgram_newVersion")
            << Change([](const QString &path, ChangeTracker &) { return WriteFile(path, "B\n\nC"); }) << true
            << "B\r\nC\r\n";
        QTest::addRow("savedByThisWindow_newVersion") << Change([](const QString &, ChangeTracker &file) {
            return file.write(ListText(QStringLiteral("D\r\n"))).ok();
        }) << true << "D\r\n";
        QTest::addRow("sameTextSavedByThisWindow_sameVersion") << Change([](const QString &, ChangeTracker &file) {
            return file.write(ListText(QString::fromUtf8(Saved.chopped(2)))).ok();
        }) << false << saved;
    }
    void versionFollowsTheText()
    {
        QFETCH(Change, change);
        QFETCH(bool, newVersion);
        QFETCH(QString, wholeInventory);
        ChangeTracker file(m_dir->path());
        QVERIFY(file.readText().ok());
        QCOMPARE(file.kept().wholeInventory(), QString::fromUtf8(Saved.chopped(2)));
        const TextVersion before = file.kept().version();

        QVERIFY(change(path(), file));
        QVERIFY(file.readText().ok());
        QCOMPARE(file.kept().version() != before, newVersion);
        QCOMPARE(file.kept().wholeInventory(), wholeInventory);
    }

    void readTextGivesTheFileWithItsOwnLineEnds()
    {
        ChangeTracker file(m_dir->path());
        QVERIFY(file.write(ListText(QStringLiteral("A\r\nB\r\n"))).ok());
        QCOMPARE(file.readText()->text, QStringLiteral("A\r\nB\r\n\r\n"));
        QCOMPARE(LoadedList(file.readText()->text), QStringLiteral("A\r\nB\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestChangeTracker)
#include "tst_changetracker.moc"
