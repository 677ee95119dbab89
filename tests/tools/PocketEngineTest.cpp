// The calculator engine: key sequences with the display after every key, the general
// number format, the conversion back, and the four floating-point messages.
#include "support/TestRegistry.h"
#include "tools/core/GeneralNumber.h"
#include "tools/core/PocketEngine.h"

#include <QTest>
#include <cmath>
#include <limits>

namespace {

// Presses the keys of `keys` (keyboard characters: digits , . + - * / = C S X) and returns the
// display after each one, joined with "|", and the messages shown.
QString run(PocketEngine& engine, const QString& keys, QStringList* messages = nullptr)
{
    QStringList trace;
    for (const QChar c : keys) {
        const auto key = pocketKeyFor(c);
        if (!key)
            return QStringLiteral("bad key ") + c;
        const QString message = engine.press(*key);
        if (!message.isEmpty() && messages)
            *messages << message;
        trace << engine.display();
    }
    return trace.join(QLatin1Char('|'));
}

} // namespace

class PocketEngineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sequences_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("trace");
        QTest::newRow("7 + = takes the shown 7 as operand") << "7+=" << "7|7|14";
        QTest::newRow("left to right, no precedence") << "5+3*2=" << "5|5|3|8|2|16";
        QTest::newRow("repeated = applies the operator again") << "3*==" << "3|3|9|81";
        QTest::newRow("sqr replaces the left operand") << "2+9S=" << "2|2|9|3|6";
        QTest::newRow("+ first on an empty display") << "+4==" << "|4|4|8";
        QTest::newRow(", after a result, then a digit replaces") << "5+3=,7" << "5|5|3|8|8,|7";
        QTest::newRow(". types a comma") << "1.5+1=" << "1|1,|1,5|1,5|1|2,5";
        QTest::newRow("sqr") << "9S" << "9|3";
        QTest::newRow("1/x") << "4X" << "4|0,25";
        QTest::newRow("C forgets value and operator") << "5+3C2==" << "5|5|3||2|2|2";
        QTest::newRow("negative result") << "2-5=" << "2|2|5|-3";
        QTest::newRow("comma appended to a fresh first operand") << "5+,=" << "5|5|5,|10";
        QTest::newRow("trailing comma is a number") << "5,+2," << "5|5,|5,|2|2,";
        QTest::newRow("repeated = with minus") << "9-==" << "9|9|0|0";
        QTest::newRow("leading comma") << ",5+=" << ",|,5|,5|1";
        QTest::newRow("= with no operator keeps the value") << "5=3=" << "5|5|3|5";
        QTest::newRow("1/x keeps the pending operator") << "8+4X=" << "8|8|4|0,25|0,5";
        QTest::newRow("exponent result is an operand") << "10000000000*==" << "1|10|100|1000|10000|100000|1000000|10000000|100000000|1000000000|10000000000|10000000000|1E20|1E40";
    }
    void sequences()
    {
        QFETCH(QString, keys);
        QFETCH(QString, trace);
        PocketEngine engine;
        QStringList messages;
        QCOMPARE(run(engine, keys, &messages), trace);
        QCOMPARE(messages, QStringList());
    }

    void pendingOperatorAfterEmptyFirstOperand()
    {
        PocketEngine engine;
        QCOMPARE(engine.press(PocketKey::Plus), QString());
        QCOMPARE(engine.display(), QString());
        QCOMPARE(engine.pendingOperator(), QLatin1Char('+'));
        QVERIFY(!engine.hasAccumulator());
    }

    void results_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");
        QTest::newRow("1/3 shortened to 16 characters") << "1/3=" << "0,33333333333333";
        QTest::newRow("2/3 rounded when shortened") << "2/3=" << "0,66666666666667";
        QTest::newRow("-2/3") << "0-2/3=" << "-0,6666666666667";
        QTest::newRow("15 digits fit whole") << "123456789012344+1=" << "123456789012345";
        QTest::newRow("16 digits need the exponent") << "99999999*99999999=" << "9,9999998E15";
        QTest::newRow("exponent and 15 digits shortened") << "1234567891234567*3=" << "3,7037036737E15";
        QTest::newRow("0,0001 stays fixed") << "1/10000=" << "0,0001";
        QTest::newRow("0,00001 takes the exponent") << "1/100000=" << "1E-5";
        QTest::newRow("small negative exponent") << "0-3/7000000=" << "-4,2857142857E-7";
        QTest::newRow("1,5 squared") << "1,5*=" << "2,25";
        QTest::newRow("sqr 2 shortened") << "2S" << "1,4142135623731";
        QTest::newRow("typed entries are not limited") << "12345678901234567890" << "12345678901234567890";
        // A shortened result is the next operand with all its digits.
        QTest::newRow("1/3 times 3") << "1/3=*3=" << "3";
        QTest::newRow("2/3 times 3") << "2/3=*3=" << "3";
        QTest::newRow("sqr 2 squared") << "2S*=" << "2";
        QTest::newRow("1/x of a shortened result") << "3X" << "0,33333333333333";
        QTest::newRow("1/x of it again") << "3XX" << "3";
    }
    void results()
    {
        QFETCH(QString, keys);
        QFETCH(QString, display);
        PocketEngine engine;
        QStringList messages;
        run(engine, keys, &messages);
        QCOMPARE(engine.display(), display);
        QCOMPARE(messages, QStringList());
    }

    void errors_data()
    {
        QTest::addColumn<QString>("keys");     // the last key fails
        QTest::addColumn<QString>("message");
        QTest::newRow("division by zero") << "5/0=" << PocketEngine::divisionByZeroMessage();
        QTest::newRow("division by zero at an operator") << "5/0+" << PocketEngine::divisionByZeroMessage();
        QTest::newRow("1/x on 0") << "3+0X" << PocketEngine::divisionByZeroMessage();
        QTest::newRow("0 divided by 0") << "0/0=" << PocketEngine::invalidOperationMessage();
        QTest::newRow("square root of a negative number") << "0-4=S" << PocketEngine::invalidOperationMessage();
        QTest::newRow("beyond the double range")
            << QStringLiteral("1") + QString(200, QLatin1Char('0')) + QStringLiteral("*=") << PocketEngine::overflowMessage();
        QTest::newRow("overflow by repeated =") << "10000000000*=====" << PocketEngine::overflowMessage();
        QTest::newRow("two commas") << "5+1,,2=" << PocketEngine::notANumberMessage(QStringLiteral("1,,2"));
        QTest::newRow("sqr on an empty display") << "S" << PocketEngine::notANumberMessage(QString());
        QTest::newRow("1/x after a comma too many") << "2,,X" << PocketEngine::notANumberMessage(QStringLiteral("2,,"));
    }
    void errors()
    {
        QFETCH(QString, keys);
        QFETCH(QString, message);
        PocketEngine engine;
        QStringList messages;
        run(engine, keys.chopped(1), &messages);
        QCOMPARE(messages, QStringList());
        const QString display = engine.display();
        const double accumulator = engine.accumulator();
        const bool hasAccumulator = engine.hasAccumulator();
        const QChar pending = engine.pendingOperator();
        const bool startNew = engine.startNewEntry();

        QCOMPARE(engine.press(*pocketKeyFor(keys.back())), message);
        // The operation is abandoned: everything as it was.
        QCOMPARE(engine.display(), display);
        QCOMPARE(engine.accumulator(), accumulator);
        QCOMPARE(engine.hasAccumulator(), hasAccumulator);
        QCOMPARE(engine.pendingOperator(), pending);
        QCOMPARE(engine.startNewEntry(), startNew);
    }

    void firstOperandNotANumberEmptiesSilently()
    {
        PocketEngine engine;
        QStringList messages;
        QCOMPARE(run(engine, QStringLiteral("1,,2*"), &messages), QStringLiteral("1|1,|1,,|1,,2|"));
        QCOMPARE(messages, QStringList());
        QCOMPARE(engine.pendingOperator(), QLatin1Char('*'));
        QVERIFY(!engine.hasAccumulator());
    }

    void resetKeepsStartNewEntry()
    {
        PocketEngine engine;
        run(engine, QStringLiteral("5+"));
        QVERIFY(engine.startNewEntry());
        engine.reset();
        QCOMPARE(engine.display(), QString());
        QCOMPARE(engine.accumulator(), 0.0);
        QCOMPARE(engine.lastOperand(), 0.0);
        QVERIFY(!engine.hasAccumulator());
        QVERIFY(engine.pendingOperator().isNull());
        QVERIFY(engine.startNewEntry());
    }

    void keyboardMap_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key"); // -1: no key
        QTest::newRow("escape") << QString(QChar(27)) << int(PocketKey::Close);
        QTest::newRow("0") << "0" << int(PocketKey::Digit0);
        QTest::newRow("9") << "9" << int(PocketKey::Digit9);
        QTest::newRow(",") << "," << int(PocketKey::Comma);
        QTest::newRow(".") << "." << int(PocketKey::Comma);
        QTest::newRow("+") << "+" << int(PocketKey::Plus);
        QTest::newRow("-") << "-" << int(PocketKey::Minus);
        QTest::newRow("*") << "*" << int(PocketKey::Times);
        QTest::newRow("/") << "/" << int(PocketKey::Divide);
        QTest::newRow("=") << "=" << int(PocketKey::Equals);
        QTest::newRow("C") << "C" << int(PocketKey::Clear);
        QTest::newRow("c") << "c" << int(PocketKey::Clear);
        QTest::newRow("S") << "S" << int(PocketKey::SquareRoot);
        QTest::newRow("s") << "s" << int(PocketKey::SquareRoot);
        QTest::newRow("X") << "X" << int(PocketKey::Reciprocal);
        QTest::newRow("x") << "x" << int(PocketKey::Reciprocal);
        QTest::newRow("enter") << "\r" << -1;
        QTest::newRow("space") << " " << -1;
        QTest::newRow("a") << "a" << -1;
        QTest::newRow("e") << "e" << -1;
    }
    void keyboardMap()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        const auto mapped = pocketKeyFor(typed.at(0));
        QCOMPARE(mapped ? int(*mapped) : -1, key);
    }

    void generalFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("integer") << 14.0 << "14";
        QTest::newRow("decimal comma") << 0.25 << "0,25";
        QTest::newRow("negative") << -3.5 << "-3,5";
        QTest::newRow("15 significant digits") << 1.0 / 3 << "0,333333333333333";
        QTest::newRow("rounded at 15 digits") << 2.0 / 3 << "0,666666666666667";
        QTest::newRow("no trailing zeros") << 1.5 << "1,5";
        QTest::newRow("15 integer digits") << 999999999999999.0 << "999999999999999";
        QTest::newRow("16 integer digits") << 1e15 << "1E15";
        QTest::newRow("rounded into the exponent") << 1234567890123456.0 << "1,23456789012346E15";
        QTest::newRow("large") << 1.5e20 << "1,5E20";
        QTest::newRow("0,0001") << 0.0001 << "0,0001";
        QTest::newRow("below 0,0001") << 0.0000442615029219009 << "4,42615029219009E-5";
        QTest::newRow("small negative") << -1e-7 << "-1E-7";
        QTest::newRow("fixed with many places") << 0.000123 << "0,000123";
        QTest::newRow("1234567890.123456789") << 1234567890.123456789 << "1234567890,12346";
        QTest::newRow("largest double reads back") << std::numeric_limits<double>::max() << "1,79769313486231E308";
        QTest::newRow("smallest denormal") << std::numeric_limits<double>::denorm_min() << "4,94065645841247E-324";
    }
    void generalFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(generalnumber::format(value), text);
        double back = 0;
        QCOMPARE(generalnumber::parse(text, back), generalnumber::Parse::Ok);
        QVERIFY(std::isfinite(back));
    }

    void fitted_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fits: every digit kept") << 12345678.9012345 << "12345678,9012345";
        QTest::newRow("fits: negative 15 digits") << -123456789012345.0 << "-123456789012345";
        QTest::newRow("17 characters") << 1.0 / 3 << "0,33333333333333";
        QTest::newRow("fixed, small") << -0.000123456789012345 << "-0,000123456789";
        QTest::newRow("exponent") << -1.23456789012345e-100 << "-1,23456789E-100";
        QTest::newRow("largest double") << std::numeric_limits<double>::max() << "1,7976931348E308";
    }
    void fitted()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        const QString shown = generalnumber::fitted(value, 16);
        QCOMPARE(shown, text);
        QVERIFY(shown.size() <= 16);
        double back = 0;
        QCOMPARE(generalnumber::parse(shown, back), generalnumber::Parse::Ok);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<double>("value");
        const int ok = int(generalnumber::Parse::Ok);
        const int bad = int(generalnumber::Parse::NotANumber);
        const int over = int(generalnumber::Parse::Overflow);
        QTest::newRow("integer") << "14" << ok << 14.0;
        QTest::newRow("comma") << "2,5" << ok << 2.5;
        QTest::newRow("trailing comma") << "8," << ok << 8.0;
        QTest::newRow("leading comma") << ",5" << ok << 0.5;
        QTest::newRow("negative") << "-3" << ok << -3.0;
        QTest::newRow("exponent") << "1,5E20" << ok << 1.5e20;
        QTest::newRow("negative exponent") << "4E-5" << ok << 4e-5;
        QTest::newRow("spaces around") << " 7 " << ok << 7.0;
        QTest::newRow("underflow is zero") << "1E-400" << ok << 0.0;
        QTest::newRow("empty") << "" << bad << 0.0;
        QTest::newRow("comma alone") << "," << bad << 0.0;
        QTest::newRow("two commas") << "1,,2" << bad << 0.0;
        QTest::newRow("decimal point") << "1.5" << bad << 0.0;
        QTest::newRow("exponent without digits") << "1E" << bad << 0.0;
        QTest::newRow("sign alone") << "-" << bad << 0.0;
        QTest::newRow("too large") << "1E400" << over << 0.0;
        QTest::newRow("too many digits") << QStringLiteral("9") + QString(400, QLatin1Char('9')) << over << 0.0;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(int, outcome);
        QFETCH(double, value);
        double read = -1;
        QCOMPARE(int(generalnumber::parse(text, read)), outcome);
        if (outcome == int(generalnumber::Parse::Ok))
            QCOMPARE(read, value);
    }
};

TYX_TEST(PocketEngineTest);
#include "PocketEngineTest.moc"
