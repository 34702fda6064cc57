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
    QTest::addColumn<QByteArray>("asked");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<uint>("size");
    // What a report of the answer quotes; empty for a good answer.
    QTest::addColumn<QByteArray>("reported");
    const QByteArray prompt("D:\\>\r");
    const QByteArray entry = "\rLOG.TXT " + bytesOf({0x10, 0x27, 0, 0}) + "\r";
    QTest::newRow("file entry") << entry + prompt << QByteArray("log.txt")
                                << int(Verdict::FileEntry) << QByteArray("LOG.TXT") << 10000u
                                << QByteArray();
    QTest::newRow("size bytes 0D 0D")
        << "\rEDGE.BIN " + bytesOf({0x0D, 0x0D, 0, 0}) + "\r" + prompt << QByteArray("EDGE.BIN")
        << int(Verdict::FileEntry) << QByteArray("EDGE.BIN") << 0x0D0Du << QByteArray();
    QTest::newRow("16-byte name") << "ABCDEFGHIJKL.BIN " + bytesOf({1, 0, 0, 0}) + "\r>\r"
                                  << QByteArray("ABCDEFGHIJKL.BIN") << int(Verdict::FileEntry)
                                  << QByteArray("ABCDEFGHIJKL.BIN") << 1u << QByteArray();
    QTest::newRow("another file's entry")
        << entry + prompt << QByteArray("LOG.TX") << int(Verdict::OtherFile)
        << QByteArray("LOG.TXT") << 10000u << "LOG.TXT " + bytesOf({0x10, 0x27, 0, 0});
    QTest::newRow("no such file") << "Command Failed\r" + prompt << QByteArray("LOG.TXT")
                                  << int(Verdict::NotAFileEntry) << QByteArray("Command")
                                  << 0x6C696146u << QByteArray("Command Failed");
    // Two words, the second of four letters: shaped like an entry.
    QTest::newRow("no disk") << "No Disk\r" + prompt << QByteArray("LOG.TXT")
                             << int(Verdict::OtherFile) << QByteArray("No") << 0x6B736944u
                             << QByteArray("No Disk");
    QTest::newRow("short set's error")
        << QByteArray("CF\r>\r") << QByteArray("LOG.TXT") << int(Verdict::NotAFileEntry)
        << QByteArray("CF>") << 0u << QByteArray("CF");
    QTest::newRow("a folder") << "\rDOCS DIR\r" + prompt << QByteArray("DOCS")
                              << int(Verdict::NotAFileEntry) << QByteArray("DOCS") << 0x0D524944u
                              << QByteArray("DOCS DIR");
    QTest::newRow("no prompt after the entry")
        << entry + "Ready\r" << QByteArray("LOG.TXT") << int(Verdict::NotAFileEntry)
        << QByteArray("LOG.TXT") << 10000u << QByteArray("Ready");
    QTest::newRow("17-byte name") << "ABCDEFGHIJKLM.BIN " + bytesOf({1, 0, 0, 0}) + "\r" + prompt
                                  << QByteArray("ABCDEFGHIJKLM.BIN") << int(Verdict::FieldTooLong)
                                  << QByteArray("ABCDEFGHIJKLM.BI") << 1u << QByteArray();
    QTest::newRow("size in decimal")
        << "\rLOG.TXT 10000\r" + prompt << QByteArray("LOG.TXT") << int(Verdict::NotAFileEntry)
        << QByteArray("LOG.TXT") << 0x30303031u << QByteArray("LOG.TXT 10000");
}

// The answer ends at the carriage return after the prompt line, or as soon
// as it cannot be an entry; no field is written past its 16 bytes; a good
// answer is the entry of the name asked for, then the prompt.
void DirAnswerTest::answers() {
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, asked);
    QFETCH(int, verdict);
    QFETCH(QByteArray, name);
    QFETCH(uint, size);
    QFETCH(QByteArray, reported);
    DirAnswer fields;
    DirAnswerParser parser(fields);
    parser.start();
    for (const char c : answer) {
        QVERIFY(!parser.finished());
        QVERIFY(parser.feed(static_cast<std::uint8_t>(c)));
    }
    QVERIFY(parser.finished() || parser.cannotBeAFileEntry());
    parser.finish();
    QCOMPARE(int(parser.verdict(asked)), verdict);
    QCOMPARE(parser.fileName(), name);
    QCOMPARE(parser.fileSize(), size);
    if (!reported.isEmpty()) {
        QCOMPARE(parser.reportLine(asked), reported);
    }
}

QTEST_GUILESS_MAIN(DirAnswerTest)
#include "tst_dir_answer.moc"
