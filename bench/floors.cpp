#include "floors.h"

#include "form1.h"
#include "inventoryfile.h"
#include "output.h"
#include "searchfilter.h"
#include "texthelpers.h"
#include "timing.h"
#include "windowdriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

namespace Bench {

namespace {

int Lines(const QString &text)
{
    return int(text.count(Inventory::LineEnd));
}

QString Failed(bool ok, const char *what)
{
    return ok ? QString() : QString::fromLatin1(what);
}

} // namespace

void RunFileFloors(const QString &folder, int runs, int records, int narrowLines)
{
    const QString path = Inventory::InventoryPath(folder);
    QByteArray bytes;
    const auto readAll = [&] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    };
    PrintFigure(QStringLiteral("file.read"), Measure(runs, {{}, readAll, {}}));
    PrintValue(QStringLiteral("bytes"), double(bytes.size()));
    PrintValue(QStringLiteral("records"), records);
    PrintValue(QStringLiteral("narrow_lines"), narrowLines);

    bool ok = false;
    PrintFigure(QStringLiteral("file.read_inventory"),
                Measure(runs, {{},
                               [&] { ok = Inventory::ReadInventory(folder).ok; },
                               [&] { return Failed(ok, "ReadInventory failed"); }}));
    PrintFigure(QStringLiteral("file.write"),
                Measure(runs, {{},
                               [&] {
                                   QSaveFile file(path);
                                   ok = file.open(QIODevice::WriteOnly)
                                     && file.write(bytes) == bytes.size() && file.commit();
                               },
                               [&] { return Failed(ok, "QSaveFile failed"); }}));

    // grep's output goes through a pipe and is thrown away: written to /dev/null,
    // GNU grep would stop at the first match.
    const auto grep = [&](const QString &key, const QStringList &patterns, int expectedLines) {
        QStringList arguments{QStringLiteral("-F")};
        for (const QString &pattern : patterns)
            arguments << QStringLiteral("-e") << pattern;
        arguments << path;
        int lines = -1;
        PrintFigure(
            key, Measure(runs, {{},
                                [&] {
                                    QProcess process;
                                    process.start(QStringLiteral("grep"), arguments);
                                    process.waitForFinished(-1);
                                    lines = int(process.readAllStandardOutput().count('\n'));
                                },
                                [&] {
                                    return lines == expectedLines
                                             ? QString()
                                             : QStringLiteral("grep printed %1 lines").arg(lines);
                                }}));
    };
    grep(QStringLiteral("grep.narrow"), {NarrowQuery}, narrowLines);
    grep(QStringLiteral("grep.broad"), {BroadQuery}, records);
    grep(QStringLiteral("grep.lower"), {LowerQuery, LowerQuery.toUpper()}, narrowLines);
    grep(QStringLiteral("grep.lower_as_typed"), {LowerQuery}, 0);

    // Cold: a new view of the file, so it is read and decoded as grep reads it.
    // Warm: the window's own view, which skips reading a file it has already read.
    const auto filter = [&](const QString &key, const QString &query, int expectedLines) {
        Inventory::FilterResult found;
        const auto check = [&] {
            return found.ok && Lines(found.listText) == expectedLines
                     ? QString()
                     : QStringLiteral("FilterInventory found %1 lines").arg(Lines(found.listText));
        };
        PrintFigure(key, Measure(runs, {{},
                                        [&] {
                                            Inventory::InventoryFile file(folder);
                                            found = Inventory::FilterInventory(file, query);
                                        },
                                        check}));
        Inventory::InventoryFile seen(folder);
        PrintFigure(
            key + QStringLiteral("_warm"),
            Measure(runs, {{}, [&] { found = Inventory::FilterInventory(seen, query); }, check}));
    };
    filter(QStringLiteral("filter.narrow"), NarrowQuery, narrowLines);
    filter(QStringLiteral("filter.broad"), BroadQuery, records);
    filter(QStringLiteral("filter.lower"), LowerQuery, narrowLines);
}

void RunParts(Window &window, const QString &folder, const ListTexts &texts, int runs)
{
    const auto key = [](const char *name) { return QStringLiteral("part.") + QLatin1String(name); };
    const auto time = [&](const char *name, const std::function<void()> &prepare,
                          const std::function<void()> &act) {
        PrintFigure(key(name), Measure(runs, {prepare, act, {}}));
    };
    QByteArray bytes;
    {
        QFile file(Inventory::InventoryPath(folder));
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    QString text;
    QString result;
    time("decode", {}, [&] { text = Inventory::DecodeInventory(bytes); });
    time("list_from_file", {}, [&] { result = Inventory::ListTextFromFile(text); });
    time("matching_narrow", {}, [&] { result = Inventory::MatchingLines(text, NarrowQuery); });
    time("matching_broad", {}, [&] { result = Inventory::MatchingLines(text, BroadQuery); });

    time("list_text", {}, [&] { result = window.form().listText(); });
    // The document's own text, for comparison: lines apart by U+2029 instead of CR LF.
    time("raw_text", {}, [&] { result = window.list().document()->toRawText(); });
    const QString selected = texts.selected + Inventory::LineEnd.toString();
    const QString updated = texts.updated + Inventory::LineEnd.toString();
    time("replace_all", {},
         [&] { result = Inventory::ReplaceAll(texts.whole, selected, updated); });
    bool written = false;
    PrintFigure(key("write_inventory"),
                Measure(runs, {{},
                               [&] { written = Inventory::WriteInventory(folder, texts.whole).ok; },
                               [&] { return Failed(written, "WriteInventory failed"); }}));

    QPlainTextEdit &list = window.list();
    time("paint", {}, [&] { window.paint(); });
    time(
        "set_whole_over_whole", [&] { list.setPlainText(texts.whole); },
        [&] { list.setPlainText(texts.whole); });
    time(
        "set_whole_over_empty", [&] { list.setPlainText({}); },
        [&] { list.setPlainText(texts.whole); });
    time(
        "set_narrow_over_whole", [&] { list.setPlainText(texts.whole); },
        [&] { list.setPlainText(texts.narrow); });
    time(
        "clear_whole", [&] { list.setPlainText(texts.whole); }, [&] { list.setPlainText({}); });

    // What "Aggiorna" could cost if it changed the one line in place.
    std::unique_ptr<QPlainTextEdit> bare = BareList();
    PrintFigure(
        key("update_in_place"),
        Measure(runs, {[&] {
                           bare->setPlainText(texts.whole);
                           ScrollToPosition(*bare, texts.clickLine, texts.clickColumn);
                       },
                       [&] {
                           QTextCursor line(bare->document()->findBlockByNumber(texts.clickLine));
                           line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                           line.insertText(texts.updated);
                           bare->repaint();
                       },
                       [&] {
                           return Failed(LineText(*bare, texts.clickLine) == texts.updated,
                                         "the line was not changed in place");
                       }}));

    // Start-up in steps: the window built; built and loaded; then on screen and painted.
    window.close();
    std::unique_ptr<Form1> form;
    RecordingMessages messages;
    const auto destroy = [&] {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    const auto load = [&] {
        form = std::make_unique<Form1>(folder, messages);
        form->Form_Load();
    };
    time("startup_construct", destroy, [&] { form = std::make_unique<Form1>(folder, messages); });
    time("startup_load", destroy, load);
    time(
        "startup_show",
        [&] {
            destroy();
            load();
        },
        [&] {
            ShowOnScreen(*form);
            form->repaint();
        });
}

} // namespace Bench
