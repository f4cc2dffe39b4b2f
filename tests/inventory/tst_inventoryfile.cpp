#include "changetracker.h"
#include "inventorypath.h"
#include "inventorysave.h"
#include "linebreaks.h"
#include "loadedlist.h"
#include "testfiles.h"
#include "textencoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <vector>
#endif
#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#include <sys/sysmacros.h>
#endif

using namespace Inventory;

Q_DECLARE_METATYPE(Inventory::TextEncoding)
Q_DECLARE_METATYPE(Inventory::FileProblem)

enum class Node { Folder, Fifo, Device };
Q_DECLARE_METATYPE(Node)

class TestInventoryFile : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> dir; // a fresh folder for every test
    QString inventory() const { return InventoryPath(dir->path()); }

private slots:
    void init()
    {
        dir.emplace();
        QVERIFY(dir->isValid());
    }

    void decodeInventory_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addRow("ascii_system") << QByteArray("A\r\n") << QString("A\r\n") << TextEncoding::System;
        QTest::addRow("utf8_decoded") << QByteArray("caff\xC3\xA8 10\xC2\xB5" "F") << QString("caffè 10µF")
                                      << TextEncoding::Utf8;
        QTest::addRow("utf8Bom_skipped") << QByteArray("\xEF\xBB\xBF" "A\r\n") << QString("A\r\n")
                                         << TextEncoding::Utf8WithBom;
        QTest::addRow("ansiAccentInside_windows1252") << QByteArray("caff\xE8 ok") << QString("caffè ok")
                                                      << TextEncoding::EightBit;
        QTest::addRow("ansiAccentAtEnd_windows1252") << QByteArray("caff\xE8") << QString("caffè")
                                                     << TextEncoding::EightBit;
        QTest::addRow("ansiEuro_windows1252") << QByteArray("\x80 5") << QString("€ 5") << TextEncoding::EightBit;
        QTest::addRow("ansiUnassigned_c1CodePoint") << QByteArray("\x81 5") << QChar(0x81) + QString(" 5")
                                                    << TextEncoding::EightBit;
        QTest::addRow("mixedLines_eachInItsOwn_utf8")
            << QByteArray("Caff\xC3\xA8\r\nCaff\xE8\r\nTh\xC3\xA8\nR\xE8l\xE8\r")
            << QString("Caffè\r\nCaffè\r\nThè\nRèlè\r") << TextEncoding::Mixed;
        QTest::addRow("asciiAndAnsiLines_ansi") << QByteArray("A1\r\nCaff\xE8\r\n") << QString("A1\r\nCaffè\r\n")
                                                << TextEncoding::EightBit;
        QTest::addRow("bomBeforeAnsiLine_skipped") << QByteArray("\xEF\xBB\xBF" "Caff\xE8\r\n")
                                                   << QString("Caffè\r\n") << TextEncoding::Mixed;
        QTest::addRow("bomInsideMixedFile_keptAsCharacter")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "A\r\n\xE8") << QChar(0xFEFF) + QString("A\r\nè")
            << TextEncoding::Mixed;
        QTest::addRow("utf16LittleEndian_decoded")
            << QByteArray("\xFF\xFE" "C\0" "a\0" "f\0" "f\0" "\xE8\0" "\r\0" "\n\0", 16) << QString("Caffè\r\n")
            << TextEncoding::Utf16LittleEndian;
        QTest::addRow("utf16BigEndian_decoded")
            << QByteArray("\xFE\xFF" "\0C" "\0\xE8" "\0\r" "\0\n", 10) << QString("Cè\r\n")
            << TextEncoding::Utf16BigEndian;
        QTest::addRow("utf16StartingWithNul_notUtf32")
            << QByteArray("\xFF\xFE" "\0\0" "A\0" "\r\0" "\n\0", 10) << QString(QChar(0)) + "A\r\n"
            << TextEncoding::Utf16LittleEndian;
        QTest::addRow("utf16LoneSurrogate_kept")
            << QByteArray("\xFF\xFE" "\x00\xD8" "\r\0" "\n\0", 8) << QString(QChar(0xD800)) + "\r\n"
            << TextEncoding::Utf16LittleEndian;
        QTest::addRow("utf32_decoded")
            << QByteArray("\xFF\xFE\0\0" "\x00\xF6\x01\0" "\r\0\0\0" "\n\0\0\0", 16)
            << QString::fromUcs4(U"\U0001F600\r\n") << TextEncoding::Utf32LittleEndian;
        QTest::addRow("utf16WithoutMark_byItsNuls")
            << QByteArray("A\0" "\xE8\0" "\r\0" "\n\0", 8) << QString("Aè\r\n")
            << TextEncoding::Utf16LittleEndianWithoutMark;
        QTest::addRow("utf16BigEndianWithoutMark_byItsNuls")
            << QByteArray("\0A" "\x01\x0D" "\0\r" "\0\n", 8) << QString("Ač\r\n")
            << TextEncoding::Utf16BigEndianWithoutMark;
        QTest::addRow("nulsBesideCrLf_notUtf16") << QByteArray("A\0\r\n", 4) << QString::fromUtf16(u"A\0\r\n", 4)
                                                 << TextEncoding::System;
    }

    // Bytes that no decoding would give back unchanged: the file is refused.
    void undecodableIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<FileProblem>("problem");
        QTest::addRow("utf16OddLastByte") << QByteArray("\xFF\xFE" "A\0" "\r\0" "\n\0" "B", 9) << FileProblem::OddUtf16;
        QTest::addRow("utf32BeyondUnicode") << QByteArray("\xFF\xFE\0\0" "\0\0\x11\0" "\r\0\0\0" "\n\0\0\0", 16)
                                            << FileProblem::InvalidUtf32;
        QTest::addRow("utf32Surrogate") << QByteArray("\0\0\xFE\xFF" "\0\0\xD8\0" "\0\0\0\r" "\0\0\0\n", 16)
                                        << FileProblem::InvalidUtf32;
    }
    void undecodableIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(FileProblem, problem);
        QVERIFY(WriteFile(inventory(), bytes));
        const FileResult<InventoryText> read = ReadInventory(dir->path());
        QVERIFY(!read.ok());
        QCOMPARE(read.failure().error.problem, problem);
        QCOMPARE(FileBytes(inventory()), bytes);
    }
    void decodeInventory()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(TextEncoding, encoding);
        const DecodedText decoded = DecodeInventory(bytes);
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.encoding.kind, encoding);
    }

    void folderOfExecutable_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("folder"); // null: none
