#include "holdretry.h"

#include <QList>
#include <QTest>

#include <numeric>

using namespace Inventory;
using namespace std::chrono_literals;
using std::chrono::milliseconds;

namespace {

enum class Outcome { Done, Held, Failed };

// Counts the pauses instead of sleeping through them.
class RecordingWait final : public HoldWait
{
public:
    void started() override { ++starts; }
    void pause(milliseconds length) override { pauses << length; }
    void ended() override { ++ends; }

    QList<milliseconds> pauses;
    int starts = 0;
    int ends = 0;
};

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestHoldRetry : public QObject
{
    Q_OBJECT

    RecordingWait m_wait;
    HoldWait *m_previous = nullptr;

private slots:
    void init()
    {
        m_wait.pauses.clear();
        m_wait.starts = m_wait.ends = 0;
        m_previous = InstallHoldWait(&m_wait);
    }
    void cleanup() { InstallHoldWait(m_previous); }

    void retriesOnlyWhileHeld_data()
    {
        QTest::addColumn<QList<Outcome>>("outcomes"); // of the tries in turn; the last one repeats
        QTest::addColumn<int>("tries");
        QTest::addColumn<Outcome>("result");
        const Outcome done = Outcome::Done, held = Outcome::Held, failed = Outcome::Failed;
        QTest::addRow("free_triedOnce") << QList{done} << 1 << done;
        QTest::addRow("otherFailure_notRetried") << QList{failed} << 1 << failed;
        QTest::addRow("heldTwice_doneOnTheThirdTry") << QList{held, held, done} << 3 << done;
        QTest::addRow("heldThenOtherFailure_stopsThere") << QList{held, failed} << 2 << failed;
        QTest::addRow("heldThroughout_givesUpHeld") << QList{held} << 1 + int(HoldPauses.size()) << held;
    }

    void retriesOnlyWhileHeld()
    {
        QFETCH(QList<Outcome>, outcomes);
        QFETCH(int, tries);
        QFETCH(Outcome, result);
        int tried = 0;
        const Outcome last = RetryWhileHeld([&] { return outcomes.value(tried++, outcomes.last()); },
                                            [](Outcome outcome) { return outcome == Outcome::Held; });
        QCOMPARE(last, result);
        QCOMPARE(tried, tries);
        QCOMPARE(m_wait.pauses.size(), tries - 1);
        // The window shows that it waits exactly while it does.
        QCOMPARE(m_wait.starts, tries > 1 ? 1 : 0);
        QCOMPARE(m_wait.ends, m_wait.starts);
        for (qsizetype i = 1; i < m_wait.pauses.size(); ++i)
            QVERIFY(m_wait.pauses[i] > m_wait.pauses[i - 1]);
        if (result == Outcome::Held) {
            const milliseconds total = std::accumulate(m_wait.pauses.begin(), m_wait.pauses.end(), milliseconds());
            QVERIFY2(total >= 1500ms && total <= 2500ms, qPrintable(QString::number(total.count())));
        }
    }
};

QTEST_GUILESS_MAIN(TestHoldRetry)
#include "tst_holdretry.moc"
