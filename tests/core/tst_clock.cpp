// Elapsed time from time-of-day readings, and the test clock the rest of the
// suite relies on to run time-outs without waiting.
#include <QTest>

#include "Clock.h"
#include "SelfAdvancingClock.h"

class ClockTest : public QObject {
    Q_OBJECT

  private slots:
    void elapsedMilliseconds_data() {
        QTest::addColumn<QTime>("earlier");
        QTest::addColumn<QTime>("later");
        QTest::addColumn<int>("elapsed");
        QTest::newRow("same second") << QTime(10, 0, 0, 100) << QTime(10, 0, 0, 350) << 250;
        QTest::newRow("borrow ms") << QTime(10, 0, 1, 900) << QTime(10, 0, 2, 100) << 200;
        QTest::newRow("across hour") << QTime(9, 59, 59, 0) << QTime(10, 0, 1, 0) << 2000;
        QTest::newRow("70 s") << QTime(12, 0, 0, 0) << QTime(12, 1, 10, 0) << 70000;
        QTest::newRow("across midnight") << QTime(23, 59, 59, 0) << QTime(0, 0, 1, 0) << -86398000;
    }

    void elapsedMilliseconds() {
        QFETCH(QTime, earlier);
        QFETCH(QTime, later);
        QFETCH(int, elapsed);
        const auto reading = [](QTime t) {
            return TimeOfDay{t.hour(), t.minute(), t.second(), t.msec()};
        };
        QCOMPARE(ElapsedMilliseconds(reading(later), reading(earlier)), elapsed);
    }

    void selfAdvancingClockMovesOnReadingsAndSleeps() {
        SelfAdvancingClock clock({1'000, 50'000}, {23, 59, 59, 999});
        const std::int64_t first = clock.nanoseconds();
        QVERIFY(clock.nanoseconds() > first);
        clock.sleep(1000);
        clock.yield();
        QCOMPARE(clock.peekNanoseconds(), 2'000 + 1'000'000'000 + 50'000);
        // The time of day wraps at midnight like the real one.
        const TimeOfDay t = clock.timeOfDay();
        QCOMPARE(t.hour, 0);
        QCOMPARE(t.second, 0);
        QCOMPARE(t.millisecond, 999);
    }
};

QTEST_GUILESS_MAIN(ClockTest)
#include "tst_clock.moc"