#ifdef Q_OS_UNIX // absolute Unix paths, file names in UTF-8
        QTest::addRow("plain") << QByteArray("/home/anna/pezzarium/bin/pezzarium") << "/home/anna/pezzarium/bin";
        QTest::addRow("accentUtf8") << QByteArray("/srv/Magazzino \xC3\xA8/pezzarium") << "/srv/Magazzino è";
        QTest::addRow("latin1Folder_none") << QByteArray("/srv/Magazzino \xE8/pezzarium") << QString();
#endif
        QTest::addRow("relative_none") << QByteArray("bin/pezzarium") << QString();
        QTest::addRow("empty_none") << QByteArray() << QString();
    }
    void folderOfExecutable()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, folder);
        QCOMPARE(FolderOfExecutable(path).value_or(QString()), folder);
    }

    void listText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("list");
        QTest::addRow("savedEmptyLastLine_dropped") << "A\r\nB\r\n\r\n" << "A\r\nB\r\n";
        QTest::addRow("threeLineEnds_two") << "A\r\n\r\n\r\nB\r\n" << "A\r\n\r\nB\r\n";
        QTest::addRow("fourLineEnds_two") << "A\r\n\r\n\r\n\r\nB" << "A\r\n\r\nB\r\n";
        QTest::addRow("fiveLineEnds_three") << "A\n\n\n\n\nB" << "A\r\n\r\n\r\nB\r\n";
        QTest::addRow("lfOnly_crLf") << "A\nB\n" << "A\r\nB\r\n";
        QTest::addRow("loneCr_crLf") << "A\rB" << "A\r\nB\r\n";
        QTest::addRow("empty_empty") << "" << "";
        QTest::addRow("oneLineEnd_kept") << "\r\n" << "\r\n";
        const QString nul = QString::fromUtf8("A\0B\r\n", 5);
        QTest::addRow("nulInLine_kept") << nul << nul;
    }
    void listText()
    {
        QFETCH(QString, text);
        QFETCH(QString, list);
        QCOMPARE(LoadedList(text), list);
    }

    void writeInventory_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("twoLines_extraCrLf") << "A\r\nB\r\n" << QByteArray("A\r\nB\r\n\r\n");
        QTest::addRow("emptyList_crLfOnly") << "" << QByteArray("\r\n");
    }
    void writeInventory()
    {
        QFETCH(QString, list);
        QFETCH(QByteArray, bytes);
        QVERIFY(WriteFile(inventory(), "older contents, longer than the new ones\r\n"));
        const SaveResult result = WriteInventory(dir->path(), list);
        QVERIFY(result.ok());
        QCOMPARE(FileBytes(inventory()), bytes);
        QCOMPARE(KindOfPath(inventory()), PathKind::OrdinaryFile);
        if (!list.isEmpty()) // saved and loaded back unchanged
            QCOMPARE(LoadedList(ReadInventory(dir->path())->text), list);
    }

    // Other programs read the same file: a save keeps the encoding it was read in.
    void saveKeepsTheFileEncoding_data()
    {
        QTest::addColumn<QByteArray>("onDisk"); // null: no file yet
        QTest::addColumn<QByteArray>("rewrittenAs"); // by another program after the read; null: not
        QTest::addColumn<QString>("added");   // to the list before the save
        QTest::addColumn<QByteArray>("saved");
        const QByteArray none;
        QTest::addRow("utf8_staysUtf8") << QByteArray("Caff\xC3\xA8\r\n\r\n") << none << "Perché\r\n"
                                        << QByteArray("Caff\xC3\xA8\r\nPerch\xC3\xA9\r\n\r\n");
        QTest::addRow("utf8Bom_keepsItsMark") << QByteArray("\xEF\xBB\xBF" "A\r\n") << none << "è\r\n"
                                              << QByteArray("\xEF\xBB\xBF" "A\r\n\xC3\xA8\r\n\r\n");
        QTest::addRow("utf16LittleEndian_staysSo") << QByteArray("\xFF\xFE" "A\0\r\0\n\0", 8) << none << "è\r\n"
            << QByteArray("\xFF\xFE" "A\0\r\0\n\0" "\xE8\0\r\0\n\0" "\r\0\n\0", 18);
        QTest::addRow("utf16BigEndian_staysSo") << QByteArray("\xFE\xFF" "\0A\0\r\0\n", 8) << none << "Ω\r\n"
            << QByteArray("\xFE\xFF" "\0A\0\r\0\n" "\x03\xA9\0\r\0\n" "\0\r\0\n", 18);
        QTest::addRow("ansi_staysInItsCodePage") << QByteArray("Caff\xE8\r\n") << none << "Perché 5€\r\n"
                                                 << QByteArray("Caff\xE8\r\nPerch\xE9 5\x80\r\n\r\n");
        QTest::addRow("ansiAndACharacterBeyondIt_utf8") << QByteArray("Caff\xE8\r\n") << none << "10 Ω\r\n"
                                                        << QByteArray("Caff\xC3\xA8\r\n10 \xCE\xA9\r\n\r\n");
        QTest::addRow("mixedLines_eachKeptNewOneUtf8") << QByteArray("Caff\xE8\r\nTh\xC3\xA8\r\n") << none << "Però\r\n"
                                                       << QByteArray("Caff\xE8\r\nTh\xC3\xA8\r\nPer\xC3\xB2\r\n\r\n");
        QTest::addRow("ansiBytesThatReadAsUtf8_utf8") << QByteArray("Caff\xE8\r\n") << none << "Ã©\r\n"
                                                      << QByteArray("Caff\xC3\xA8\r\n\xC3\x83\xC2\xA9\r\n\r\n");
        QTest::addRow("reencodedByAnotherProgram_theirEncodingKept")
            << QByteArray("Caff\xE8\r\n") << QByteArray("\xEF\xBB\xBF" "Caff\xC3\xA8\r\n") << ""
            << QByteArray("\xEF\xBB\xBF" "Caff\xC3\xA8\r\n\r\n");
#ifdef Q_OS_WIN // the system's encoding: the ANSI code page where every character fits
        QTest::addRow("ascii_systemEncoding") << QByteArray("A\r\n") << none << "è\r\n" << QByteArray("A\r\n\xE8\r\n\r\n");
        QTest::addRow("newFile_systemEncoding") << none << none << "è\r\n" << QByteArray("\xE8\r\n\r\n");
        QTest::addRow("newFileBeyondTheCodePage_utf8") << none << none << "Ω\r\n" << QByteArray("\xCE\xA9\r\n\r\n");
#else
        QTest::addRow("ascii_systemEncoding") << QByteArray("A\r\n") << none << "è\r\n"
                                              << QByteArray("A\r\n\xC3\xA8\r\n\r\n");
        QTest::addRow("newFile_systemEncoding") << none << none << "è\r\n" << QByteArray("\xC3\xA8\r\n\r\n");
#endif
    }
    void saveKeepsTheFileEncoding()
    {
        QFETCH(QByteArray, onDisk);
        QFETCH(QByteArray, rewrittenAs);
        QFETCH(QString, added);
        QFETCH(QByteArray, saved);
        if (!onDisk.isNull())
            QVERIFY(WriteFile(inventory(), onDisk));
        ChangeTracker file(dir->path());
        const QString list = LoadedList(file.readText()->text) + added;
        if (!rewrittenAs.isNull())
            QVERIFY(WriteFile(inventory(), rewrittenAs));
        const FileResult<ChangeTracker::OverwriteCheck> current = file.readBeforeOverwrite();
        QVERIFY(current.ok());
        QVERIFY(!current->changed); // the same text, whatever its bytes
        QVERIFY(file.write(ListText(list)).ok());
        QCOMPARE(FileBytes(inventory()), saved);
        // Read back as it was meant, and recognised as what this window wrote.
        QCOMPARE(ReadInventory(dir->path())->text, list + "\r\n");
        QVERIFY(!file.readBeforeOverwrite()->changed);
    }

    // What stands at the inventory's place instead of an ordinary file.
    void notAFile_data()
    {
        QTest::addColumn<Node>("node");
        QTest::addColumn<bool>("throughLink");
        QTest::addRow("folder") << Node::Folder << false;
        QTest::addRow("fifo") << Node::Fifo << false;
        QTest::addRow("linkToFolder") << Node::Folder << true;
        QTest::addRow("linkToFifo") << Node::Fifo << true;
        QTest::addRow("linkToDevice") << Node::Device << true;
    }
    void notAFile()
    {
        QFETCH(Node, node);
        QFETCH(bool, throughLink);
        const QString target = dir->filePath("target");
        const QString made = throughLink ? target : inventory();
        if (node == Node::Folder) {
            QVERIFY(QDir().mkdir(made));
        } else {
#ifdef Q_OS_LINUX
            // A device node of its own, so that a fault would replace nothing that matters.
            const QByteArray name = QFile::encodeName(made);
            const bool ok = node == Node::Device ? mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0
                                                 : mkfifo(name.constData(), 0666) == 0;
            if (!ok)
                QSKIP("creating a device node needs root");
#else
            QSKIP("needs FIFOs and device nodes");
#endif
        }
        if (throughLink) {
#ifdef Q_OS_WIN
            QSKIP("QFile::link makes a shortcut here, not a link the file system follows");
#endif
            QVERIFY(QFile::link(target, inventory()));
        }

        const QFileInfo before(inventory());
        QCOMPARE(KindOfPath(inventory()), PathKind::NotAFile);
        const FileResult<InventoryText> read = ReadInventory(dir->path()); // never opened: a FIFO would block
        QVERIFY(!read.ok());
        QCOMPARE(read.failure().path, inventory());
        QCOMPARE(read.failure().error.problem, FileProblem::NotAFile);
        const SaveResult written = WriteInventory(dir->path(), u"B\r\n");
        QVERIFY(!written.ok());
        QCOMPARE(written.failure().path, inventory());
        QCOMPARE(written.failure().error.problem, FileProblem::NotAFile);
        const QFileInfo after(inventory());
        QCOMPARE(after.isSymLink(), before.isSymLink());
        QCOMPARE(after.isFile(), false);
    }

    void linkToOrdinaryFileWritesTheTarget()
    {
#ifdef Q_OS_WIN
        QSKIP("QFile::link makes a shortcut here, not a link the file system follows");
#endif
        QVERIFY(QDir(dir->path()).mkdir("dati"));
        const QString target = dir->filePath("dati/magazzino.txt");
        QVERIFY(WriteFile(target, "A\r\n"));
        QVERIFY(QFile::link(target, inventory()));
        QCOMPARE(ReadInventory(dir->path())->text, QString("A\r\n"));
        QVERIFY(WriteInventory(dir->path(), u"B\r\n").ok());
        QVERIFY(QFileInfo(inventory()).isSymLink());
        QCOMPARE(FileBytes(target), QByteArray("B\r\n\r\n"));
    }

    // The limit holds both ways, and its message never reads as no problem.
    void tooLargeIsRefusedWithItsSize_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addRow("farOver") << qint64(64) * 1024 * 1024 * 1024;
        QTest::addRow("twoBytesOver") << LargestInventory + 2;
    }
    void tooLargeIsRefusedWithItsSize()
    {
        QFETCH(qint64, size);
        {
            QFile file(inventory()); // sparse: it takes no room on disk
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(size));
        }
        const FileResult<InventoryText> read = ReadInventory(dir->path());
        QVERIFY(!read.ok());
        QCOMPARE(read.failure().error.problem, FileProblem::TooLarge);
        QCOMPARE(read.failure().error.size, size);
        QCOMPARE(read.failure().error.limit, LargestInventory);
    }

    void saveOverTheLimitIsRefused()
    {
        QVERIFY(WriteFile(inventory(), "A\r\n\r\n"));
        // With the CR LF that a save adds, one byte over.
        const QString list(LargestInventory - 1, u'x');
        const SaveResult saved = WriteInventory(dir->path(), list);
        QVERIFY(!saved.ok());
        QCOMPARE(saved.failure().error.problem, FileProblem::TooLarge);
        QCOMPARE(saved.failure().error.size, LargestInventory + 1);
        QCOMPARE(FileBytes(inventory()), QByteArray("A\r\n\r\n"));
        QVERIFY(!QFile::exists(BackupPath(inventory())));
    }

    void failedWriteThroughAFileChangesNothing()
    {
        WriteFile(dir->filePath("plainfile"), "keep\r\n"); // a folder path through a regular file
        const SaveResult result = WriteInventory(dir->filePath("plainfile/sub"), u"A\r\n");
        QVERIFY(!result.ok() && result.failure().error.problem != FileProblem::None);
        QCOMPARE(FileBytes(dir->filePath("plainfile")), QByteArray("keep\r\n"));
    }

    void savedFilesKeepTheInventoryPermissions_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("oldBackup"); // a backup left by an earlier save, 0644
        QTest::addRow("groupWritable_newBackup") << 0664 << false;
        QTest::addRow("groupWritable_oldBackup") << 0664 << true;
        QTest::addRow("private_oldBackup") << 0600 << true;
    }
    void savedFilesKeepTheInventoryPermissions()
    {
#ifdef Q_OS_UNIX
        QFETCH(int, mode);
        QFETCH(bool, oldBackup);
        QVERIFY(WriteFile(inventory(), "A\r\n"));
        QVERIFY(chmod(QFile::encodeName(inventory()).constData(), mode_t(mode)) == 0);
        if (oldBackup) {
            QVERIFY(WriteFile(BackupPath(inventory()), "0\r\n"));
            QVERIFY(chmod(QFile::encodeName(BackupPath(inventory())).constData(), 0644) == 0);
        }
        QVERIFY(WriteInventory(dir->path(), u"B\r\n").ok());
        for (const QString &path : {inventory(), BackupPath(inventory())}) {
            struct stat info {};
            QVERIFY(stat(QFile::encodeName(path).constData(), &info) == 0);
            QCOMPARE(int(info.st_mode & 07777), mode);
        }
#else
        QSKIP("Unix file modes");
#endif
    }

    // Whoever saves, the inventory stays its owner's, in its group: root
    // replaces it with a file given both, anyone else writes it in place.
    void savedFilesKeepTheInventoryOwnerAndGroup_data()
    {
        QTest::addColumn<int>("saver"); // the user id that saves; 0 is root
        QTest::addColumn<QList<int>>("saverGroups"); // primary group first
        QTest::addRow("root") << 0 << QList<int>{0};
        QTest::addRow("groupMember") << 4101 << QList<int>{4101, 4200};
        QTest::addRow("notAMember") << 4101 << QList<int>{4101};
    }
    void savedFilesKeepTheInventoryOwnerAndGroup()
    {
#ifdef Q_OS_UNIX
        QFETCH(int, saver);
        QFETCH(QList<int>, saverGroups);
        if (geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        // A folder everyone may write, and an inventory everyone may write,
        // owned by another user in a group of its own.
        QVERIFY(chmod(QFile::encodeName(dir->path()).constData(), 0777) == 0);
        QVERIFY(WriteFile(inventory(), "A\r\n"));
        QVERIFY(chmod(QFile::encodeName(inventory()).constData(), 0666) == 0);
        QVERIFY(chown(QFile::encodeName(inventory()).constData(), 4100, 4200) == 0);

        // The save runs in a child process with the saver's identity.
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::vector<gid_t> groups(saverGroups.begin(), saverGroups.end());
            const bool becameSaver = setgroups(groups.size(), groups.data()) == 0
                                     && setgid(groups.front()) == 0 && setuid(uid_t(saver)) == 0;
            _exit(becameSaver && WriteInventory(dir->path(), u"B\r\n").ok() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

        struct stat info {};
        QVERIFY(stat(QFile::encodeName(inventory()).constData(), &info) == 0);
        QCOMPARE(FileBytes(inventory()), QByteArray("B\r\n\r\n"));
        QCOMPARE(int(info.st_uid), 4100);
        QCOMPARE(int(info.st_gid), 4200);
#else
        QSKIP("Unix owners and groups");
#endif
    }

    void diskFullSaysSoAndKeepsTheFile_data()
    {
        QTest::addColumn<int>("size"); // of the new list, on a 64 KiB disk
        QTest::addColumn<bool>("hardLinked"); // so written in place
        QTest::addRow("farTooLarge") << 200 * 1024 << false;
        QTest::addRow("fullOnlyAtTheEnd") << 60 * 1024 << false;
        QTest::addRow("farTooLarge_inPlace") << 200 * 1024 << true;
        QTest::addRow("fullOnlyAtTheEnd_inPlace") << 60 * 1024 << true;
    }
    void diskFullSaysSoAndKeepsTheFile()
    {
#ifdef Q_OS_LINUX
        QFETCH(int, size);
        QFETCH(bool, hardLinked);
        // A small disk of its own, in a mount namespace of this process only.
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || mount("tmpfs", QFile::encodeName(dir->path()).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("mounting a small disk needs root");
        const QByteArray old = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n\r\n";
        QVERIFY(WriteFile(inventory(), old));
        if (hardLinked)
            QVERIFY(link(QFile::encodeName(inventory()).constData(), QFile::encodeName(dir->filePath("altro.txt")).constData()) == 0);
        const SaveResult result = WriteInventory(dir->path(), QString(size, u'x'));
        const QByteArray after = FileBytes(inventory());
        const QStringList left = QDir(dir->path()).entryList(QDir::Files | QDir::Hidden);
        umount2(QFile::encodeName(dir->path()).constData(), MNT_DETACH);
        QVERIFY(!result.ok());
        QCOMPARE(result.failure().error.problem, FileProblem::NoSpace);
        QCOMPARE(after, old);
        // In place, the backup is a copy, made first.
        const QStringList expected = hardLinked ? QStringList({"altro.txt", "pezzarium.txt", "pezzarium.txt.bak"})
                                                : QStringList({"pezzarium.txt"});
        QCOMPARE(left, expected);
#else
        QSKIP("needs a Linux mount namespace");
#endif
    }

    void saveKeepsPreviousVersionAsBackup()
    {
        QVERIFY(WriteFile(inventory(), "versione 1\r\n"));
        QVERIFY(WriteInventory(dir->path(), u"versione 2\r\n").ok());
#ifdef Q_OS_UNIX // where the backup is a second name, made under a temporary one
        QVERIFY(WriteFile(BackupPath(inventory()) + ".new", "left by a save cut short"));
#endif
        QVERIFY(WriteInventory(dir->path(), u"versione 3\r\n").ok());
#ifdef Q_OS_UNIX
        QVERIFY(!QFile::exists(BackupPath(inventory()) + ".new"));
#endif
        QCOMPARE(FileBytes(BackupPath(inventory())), QByteArray("versione 2\r\n\r\n"));

        QVERIFY(QFile::remove(BackupPath(inventory())));
        QVERIFY(QDir(dir->path()).mkdir("pezzarium.txt.bak"));
        const SaveResult result = WriteInventory(dir->path(), u"versione 4\r\n");
        // The save goes on, and says so.
        QVERIFY(result.ok());
        QVERIFY(result->staleBackup);
        QCOMPARE(result->staleBackup->path, BackupPath(inventory()));
        QCOMPARE(result->staleBackup->error.problem, FileProblem::NotAFile);
        QCOMPARE(FileBytes(inventory()), QByteArray("versione 4\r\n\r\n"));
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<bool>("hardLinked"); // so written in place
        QTest::addRow("replaced") << false;
        QTest::addRow("inPlace") << true;
    }
    void failedWriteKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        QFETCH(bool, hardLinked);
        const QByteArray old = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n\r\n";
        QVERIFY(WriteFile(inventory(), old));
        const QByteArray other = QFile::encodeName(dir->filePath("altro.txt"));
        if (hardLinked)
            QVERIFY(link(QFile::encodeName(inventory()).constData(), other.constData()) == 0);
        // A file size limit fails the write like a full disk, even for root;
        // its signal would end the test.
        rlimit saved{}, limited{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        limited = {16, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const SaveResult result = WriteInventory(dir->path(), QString(200, u'x') + "\r\n");
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(FileBytes(inventory()), old);
        QVERIFY(!result.ok() && result.failure().error.problem != FileProblem::None);
        const QStringList expected = hardLinked ? QStringList({"altro.txt", "pezzarium.txt"})
                                                : QStringList({"pezzarium.txt"});
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), expected);
#else
        QSKIP("needs a file size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(TestInventoryFile)
#include "tst_inventoryfile.moc"
