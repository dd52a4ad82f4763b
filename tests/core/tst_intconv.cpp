#include "core/common/errors.h"
#include "core/common/intconv.h"

#include <QtTest>

class TestIntConv : public QObject {
    Q_OBJECT
private slots:
    void accepts_data();
    void accepts();
    void rejects_data();
    void rejects();
    void errorNamesTheWholeText();   // up to 40 characters of it
    void writesPlainDecimal();
};

void TestIntConv::accepts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("leading blanks") << "   -5" << -5;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("leading zeros") << "0007" << 7;
    QTest::newRow("minus zero") << "-0" << 0;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("most negative written") << "-2147483647" << -2147483647;
    QTest::newRow("most negative") << "-2147483648" << -2147483647 - 1;
    QTest::newRow("most negative, zeros first") << "-0002147483648" << -2147483647 - 1;
    QTest::newRow("hex") << "$1F" << 31;
    QTest::newRow("hex lower case") << "$ff" << 255;
    QTest::newRow("hex after blanks") << "  $10" << 16;
    QTest::newRow("hex all ones is -1") << "$FFFFFFFF" << -1;
    QTest::newRow("hex sign bit") << "$80000000" << int(0x80000000u);
    QTest::newRow("hex eight digits with zeros") << "$0000000A" << 10;
}

void TestIntConv::accepts()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(StrToInt(text), value);
}

void TestIntConv::rejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("lone minus") << "-";
    QTest::newRow("lone plus") << "+";
    QTest::newRow("trailing letters") << "12a";
    QTest::newRow("trailing blank") << "12 ";
    QTest::newRow("blank after sign") << "- 5";
    QTest::newRow("two signs") << "--5";
    QTest::newRow("too large") << "2147483648";
    QTest::newRow("too negative") << "-2147483649";
    QTest::newRow("far too negative") << "-99999999999999999999";
    QTest::newRow("far too large") << "99999999999999999999";
    QTest::newRow("dollar alone") << "$";
    QTest::newRow("nine hex digits") << "$123456789";
    QTest::newRow("not hex") << "$1G";
    QTest::newRow("signed hex") << "-$1F";
    QTest::newRow("C hex") << "0x1F";
    QTest::newRow("tab before") << "\t5";
    QTest::newRow("decimal point") << "1.5";
}

void TestIntConv::rejects()
{
    QFETCH(QString, text);
    QVERIFY(!tryStrToInt(text).has_value());
    QVERIFY_THROWS_EXCEPTION(ConversionError, StrToInt(text));
}

void TestIntConv::errorNamesTheWholeText()
{
    try {
        StrToInt(QStringLiteral(" 12a"));
        QFAIL("no error");
    } catch (const ConversionError& e) {
        QCOMPARE(QString::fromStdString(e.what()), QStringLiteral("' 12a' is not a valid integer value"));
    }
    try {
        StrToInt(QString());
        QFAIL("no error");
    } catch (const PlsdError& e) {
        QCOMPARE(e.message(), QStringLiteral("'' is not a valid integer value"));
    }
    // A long token is quoted by its first 40 characters.
    const QString forty = QString(39, QLatin1Char('1')) + QLatin1Char('x');
    for (const QString& tail : {QString(), QStringLiteral("y"), QString(1 << 20, QLatin1Char('7'))}) {
        try {
            StrToInt(forty + tail);
            QFAIL("no error");
        } catch (const ConversionError& e) {
            const QString shown = tail.isEmpty() ? forty : forty + QStringLiteral("...");
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(shown));
        }
    }
}

void TestIntConv::writesPlainDecimal()
{
    QCOMPARE(IntToStr(-7), QStringLiteral("-7"));
    QCOMPARE(IntToStr(0), QStringLiteral("0"));
    QCOMPARE(IntToStr(-2147483647 - 1), QStringLiteral("-2147483648"));
}

QTEST_APPLESS_MAIN(TestIntConv)
#include "tst_intconv.moc"
