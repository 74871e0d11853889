// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSandbox.h"

#include "common/IntervalTimer.h"
#include "engine/PickHistory.h"
#include "engine/SlideShow.h"
#include "engine/Stepping.h"
#include "engine/UniformRandom.h"

#include <QDir>
#include <QTest>

#include <random>
#include <set>
#include <vector>

using namespace Qt::StringLiterals;

class TestStepping : public QObject
{
    Q_OBJECT

    static Stepping::List listOf(const std::vector<bool> &selected)
    {
        return {qint64(selected.size()), [selected](qint64 i) { return selected[std::size_t(i)]; }};
    }

private slots:
    void generatorStaysBelowOneAndRepeatsItself()
    {
        UniformRandom a;
        UniformRandom b;
        for (int i = 0; i < 200000; ++i) {
            const float u = a.next();
            QVERIFY(u >= 0.0f && u < 1.0f);
            QCOMPARE(b.next(), u);
        }
    }

    void indexStaysInRange_data()
    {
        QTest::addColumn<qint64>("n");
        QTest::newRow("one item") << qint64(1);
        QTest::newRow("two") << qint64(2);
        QTest::newRow("beyond 16 bits") << qint64(200000);
        QTest::newRow("just under 2^24") << qint64((1 << 24) - 1);
    }

    void indexStaysInRange()
    {
        QFETCH(qint64, n);
        UniformRandom generator;
        for (int i = 0; i < 100000; ++i) {
            const qint64 r = generator.nextIndex(n);
            QVERIFY(r >= 0 && r < n);
        }
    }

    void randomPassDrawsEveryIndexOnce_data()
    {
        QTest::addColumn<qint64>("n");
        QTest::newRow("5") << qint64(5);
        QTest::newRow("40000, past 16 bits") << qint64(40000);
        QTest::newRow("200000") << qint64(200000);
    }

    void randomPassDrawsEveryIndexOnce()
    {
        QFETCH(qint64, n);
        const Stepping::List list{n, [](qint64) { return true; }};
        PickHistory history;
        UniformRandom generator;
        qint64 position = 0;
        std::vector<char> seen(std::size_t(n), 0);
        for (qint64 i = 0; i < n; ++i) {
            const Stepping::Forward step =
                Stepping::forward(position, list, {.random = true}, history, generator);
            QCOMPARE(step.outcome, Stepping::Outcome::Show);
            QVERIFY(!seen[std::size_t(step.index)]);
            seen[std::size_t(step.index)] = 1;
            QCOMPARE(history.entry(i), step.index);
        }
        QCOMPARE(position, n);
        QCOMPARE(Stepping::forward(position, list, {.random = true}, history, generator).outcome,
                 Stepping::Outcome::Ended);
    }

    void randomPassCountsUnselectedDraws()
    {
        // Only item 2 is selected: one step draws until it comes up, and the rest of
        // the pass draws the others without showing anything.
        const Stepping::List list = listOf({false, false, true, false});
        const Stepping::Options randomRepeat{.random = true, .repeat = true};
        PickHistory history;
        UniformRandom generator;
        qint64 position = 0;
        const Stepping::Forward first =
            Stepping::forward(position, list, randomRepeat, history, generator);
        QCOMPARE(first.outcome, Stepping::Outcome::Show);
        QCOMPARE(first.index, qint64(2));
        if (position < 4) {
            // One step runs through every remaining draw, as none of them is selected.
            QCOMPARE(Stepping::forward(position, list, randomRepeat, history, generator).outcome,
                     Stepping::Outcome::Nothing);
            QCOMPARE(position, qint64(4));
        }
        std::set<qint64> drawn;
        for (qint64 k = 0; k < 4; ++k)
            drawn.insert(history.entry(k));
        QCOMPARE(drawn.size(), std::size_t(4));
        QCOMPARE(Stepping::forward(position, list, randomRepeat, history, generator).outcome,
                 Stepping::Outcome::Wrapped);
        QCOMPARE(history.size(), qint64(0));
        // The next pass shows the single item again at its first step.
        QCOMPARE(Stepping::forward(position, list, randomRepeat, history, generator).index,
                 qint64(2));
    }

    void historyAgreesWithAPlainScan()
    {
        // The counted membership against the obvious linear reading of the history,
        // under every kind of move the show makes: draws, steps back, sequential
        // steps over stale entries, wrap-arounds.
        std::mt19937 rng(12345);
        const qint64 n = 60;
        PickHistory history;
        std::vector<qint64> plain;
        qint64 position = 0;
        const auto plainDrawn = [&](qint64 r) {
            for (qint64 k = 0; k < position && k < qint64(plain.size()); ++k) {
                if (plain[std::size_t(k)] == r)
                    return true;
            }
            return false;
        };
        for (int op = 0; op < 20000; ++op) {
            const int kind = int(rng() % 10);
            if (kind < 5 && position < n) {
                qint64 r;
                do {
                    r = qint64(rng() % n);
                } while (plainDrawn(r));
                history.record(position, r);
                if (qint64(plain.size()) <= position)
                    plain.resize(std::size_t(position) + 1, -1);
                plain[std::size_t(position)] = r;
                ++position;
            } else if (kind < 7 && position > 0) {
                position = qint64(rng() % std::uint32_t(position));
            } else if (kind < 9) {
                position = std::min<qint64>(n, position + qint64(rng() % 5));
            } else {
                history.reset();
                plain.clear();
                position = 0;
            }
            for (qint64 r = 0; r < n; ++r)
                QCOMPARE(history.isDrawnBelow(r, position), plainDrawn(r));
        }
    }

