#include "scenarios.h"

#include "floors.h"
#include "form1.h"
#include "inventoryfile.h"
#include "output.h"
#include "recordgenerator.h"
#include "recordline.h"
#include "texthelpers.h"
#include "timing.h"
#include "windowdriver.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

namespace Bench {

namespace {

// Longer than any generated quantity: a changed file never keeps its old size, so
// restoring the file between runs is always seen by the window, which trusts a file
// whose size and modification time are unchanged.
const QString ChangedQuantity = QStringLiteral("77777");

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

QString Expect(bool ok, const QString &what)
{
    return ok ? QString() : what;
}

QString UpdatedLine(const QString &line)
{
    std::optional<Inventory::RecordFields> fields = Inventory::ParseRecord(line);
    if (!fields)
        return {};
    fields->quantity = ChangedQuantity;
    return Inventory::ComposeRecord(*fields).chopped(2);
}

// The file after "Aggiorna" changed line: every copy of it replaced.
QByteArray UpdatedFile(QByteArray file, const QString &line, const QString &updated)
{
    return file.replace(line.toUtf8() + "\r\n", updated.toUtf8() + "\r\n");
}

class Timings
{
public:
    Timings(const QString &folder, int records)
        : m_folder(folder), m_records(records), m_window(folder),
          m_path(Inventory::InventoryPath(folder)), m_original(ReadFile(m_path)), m_bare(BareList())
    {
        m_narrowLines = int(m_original.count(NarrowQuery.toUtf8()));
        m_texts.clickLine = records - 3;
        m_texts.clickColumn = 20;
        m_texts.inserted
            = QStringLiteral("[Box]: Cassetto 99 [Item]: BC639 [Nr]: 7 [Type]: Transistor");
    }

    int run()
    {
        const int runs = 7;
        startUp(m_records >= 50000 ? 5 : runs);
        if (!m_window.isOpen())
            return 1;
        keystrokes(runs);
        click(runs);
        insert(runs);
        save(runs);
        updateWholeList(runs);
        updateSearchResult(runs);
        restoreFile();
        m_bare.reset();

        RunFileFloors(m_folder, runs, m_records, m_narrowLines);
        m_window.showWholeList();
        RunParts(m_window, m_folder, m_texts, runs);
        restoreFile();
        PrintValue(QStringLiteral("peak_rss_bench"), double(PeakResidentBytes()));
        return m_failed ? 1 : 0;
    }

private:
    // The interaction and its widget floor, measured in alternating rounds.
    void report(int runs, const QString &key, const Scenario &interaction, const Scenario &floor)
    {
        const auto [figure, floorFigure] = MeasurePair(runs, interaction, floor);
        PrintFigure(key, figure);
        PrintFigure(QStringLiteral("widget.") + key, floorFigure);
        m_failed = m_failed || !figure.failure.isEmpty() || !floorFigure.failure.isEmpty();
    }

    void restoreFile()
    {
        if (!WriteFile(m_path, m_original))
            PrintFailure(QStringLiteral("cannot restore ") + m_path);
    }

    // The widget floor's bare list holds text; set only when it holds something else.
    void bareHolds(const QString &text)
    {
        if (m_bareHolds != &text)
            m_bare->setPlainText(text);
        m_bareHolds = &text;
    }

    // A floor that puts text in the bare list, which held before.
    Scenario bareSets(const QString &before, const QString &text)
    {
        return {[this, &before] { bareHolds(before); },
                [this, &text] {
                    m_bare->setPlainText(text);
                    m_bare->repaint();
                },
                [this, &text] {
                    m_bareHolds = &text;
                    return QString();
                }};
    }

    // Keeps what the interaction put in the list the first time, for its floor.
    QString keepList(QString &text)
    {
        if (text.isEmpty())
            text = m_window.form().listText();
        return {};
    }

    QString listIs(int lines, const QString &query)
    {
        if (ListLines(m_window.list()) != lines)
            return QStringLiteral("%1 lines in the list, expected %2")
                .arg(ListLines(m_window.list()))
                .arg(lines);
        return Expect(m_window.field("Text4").text() == query,
                      QStringLiteral("search field holds ") + m_window.field("Text4").text());
    }

    QString fieldsHold(const QString &line)
    {
        const std::optional<Inventory::RecordFields> record = Inventory::ParseRecord(line);
        if (!record)
            return QStringLiteral("the clicked line is no record: ") + line;
        const QString shown = m_window.field("Text1").text() + u'|' + m_window.field("Text2").text()
                            + u'|' + m_window.field("Text3").text();
        return Expect(shown == record->box + u'|' + record->item + u'|' + record->quantity,
                      QStringLiteral("the fields hold ") + shown);
    }

    QString unexpectedMessage() const
    {
        if (!m_window.messages.warnings.isEmpty())
            return m_window.messages.warnings.last();
        if (!m_window.messages.questions.isEmpty())
            return m_window.messages.questions.last();
        return {};
    }

