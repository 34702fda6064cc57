// The answer to "DIR name" read byte by byte: which bytes belong to it, the
// name and size it gives, and the answers a copy must not go on with.
#include <QTest>

#include "DirAnswer.h"
#include "TestLink.h"

class DirAnswerTest : public QObject {
    Q_OBJECT

  private slots:
    void answers_data();
    void answers();
};

using Verdict = DirAnswerParser::Verdict;
Q_DECLARE_METATYPE(Verdict)

void DirAnswerTest::answers_data() {
    QTest::addColumn<QByteArray>("answer");
    // The name sent with DIR.
    QTest::addColumn<QByteArray>("asked");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<uint>("size");
    QTest::addColumn<int>("fieldCount");
    const QByteArray prompt("D:\\>\r");
    QTest::newRow("file entry") << "\rLOG.TXT " + bytesOf({0x10, 0x27, 0, 0}) + "\r" + prompt
                                << QByteArray("log.txt") << int(Verdict::FileEntry)
                                << QByteArray("LOG.TXT") << 10000u << 3;
    QTest::newRow("size bytes 0D 0D")
        << "\rEDGE.BIN " + bytesOf({0x0D, 0x0D, 0, 0}) + "\r" + prompt << QByteArray("EDGE.BIN")
        << int(Verdict::FileEntry) << QByteArray("EDGE.BIN") << 0x0D0Du << 3;
    QTest::newRow("16-byte name") << "ABCDEFGHIJKL.BIN " + bytesOf({1, 0, 0, 0}) + "\r" + prompt
                                  << QByteArray("ABCDEFGHIJKL.BIN") << int(Verdict::FileEntry)
                                  << QByteArray("ABCDEFGHIJKL.BIN") << 1u << 3;
    QTest::newRow("no such file") << "Command Failed\r" + prompt << QByteArray("LOG.TXT")
                                  << int(Verdict::NotAFileEntry) << QByteArray("Command")
                                  << 0x6C696146u << 3;
    // Shaped like an entry: two words, the second of four letters.
    QTest::newRow("no disk") << "No Disk\r" + prompt << QByteArray("LOG.TXT")
                             << int(Verdict::OtherFile) << QByteArray("No") << 0x6B736944u << 3;
    QTest::newRow("17-byte name") << "ABCDEFGHIJKLM.BIN " + bytesOf({1, 0, 0, 0}) + "\r" + prompt
                                  << QByteArray("ABCDEFGHIJKLM.BIN") << int(Verdict::FieldTooLong)
                                  << QByteArray("ABCDEFGHIJKLM.BI") << 1u << 3;
    QTest::newRow("size in decimal")
        << "\rLOG.TXT 10000\r" + prompt << QByteArray("LOG.TXT") << int(Verdict::NotAFileEntry)
        << QByteArray("LOG.TXT") << 0x30303031u << 3;
}

// Every byte up to the carriage return after the prompt line belongs to the
// answer; no field is written past its 16 bytes.
void DirAnswerTest::answers() {
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, asked);
    QFETCH(int, verdict);
    QFETCH(QByteArray, name);
    QFETCH(uint, size);
    QFETCH(int, fieldCount);
    DirAnswer fields;
    DirAnswerParser parser(fields);
    parser.start();
    for (const char c : answer) {
        QVERIFY(!parser.finished());
        QVERIFY(parser.feed(static_cast<std::uint8_t>(c)));
    }
    QVERIFY(parser.finished());
    parser.finish();
    QCOMPARE(int(parser.verdict(asked)), verdict);
    QCOMPARE(parser.fileName(), name);
    QCOMPARE(parser.fileSize(), size);
    QCOMPARE(fields.DirFieldCount, fieldCount);
    // What follows the answer's third field is not the answer's.
    QVERIFY(!parser.feed(' '));
}

QTEST_GUILESS_MAIN(DirAnswerTest)
#include "tst_dir_answer.moc"
