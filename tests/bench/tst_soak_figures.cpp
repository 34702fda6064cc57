// The pieces a long benchmark run rests its figures on: the terminal stream
// given to the chip in parts, the memory series and its growth once the panes
// are full, and when a pane counts as having reached its line limit.
#include <QTest>

#include "LinePane.h"
#include "MemorySeries.h"
#include "PaneLimit.h"
#include "TerminalStream.h"

using Samples = QList<MemorySeries::Sample>;
Q_DECLARE_METATYPE(Samples)
Q_DECLARE_METATYPE(std::optional<double>)

class SoakFiguresTest : public QObject {
    Q_OBJECT

  private slots:
    void streamPartsJoinIntoTheWholeStream_data();
    void streamPartsJoinIntoTheWholeStream();
    void growthCountsFromTheFirstSampleWithThePanesFull_data();
    void growthCountsFromTheFirstSampleWithThePanesFull();
    void samplesComeAtTheirInterval();
    void paneLimitIsReached_data();
    void paneLimitIsReached();
};

void SoakFiguresTest::streamPartsJoinIntoTheWholeStream_data() {
    QTest::addColumn<quint64>("first");
    QTest::addColumn<int>("split");

    QTest::newRow("from the start") << quint64(0) << 300;
    QTest::newRow("parts of odd sizes") << quint64(4093) << 251;
    QTest::newRow("ten minutes in") << quint64(180'000'000) << 16;
}

void SoakFiguresTest::streamPartsJoinIntoTheWholeStream() {
    QFETCH(quint64, first);
    QFETCH(int, split);
    constexpr std::size_t count = 4096;

    const std::vector<std::uint8_t> whole = terminalStream(first, count);
    std::vector<std::uint8_t> parts = terminalStream(first, static_cast<std::size_t>(split));
    const std::vector<std::uint8_t> rest = terminalStream(first + split, count - split);
    parts.insert(parts.end(), rest.begin(), rest.end());
    QVERIFY(parts == whole);
    // Every HEX line full: no carriage return ends one early.
    QVERIFY(std::find(whole.begin(), whole.end(), 0x0D) == whole.end());
    // Not one byte over and over.
    QVERIFY(std::count(whole.begin(), whole.end(), whole.front()) < 100);
}

void SoakFiguresTest::growthCountsFromTheFirstSampleWithThePanesFull_data() {
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<std::optional<double>>("growth");

    QTest::newRow("full from the second sample")
        << Samples{{0, 30, false}, {30, 60, true}, {60, 61, true}, {90, 62.5, true}}
        << std::optional<double>(2.5);
    QTest::newRow("filling the panes is no growth")
        << Samples{{0, 10, false}, {30, 80, false}, {60, 81, true}, {90, 81, true}}
        << std::optional<double>(0.0);
    QTest::newRow("a fall counts as well")
        << Samples{{0, 10, true}, {30, 80, true}, {60, 9, true}} << std::optional<double>(-1.0);
    QTest::newRow("the panes never full")
        << Samples{{0, 10, false}, {30, 80, false}} << std::optional<double>();
    QTest::newRow("only the last sample full")
        << Samples{{0, 10, false}, {30, 80, true}} << std::optional<double>();
}

void SoakFiguresTest::growthCountsFromTheFirstSampleWithThePanesFull() {
    QFETCH(Samples, samples);
    QFETCH(std::optional<double>, growth);

    MemorySeries series(30);
    for (const MemorySeries::Sample& sample : samples) {
        series.add(sample);
    }
    QCOMPARE(series.growthWithPanesFull(), growth);
}

void SoakFiguresTest::samplesComeAtTheirInterval() {
    MemorySeries series(30);
    for (double seconds : {0.0, 0.02, 29.98, 30.0, 30.5, 61.0, 89.99}) {
        series.sampleIfDue(seconds, false);
    }
    QList<double> taken;
    for (const MemorySeries::Sample& sample : series.samples()) {
        taken.push_back(sample.seconds);
        QVERIFY(sample.megabytes > 0);
    }
    QCOMPARE(taken, (QList<double>{0.0, 30.0, 61.0}));
}

// Each step adds that many lines to the pane, or empties it (0), and then
// the limit is looked at.
void SoakFiguresTest::paneLimitIsReached_data() {
    QTest::addColumn<int>("bound");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<bool>("reached");

    QTest::newRow("bounded pane at its bound") << 10 << QList<int>{6, 6} << true;
    QTest::newRow("bounded pane below its bound") << 10 << QList<int>{4, 5} << false;
    QTest::newRow("pane emptied at its limit")
        << PaneLimit::EmptiedWhenFull << QList<int>{50, 0, 3} << true;
    QTest::newRow("pane still filling")
        << PaneLimit::EmptiedWhenFull << QList<int>{50, 20} << false;
    QTest::newRow("pane emptied before anything came")
        << PaneLimit::EmptiedWhenFull << QList<int>{0, 5} << false;
}

void SoakFiguresTest::paneLimitIsReached() {
    QFETCH(int, bound);
    QFETCH(QList<int>, steps);
    QFETCH(bool, reached);

    LinePane pane;
    if (bound != PaneLimit::EmptiedWhenFull) {
        pane.setLineLimit(bound);
    }
    PaneLimit limit(pane, bound);
    limit.check();
    for (int lines : steps) {
        if (lines == 0) {
            pane.clear();
        }
        for (int i = 0; i < lines; ++i) {
            pane.addLines(u"44 3A 5C 3E 0D \n");
        }
        limit.check();
    }
    QCOMPARE(limit.reached(), reached);
}

QTEST_MAIN(SoakFiguresTest)
#include "tst_soak_figures.moc"