    void startUp(int runs)
    {
        bool loaded = false;
        report(runs, QStringLiteral("startup"),
               {[&] { m_window.close(); }, [&] { loaded = m_window.start(); },
                [&] {
                    if (!loaded)
                        return QStringLiteral("the window did not start");
                    keepList(m_texts.whole);
                    return listIs(m_records, QStringLiteral("..."));
                }},
               // A new, empty list each round, as the window starts with one.
               {[&] {
                    m_bare = BareList();
                    m_bareHolds = nullptr;
                },
                [&] {
                    m_bare->setPlainText(m_texts.whole);
                    m_bare->repaint();
                },
                [&] {
                    m_bareHolds = &m_texts.whole;
                    return QString();
                }});
    }

    void keystrokes(int runs)
    {
        const QString narrowPrefix = NarrowQuery.chopped(1);
        const char last = NarrowQuery.back().toLatin1();
        const auto typeLast = [&] {
            m_window.typeKey(last);
            m_window.paint();
        };
        const auto narrowShown = [&] {
            keepList(m_texts.narrow);
            return listIs(m_narrowLines, NarrowQuery);
        };

        report(runs, QStringLiteral("key_narrow"),
               {[&] {
                    m_window.showWholeList();
                    m_window.setSearchText(narrowPrefix);
                },
                typeLast, narrowShown},
               bareSets(m_texts.whole, m_texts.narrow));

        // While typing, the list already shows the prefix's matches.
        report(runs, QStringLiteral("key_narrow_typing"),
               {[&] {
                    m_window.typeLastKey(narrowPrefix);
                    m_window.setSearchText(narrowPrefix);
                },
                typeLast, narrowShown},
               bareSets(m_texts.narrow, m_texts.narrow));

        report(runs, QStringLiteral("key_broad"),
               {[&] {
                    m_window.showWholeList();
                    m_window.setSearchText(BroadQuery.chopped(1));
                },
                [&] {
                    m_window.typeKey(BroadQuery.back().toLatin1());
                    m_window.paint();
                },
                [&] { return listIs(m_records, BroadQuery); }},
               bareSets(m_texts.whole, m_texts.whole));

        // Nothing holds the lower-case text, so the search runs again in upper case.
        report(runs, QStringLiteral("key_lower"),
               {[&] {
                    m_window.showWholeList();
                    m_window.setSearchText(LowerQuery.chopped(1));
                },
                [&] {
                    m_window.typeKey(LowerQuery.back().toLatin1());
                    m_window.paint();
                },
                narrowShown},
               bareSets(m_texts.whole, m_texts.narrow));
    }

    void click(int runs)
    {
        m_window.showWholeList();
        const QString line = LineText(m_window.list(), m_texts.clickLine);
        QPoint point;
        QPoint barePoint;
        report(runs, QStringLiteral("click"),
               {[&] { point = m_window.prepareClick(m_texts.clickLine, m_texts.clickColumn); },
                [&] {
                    m_window.clickList(point);
                    m_window.paint();
                },
                [&] { return fieldsHold(line); }},
               {[&] {
                    bareHolds(m_texts.whole);
                    ScrollToPosition(*m_bare, m_texts.clickLine, m_texts.clickColumn);
                    m_bare->setTextCursor(
                        QTextCursor(m_bare->document()->findBlockByNumber(m_texts.clickLine + 1)));
                    barePoint = PointOfPosition(*m_bare, m_texts.clickLine, m_texts.clickColumn);
                },
                [&] {
                    QTest::mouseClick(m_bare->viewport(), Qt::LeftButton, {}, barePoint);
                    m_bare->repaint();
                },
                [&] {
                    return Expect(m_bare->textCursor().blockNumber() == m_texts.clickLine,
                                  QStringLiteral("the click on the bare list missed its line"));
                }});
    }

    void insert(int runs)
    {
        report(runs, QStringLiteral("insert"),
               {[&] {
                    m_window.showWholeList();
                    QScrollBar *scroll = m_window.list().verticalScrollBar();
                    scroll->setValue(scroll->maximum());
                    m_window.fill(QStringLiteral("Cassetto 99"), QStringLiteral("BC639"),
                                  QStringLiteral("7"), QStringLiteral("Transistor"));
                },
                [&] {
                    m_window.press("Command3");
                    m_window.paint();
                },
                [&] {
                    const QPlainTextEdit &list = m_window.list();
                    if (ListLines(list) != m_records + 1)
                        return QStringLiteral("%1 lines after Inserisci").arg(ListLines(list));
                    return Expect(LineText(list, m_records) == m_texts.inserted,
                                  QStringLiteral("last line ") + LineText(list, m_records));
                }},
               {[&] {
                    bareHolds(m_texts.whole);
                    m_bare->verticalScrollBar()->setValue(m_bare->verticalScrollBar()->maximum());
                },
                [&] {
                    QTextCursor end(m_bare->document());
                    end.movePosition(QTextCursor::End);
                    end.insertText(m_texts.inserted + Inventory::LineEnd.toString());
                    m_bare->repaint();
                },
                [&] {
                    m_bareHolds = nullptr;
                    return QString();
                }});
    }

