// Escaped paths must read back byte for byte, stay on one line, and never
// carry a byte a terminal could act on or a decoder could choke on.
#include "core/NameText.h"
#include "core/PathEscape.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

bool IsValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)decoder.decode(bytes);
    return !decoder.hasError();
}

bool HasControlByte(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (std::uint8_t(c) < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

} // namespace

class TestPathEscape : public QObject
{
    Q_OBJECT

private slots:
    void escapesByKind_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("plain") << QByteArray("/home/a b/c.txt") << QByteArray("/home/a b/c.txt");
        QTest::newRow("utf-8 kept") << QByteArray("/d/\xc3\xa9t\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80")
                                    << QByteArray("/d/\xc3\xa9t\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80");
        QTest::newRow("backslash") << QByteArray("a\\b") << QByteArray("a\\\\b");
        QTest::newRow("escape-looking name") << QByteArray("a\\x41") << QByteArray("a\\\\x41");
        QTest::newRow("tab newline return") << QByteArray("a\tb\nc\rd") << QByteArray("a\\tb\\nc\\rd");
        QTest::newRow("other controls") << QByteArray("\x01\x1b[2J\x7f", 6) << QByteArray("\\x01\\x1b[2J\\x7f");
        QTest::newRow("nul") << QByteArray("a\0b", 3) << QByteArray("a\\x00b");
        QTest::newRow("lone high byte") << QByteArray("bad\xff.tmp") << QByteArray("bad\\xff.tmp");
        QTest::newRow("cut sequence at end") << QByteArray("x\xe2\x82") << QByteArray("x\\xe2\\x82");
        QTest::newRow("cut sequence before ascii") << QByteArray("\xe2\x82y") << QByteArray("\\xe2\\x82y");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QByteArray("\\xc0\\xaf");
        QTest::newRow("overlong three bytes") << QByteArray("\xe0\x80\xaf") << QByteArray("\\xe0\\x80\\xaf");
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QByteArray("\\xed\\xa0\\x80");
        QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << QByteArray("\\xf4\\x90\\x80\\x80");
        QTest::newRow("C1 control") << QByteArray("a\xc2\x9b" "b") << QByteArray("a\\xc2\\x9bb");
        QTest::newRow("first after C1") << QByteArray("\xc2\xa0") << QByteArray("\xc2\xa0");
        QTest::newRow("stray continuation") << QByteArray("\x80") << QByteArray("\\x80");
    }

    void escapesByKind()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QByteArray, escaped);
        QCOMPARE(EscapePath(raw), escaped);
        QByteArray back;
        QVERIFY(UnescapePath(escaped, back));
        QCOMPARE(back, raw);
    }

    void everyByteAndRandomNamesRoundTrip()
    {
        for (int b = 0; b < 256; ++b) {
            const QByteArray raw(1, char(b));
            const QByteArray escaped = EscapePath(raw);
            QByteArray back;
            QVERIFY2(UnescapePath(escaped, back) && back == raw, qPrintable(QString::number(b)));
            QVERIFY(!HasControlByte(escaped));
            QVERIFY(IsValidUtf8(escaped));
        }
        QRandomGenerator random(20261207);
        for (int round = 0; round < 2000; ++round) {
            QByteArray raw(random.bounded(1, 40), '\0');
            for (char &c : raw) {
                // Mostly text-like bytes, with enough of the awkward ones.
                const int pick = random.bounded(10);
                c = pick < 5 ? char(random.bounded(0x20, 0x7F))
                             : pick < 8 ? char(random.bounded(0x80, 0x100)) : char(random.bounded(0, 0x20));
            }
            const QByteArray escaped = EscapePath(raw);
            QByteArray back;
            QVERIFY(UnescapePath(escaped, back));
            QCOMPARE(back, raw);
            QVERIFY(!HasControlByte(escaped));
            QVERIFY(IsValidUtf8(escaped));
        }
    }

    void appendingAddsToWhatIsThere()
    {
        QByteArray out("x\t");
        AppendEscapedPath("a\nb", 3, out);
        QCOMPARE(out, QByteArray("x\ta\\nb"));
    }

    void malformedEscapesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("trailing backslash") << QByteArray("abc\\");
        QTest::newRow("unknown escape") << QByteArray("a\\qb");
        QTest::newRow("one hex digit") << QByteArray("a\\x4");
        QTest::newRow("hex digit missing before end") << QByteArray("\\xf");
        QTest::newRow("not hex") << QByteArray("a\\xzz");
        QTest::newRow("raw tab") << QByteArray("a\tb");
        QTest::newRow("raw newline") << QByteArray("a\nb");
        QTest::newRow("raw DEL") << QByteArray("a\x7f");
    }

    void malformedEscapesAreRefused()
    {
        QFETCH(QByteArray, text);
        QByteArray raw;
        QVERIFY(!UnescapePath(text, raw));
    }

    // Names as text: one U+FFFD per byte that is not UTF-8, control
    // characters visible in the list's form only.
    void namesShowAsText_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("visible");
        const QString mark(QChar::ReplacementCharacter);
        QTest::newRow("plain") << QByteArray("a b.txt") << "a b.txt" << "a b.txt";
        QTest::newRow("utf-8") << QByteArray("\xc3\xa9\xf0\x9f\x98\x80") << QString::fromUtf8("\xc3\xa9\xf0\x9f\x98\x80")
                               << QString::fromUtf8("\xc3\xa9\xf0\x9f\x98\x80");
        QTest::newRow("line break") << QByteArray("line\nbreak.bak") << "line\nbreak.bak" << "line\\nbreak.bak";
        QTest::newRow("tab, cr, bell, del") << QByteArray("a\tb\rc\x07" "d\x7f") << "a\tb\rc\x07" "d\x7f"
                                            << "a\\tb\\rc\\x07" "d\\x7f";
        QTest::newRow("c1 control") << QByteArray("a\xc2\x85" "b") << QString::fromUtf8("a\xc2\x85" "b") << "a\\xc2\\x85" "b";
        QTest::newRow("bad bytes") << QByteArray("odd\xff\xe2\x82") << "odd" + mark + mark + mark
                                   << "odd" + mark + mark + mark;
        QTest::newRow("backslash stays") << QByteArray("a\\n") << "a\\n" << "a\\n";
    }
    void namesShowAsText()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, display);
        QFETCH(QString, visible);
        QCOMPARE(DisplayName(raw), display);
        QCOMPARE(VisibleName(raw), visible);
    }

    void editsKeepTheBytesLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("result"); // empty: refused
        const QString mark(QChar::ReplacementCharacter);
        QTest::newRow("untouched") << QByteArray("odd\xff") << "odd" + mark << QByteArray("odd\xff");
        QTest::newRow("untouched, cut sequence") << QByteArray("x\xe2\x82") << "x" + mark + mark
                                                 << QByteArray("x\xe2\x82");
        QTest::newRow("appended") << QByteArray("odd\xff") << "odd" + mark + "s" << QByteArray("odd\xffs");
        QTest::newRow("prepended") << QByteArray("\xff") << "new" + mark << QByteArray("new\xff");
        QTest::newRow("middle edited") << QByteArray("\xfe-a-\xff") << mark + QString::fromUtf8("-\xc3\xa9-") + mark
                                       << QByteArray("\xfe-\xc3\xa9-\xff");
        QTest::newRow("bad byte removed") << QByteArray("a\xff" "b") << "ab" << QByteArray("ab");
        QTest::newRow("all replaced") << QByteArray("\xff\xfe") << "clean" << QByteArray("clean");
        QTest::newRow("emoji kept whole") << QByteArray("\xf0\x9f\x98\x80\xff") << QString::fromUtf8("\xf0\x9f\x98\x80") + "x" + mark
                                          << QByteArray("\xf0\x9f\x98\x80x\xff");
        QTest::newRow("mark typed") << QByteArray("odd\xff") << mark + "odd" + mark << QByteArray();
        QTest::newRow("mark typed in valid name") << QByteArray("plain") << "pl" + mark + "ain" << QByteArray();
    }
    void editsKeepTheBytesLeftAlone()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, edited);
        QFETCH(QByteArray, result);
        QByteArray got;
        QCOMPARE(EditRawName(raw, edited, got), !result.isEmpty());
        if (!result.isEmpty())
            QCOMPARE(got, result);
    }

    void upperCaseHexReadsToo()
    {
        QByteArray raw;
        QVERIFY(UnescapePath("\\xFF\\xAb", raw));
        QCOMPARE(raw, QByteArray("\xff\xab"));
    }
};

QTEST_APPLESS_MAIN(TestPathEscape)
#include "tst_pathescape.moc"
