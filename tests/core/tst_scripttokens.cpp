#include "core/common/errors.h"
#include "core/script/scripttokens.h"

#include <QtTest>

#include <random>

using Lines = QList<ScriptLine>;
using Tokens = QList<ScriptToken>;

namespace {

ScriptToken word(const QByteArray& text)
{
    return {text, false};
}

ScriptToken quoted(const QByteArray& text)
{
    return {text, true};
}

QString refusal(const QByteArray& line)
{
    try {
        LineTokens(line);
    } catch (const FormatError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

} // namespace

class TestScriptTokens : public QObject {
    Q_OBJECT
private slots:
    void lineTokens_data();
    void lineTokens();
    void refusesWhatTheGameRefuses_data();
    void refusesWhatTheGameRefuses();
    void quotedTextReadsBack();
    void commentLines();
    void scriptLines_data();
    void scriptLines();
};

void TestScriptTokens::lineTokens_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Tokens>("tokens");
    QTest::newRow("empty") << QByteArray() << Tokens{};
    QTest::newRow("white space only") << QByteArray(" \t\v\f ") << Tokens{};
    QTest::newRow("any white space separates") << QByteArray("  a\tb \v c\f d  ")
                                               << Tokens{word("a"), word("b"), word("c"), word("d")};
    QTest::newRow("quoted spaces and tokens beside") << QByteArray("rmsc 1 \"a  b\" c")
                                                     << Tokens{word("rmsc"), word("1"), quoted("a  b"), word("c")};
    QTest::newRow("empty quotes") << QByteArray("\"\" x") << Tokens{quoted(""), word("x")};
    QTest::newRow("a quote ends a word and starts a text")
        << QByteArray("a\"b c\"d") << Tokens{word("a"), quoted("b c"), word("d")};
    QTest::newRow("the game's escapes") << QByteArray("\"a\\\\b \\\"q\\\" \\'s\\' \\n\\r\\t\\0\"")
                                        << Tokens{quoted(QByteArray("a\\b \"q\" 's' \n\r\t\0", 16))};
    QTest::newRow("music track as the game writes it") << QByteArray("\"main.mng\\\\garden\"")
                                                       << Tokens{quoted("main.mng\\garden")};
    QTest::newRow("backslash outside quotes is a letter") << QByteArray("C:\\x y") << Tokens{word("C:\\x"), word("y")};
    QTest::newRow("bytes above 127") << QByteArray("\xe9t\xe9 \"\xff\"") << Tokens{word("\xe9t\xe9"), quoted("\xff")};
}

void TestScriptTokens::lineTokens()
{
    QFETCH(QByteArray, line);
    QFETCH(Tokens, tokens);
    QCOMPARE(LineTokens(line), tokens);
}

void TestScriptTokens::refusesWhatTheGameRefuses_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown escape, as a raw Windows path") << QByteArray("rmsc 0 0 \"C:\\music\\x\"")
        << "a quoted text holds the escape \\m, which the game does not know (it knows \\\\ \\\" \\' \\n \\r \\t \\0)";
    // Before, a missing closing quote lost the text's last letter without a word.
    QTest::newRow("not closed") << QByteArray("mmsc 0 0 \"open music") << "a quoted text is not closed before the end of the line";
    QTest::newRow("closing quote escaped") << QByteArray("\"open \\\"") << "a quoted text is not closed before the end of the line";
    QTest::newRow("backslash at the end") << QByteArray("\"open \\") << "a quoted text is not closed before the end of the line";
    QTest::newRow("raw tab") << QByteArray("\"a\tb\"") << "a quoted text holds a tab character";
    QTest::newRow("raw NUL") << QByteArray("\"a\0b\"", 5) << "a quoted text holds the control character 0";
    QTest::newRow("raw DEL") << QByteArray("\"a\x7f\"") << "a quoted text holds the control character 127";
}

void TestScriptTokens::refusesWhatTheGameRefuses()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    QCOMPARE(refusal(line), message);
}

// Any single-byte text without control characters, written by QuotedText, reads back as
// one quoted token holding it.
void TestScriptTokens::quotedTextReadsBack()
{
    QCOMPARE(QuotedText("main.mng\\garden \"x\""), QByteArray("\"main.mng\\\\garden \\\"x\\\"\""));
    // PLSD_SEED runs a failure again.
    const quint32 seed = qEnvironmentVariableIsSet("PLSD_SEED") ? quint32(qEnvironmentVariableIntValue("PLSD_SEED")) : 7u;
    std::mt19937 random(seed);
    const QByteArray letters = "\\\"' ab\xe9\xff*$";
    for (int i = 0; i < 500; ++i) {
        QByteArray text;
        const int size = std::uniform_int_distribution<int>(0, 40)(random);
        for (int k = 0; k < size; ++k) {
            const bool anyByte = std::uniform_int_distribution<int>(0, 3)(random) == 0;
            text += anyByte ? char(std::uniform_int_distribution<int>(0x20, 0xFF)(random))
                            : letters[std::uniform_int_distribution<int>(0, int(letters.size()) - 1)(random)];
        }
        text.replace('\x7f', 'x');
        QVERIFY2(LineTokens("x " + QuotedText(text) + " y") == (Tokens{word("x"), quoted(text), word("y")}),
                 qPrintable(QStringLiteral("seed %1 (PLSD_SEED), text %2").arg(seed).arg(QString::fromLatin1(text.toPercentEncoding()))));
    }
}

void TestScriptTokens::commentLines()
{
    QVERIFY(IsCommentLine("* brmi 1 2 \"C:\\x"));
    QVERIFY(IsCommentLine(" \t*"));
    QVERIFY(!IsCommentLine("brmi 1 2 * note"));
    QVERIFY(!IsCommentLine(""));
    QVERIFY(!IsCommentLine("   "));
}

void TestScriptTokens::scriptLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Lines>("lines");
    QTest::newRow("empty file") << QByteArray() << Lines{};
    QTest::newRow("CR LF") << QByteArray("a b\r\nc\r\n") << Lines{{1, "a b"}, {2, "c"}};
    QTest::newRow("last line without an end") << QByteArray("a\r\nc") << Lines{{1, "a"}, {2, "c"}};
    QTest::newRow("CR alone, LF alone, mixed") << QByteArray("a\rb\nc\r\nd") << Lines{{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}};
    // Before, an empty line ended the reading, and the lines after it were lost.
    QTest::newRow("empty lines are lines") << QByteArray("\r\na\r\n\r\nb\n\nc")
                                           << Lines{{1, ""}, {2, "a"}, {3, ""}, {4, "b"}, {5, ""}, {6, "c"}};
    QTest::newRow("CR CR LF is two line ends") << QByteArray("a\r\r\nb") << Lines{{1, "a"}, {2, ""}, {3, "b"}};
    QTest::newRow("tabs and high bytes kept") << QByteArray("a\tb\xe9") << Lines{{1, "a\tb\xe9"}};
}

void TestScriptTokens::scriptLines()
{
    QFETCH(QByteArray, text);
    QFETCH(Lines, lines);
    QCOMPARE(ScriptLines(text), lines);
}

QTEST_APPLESS_MAIN(TestScriptTokens)
#include "tst_scripttokens.moc"