    void save(int runs)
    {
        qsizetype informed = 0;
        qsizetype taken = 0;
        report(runs, QStringLiteral("save"),
               {[&] {
                    m_window.showWholeList();
                    informed = m_window.messages.informations.size();
                },
                [&] {
                    m_window.press("Command4");
                    m_window.paint();
                },
                [&] {
                    if (QString message = unexpectedMessage(); !message.isEmpty())
                        return message;
                    if (m_window.messages.informations.size() != informed + 1)
                        return QStringLiteral("Salva said nothing");
                    return Expect(ReadFile(m_path) == m_original,
                                  QStringLiteral("Salva changed the file's bytes"));
                }},
               // The widget's part of saving: taking the text out of the list.
               {[&] { bareHolds(m_texts.whole); },
                [&] {
                    taken = m_bare->toPlainText().size();
                    m_bare->repaint();
                },
                [&] { return Expect(taken > 0, QStringLiteral("the bare list gave no text")); }});
    }

    // Clicks line, changes its quantity; "Aggiorna" is then timed.
    void selectAndChange(int line)
    {
        m_window.clickList(m_window.prepareClick(line, m_texts.clickColumn));
        m_window.field("Text3").setText(ChangedQuantity);
    }

    QString updated(int line, const QString &before)
    {
        if (QString message = unexpectedMessage(); !message.isEmpty())
            return message;
        const QString after = UpdatedLine(before);
        if (LineText(m_window.list(), line) != after)
            return QStringLiteral("the list shows ") + LineText(m_window.list(), line);
        return Expect(ReadFile(m_path) == UpdatedFile(m_original, before, after),
                      QStringLiteral("the file does not hold the change"));
    }

    void updateWholeList(int runs)
    {
        const int line = m_texts.clickLine;
        m_window.showWholeList();
        m_texts.selected = LineText(m_window.list(), line);
        m_texts.updated = UpdatedLine(m_texts.selected);
        report(runs, QStringLiteral("update_list"),
               {[&] {
                    restoreFile();
                    m_window.showWholeList();
                    selectAndChange(line);
                },
                [&] {
                    m_window.press("Command6");
                    m_window.paint();
                },
                [&] {
                    keepList(m_texts.updatedWhole);
                    return updated(line, m_texts.selected);
                }},
               {[&] {
                    bareHolds(m_texts.whole);
                    ScrollToPosition(*m_bare, line, m_texts.clickColumn);
                },
                [&] {
                    QScrollBar *scroll = m_bare->verticalScrollBar();
                    const int scrolled = scroll->value();
                    m_bare->setPlainText(m_texts.updatedWhole);
                    scroll->setValue(scrolled);
                    m_bare->repaint();
                },
                [&] {
                    m_bareHolds = &m_texts.updatedWhole;
                    return QString();
                }});
    }

    void updateSearchResult(int runs)
    {
        const int line = 1;
        QString before;
        report(runs, QStringLiteral("update_search"),
               {[&] {
                    restoreFile();
                    m_window.typeLastKey(NarrowQuery);
                    before = LineText(m_window.list(), line);
                    selectAndChange(line);
                },
                [&] {
                    m_window.press("Command6");
                    m_window.paint();
                },
                [&] {
                    keepList(m_texts.updatedNarrow);
                    return updated(line, before);
                }},
               bareSets(m_texts.narrow, m_texts.updatedNarrow));
    }

    QString m_folder;
    int m_records;
    Window m_window;
    QString m_path;
    QByteArray m_original;
    int m_narrowLines = 0;
    ListTexts m_texts;
    std::unique_ptr<QPlainTextEdit> m_bare;
    const QString *m_bareHolds = nullptr;
    bool m_failed = false;
};

} // namespace

int RunTimings(const QString &folder, int records)
{
    return Timings(folder, records).run();
}

int RunMemorySession(const QString &folder, int records)
{
    Window window(folder);
    if (!window.start()) {
        PrintFailure(QStringLiteral("the window did not start"));
        return 1;
    }
    if (records > 0) {
        window.typeLastKey(BroadQuery);
        window.paint();
        window.typeLastKey(NarrowQuery);
        window.paint();
        window.showWholeList();
        window.paint();
        window.clickList(window.prepareClick(records - 3, 20));
        window.field("Text3").setText(ChangedQuantity);
        window.press("Command6");
        window.paint();
        window.fill(QStringLiteral("Cassetto 99"), QStringLiteral("BC639"), QStringLiteral("7"),
                    QStringLiteral("Transistor"));
        window.press("Command3");
        window.press("Command4");
        window.paint();
    }
    QCoreApplication::processEvents();
    PrintValue(QStringLiteral("peak_rss"), double(PeakResidentBytes()));
    const QStringList unexpected = window.messages.warnings + window.messages.questions;
    if (!unexpected.isEmpty()) {
        PrintFailure(unexpected.join(u' '));
        return 1;
    }
    return 0;
}

} // namespace Bench
