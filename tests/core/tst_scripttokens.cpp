#include "core/script/scripttokens.h"

#include <QtTest>

using Lines = QList<QByteArray>;

class TestScriptTokens : public QObject {
    Q_OBJECT
private slots:
    void nextToken_data();
    void nextToken();
    void keepsThousandCharactersAfterAToken();
    void scriptLines_data();
    void scriptLines();
};

void TestScriptTokens::nextToken_data()
{
    QTest::addColumn<QByteArray>("rest");
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<QByteArray>("restAfter");
    QTest::newRow("empty rest") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("last token") << QByteArray("abc") << QByteArray("abc") << QByteArray();
    QTest::newRow("spaces after a token dropped") << QByteArray("abc   def g") << QByteArray("abc") << QByteArray("def g");
    QTest::newRow("trailing spaces") << QByteArray("abc   ") << QByteArray("abc") << QByteArray();
    QTest::newRow("leading spaces give an empty token") << QByteArray("  abc") << QByteArray() << QByteArray("abc");
    QTest::newRow("spaces only") << QByteArray("   ") << QByteArray() << QByteArray();
    QTest::newRow("tab belongs to the token") << QByteArray("a\tb c") << QByteArray("a\tb") << QByteArray("c");
    QTest::newRow("quoted spaces") << QByteArray("\"a b\" c") << QByteArray("a b") << QByteArray("c");
    QTest::newRow("empty quotes") << QByteArray("\"\" x") << QByteArray() << QByteArray("x");
    QTest::newRow("quotes inside a token are kept") << QByteArray("a\"b c\"d e") << QByteArray("a\"b c\"d") << QByteArray("e");
    QTest::newRow("last character dropped whatever it is") << QByteArray("\"abc\"d e") << QByteArray("abc\"") << QByteArray("e");
    QTest::newRow("unclosed quote runs to the end") << QByteArray("\"a b") << QByteArray("a ") << QByteArray();
    QTest::newRow("lone quote") << QByteArray("\"") << QByteArray() << QByteArray();
    QTest::newRow("bytes above 127") << QByteArray("\xe9t\xe9 \xff") << QByteArray("\xe9t\xe9") << QByteArray("\xff");
}

void TestScriptTokens::nextToken()
{
    QFETCH(QByteArray, rest);
    QFETCH(QByteArray, token);
    QFETCH(QByteArray, restAfter);
    QCOMPARE(NextToken(rest), token);
    QCOMPARE(rest, restAfter);
}

void TestScriptTokens::keepsThousandCharactersAfterAToken()
{
    QByteArray rest = "a " + QByteArray(1500, 'b');
    QCOMPARE(NextToken(rest), QByteArray("a"));
    QCOMPARE(rest, QByteArray(1000, 'b'));

    // The spaces after the token count among the thousand.
    rest = "a" + QByteArray(10, ' ') + QByteArray(1500, 'b');
    NextToken(rest);
    QCOMPARE(rest, QByteArray(991, 'b'));

    // A rest that begins with a space keeps its own first thousand characters.
    rest = " " + QByteArray(1500, 'b');
    QCOMPARE(NextToken(rest), QByteArray());
    QCOMPARE(rest, QByteArray(999, 'b'));

    // A token that runs to the end is not cut.
    rest = QByteArray(1500, 'b');
    QCOMPARE(NextToken(rest), QByteArray(1500, 'b'));
}

void TestScriptTokens::scriptLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Lines>("lines");
    QTest::newRow("empty file") << QByteArray() << Lines{};
    QTest::newRow("CR LF") << QByteArray("a b\r\nc\r\n") << Lines{"a b", "c"};
    QTest::newRow("last line without an end") << QByteArray("a\r\nc") << Lines{"a", "c"};
    QTest::newRow("CR alone") << QByteArray("a\rc") << Lines{"a", "c"};
    QTest::newRow("LF alone") << QByteArray("a\nc\n") << Lines{"a", "c"};
    QTest::newRow("mixed ends") << QByteArray("a\r\nb\nc\rd") << Lines{"a", "b", "c", "d"};
    QTest::newRow("empty line ends the reading") << QByteArray("a\r\n\r\nb") << Lines{"a"};
    QTest::newRow("empty LF line ends the reading") << QByteArray("a\n\nb") << Lines{"a"};
    QTest::newRow("empty first line") << QByteArray("\r\na") << Lines{};
    QTest::newRow("CR CR LF is an empty line") << QByteArray("a\r\r\nb") << Lines{"a"};
    QTest::newRow("spaces only is not empty") << QByteArray("  \r\nb") << Lines{"  ", "b"};
    QTest::newRow("tabs and high bytes kept") << QByteArray("a\tb\xe9") << Lines{"a\tb\xe9"};
}

void TestScriptTokens::scriptLines()
{
    QFETCH(QByteArray, text);
    QFETCH(Lines, lines);
    QCOMPARE(ScriptLines(text), lines);
}

QTEST_APPLESS_MAIN(TestScriptTokens)
#include "tst_scripttokens.moc"