    void back_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("just after 3 shows 3 again") << qint64(4) << qint64(3);
        QTest::newRow("from 3 goes to 1") << qint64(3) << qint64(1);
        QTest::newRow("none below") << qint64(1) << qint64(-1);
        QTest::newRow("at the start") << qint64(0) << qint64(-1);
        QTest::newRow("past a shrunken list") << qint64(50) << qint64(3);
    }

    void back()
    {
        QFETCH(qint64, from);
        QFETCH(qint64, expected);
        const Stepping::List list = listOf({false, true, false, true, false});
        qint64 position = from;
        QCOMPARE(Stepping::back(position, list), expected);
        QCOMPARE(position, expected < 0 ? from : expected);
    }
    // The show object's signals for a script of what the window asks of it: s restart,
    // r run, p pause, t tick, b step back. The log: F/B and the item of a slide shown
    // forward or back, R1/R0 the timer started or stopped, G1/G0 the show going or
    // paused, A a step that showed nothing new, E the end.
    void showTellsWhatHappens_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<bool>("random");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");
        QTest::newRow("to the end, once")
            << u"111"_s << false << false << u"srttt"_s << u"F0 R1 G1 F1 F2 R0 E"_s;
        QTest::newRow("round again")
            << u"11"_s << true << false << u"srttt"_s << u"F0 R1 G1 F1 A F0"_s;
        QTest::newRow("unselected passed over")
            << u"0101"_s << false << false << u"srtt"_s << u"F1 R1 G1 F3 R0 E"_s;
        QTest::newRow("pause, then back twice")
            << u"111"_s << false << false << u"srtpbb"_s << u"F0 R1 G1 F1 G0 R0 B1 B0"_s;
        QTest::newRow("back stops the timer, not the show")
            << u"111"_s << false << false << u"srtb"_s << u"F0 R1 G1 F1 R0 B1"_s;
        QTest::newRow("random before any start draws nothing")
            << u"111"_s << false << true << u"tt"_s << QString();
        QTest::newRow("nothing selected")
            << u"000"_s << true << false << u"srt"_s << u"A R1 G1 A"_s;
    }

    void showTellsWhatHappens()
    {
        QFETCH(QString, selected);
        QFETCH(bool, repeat);
        QFETCH(bool, random);
        QFETCH(QString, script);
        QFETCH(QString, log);
        QStringList told;
        SlideShow show(
            {.count = [&] { return qint64(selected.size()); },
             .isSelected = [&](qint64 i) { return selected[i] == u'1'; },
             .path = [](qint64 i) { return QString::number(i); }},
            [&] { return Stepping::Options{.random = random, .repeat = repeat}; }, nullptr);
        connect(&show, &SlideShow::currentChanged, this, [&](const QString &path, auto step) {
            told << (step == SlideShow::Step::Back ? u"B"_s : u"F"_s) + path;
            QCOMPARE(show.current(), path);
        });
        connect(&show, &SlideShow::runningChanged, this,
                [&](bool on) { told << (on ? u"R1"_s : u"R0"_s); });
        connect(&show, &SlideShow::goingChanged, this,
                [&](bool on) { told << (on ? u"G1"_s : u"G0"_s); });
        connect(&show, &SlideShow::aheadChanged, this, [&] { told << u"A"_s; });
        connect(&show, &SlideShow::ended, this, [&] { told << u"E"_s; });
        for (const QChar c : script) {
            switch (c.unicode()) {
            case u's':
                show.restart();
                break;
            case u'r':
                show.run(0);
                break;
            case u'p':
                show.pause();
                break;
            case u't':
                show.Timer1_Timer();
                break;
            case u'b':
                show.DoPrevious();
                break;
            }
        }
        QCOMPARE(told.join(u' '), log);
        QCOMPARE(show.isRunning(), show.timer().isEnabled());
    }
    void showTellsOfASlideThatDoesNotLoad()
    {
        const QString missing = QDir::temp().filePath(u"vivrel-no-such-picture.jpg"_s);
        SlideShow show(
            {.count = [] { return qint64(1); },
             .isSelected = [](qint64) { return true; },
             .path = [&](qint64) { return missing; }},
            [] { return Stepping::Options(); }, nullptr);
        QStringList failed;
        connect(&show, &SlideShow::slideFailed, this, [&](const QString &path, Error error) {
            failed << path;
            QCOMPARE(error, Error::FileNotFound);
        });
        int ready = 0;
        connect(&show, &SlideShow::currentReady, this, [&] { ++ready; });
        show.restart();
        show.Timer1_Timer();
        const Fitting::View view{.windowWidth = 64, .windowHeight = 48, .width = 64, .height = 48};
        std::optional<Result<Picture>> got = show.take(view);
        if (!got) {
            QTRY_COMPARE(ready, 1);
            got = show.take(view);
        }
        QVERIFY(got && !*got);
        QCOMPARE(failed, QStringList{missing});
    }
};

VIVREL_TEST_GUILESS_MAIN(TestStepping)
#include "tst_stepping.moc"
