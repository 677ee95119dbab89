#include "tools/core/PocketEngine.h"

#include "tools/core/GeneralNumber.h"

#include <cmath>

std::optional<PocketKey> pocketKeyFor(QChar typed)
{
    const char16_t c = typed.unicode();
    if (c >= u'0' && c <= u'9')
        return PocketKey(int(PocketKey::Digit0) + (c - u'0'));
    switch (c) {
    case 27: return PocketKey::Close;
    case u',':
    case u'.': return PocketKey::Comma;
    case u'+': return PocketKey::Plus;
    case u'-': return PocketKey::Minus;
    case u'*': return PocketKey::Times;
    case u'/': return PocketKey::Divide;
    case u'=': return PocketKey::Equals;
    case u'C':
    case u'c': return PocketKey::Clear;
    case u'S':
    case u's': return PocketKey::SquareRoot;
    case u'X':
    case u'x': return PocketKey::Reciprocal;
    default: return std::nullopt;
    }
}

QString PocketEngine::divisionByZeroMessage()
{
    return QStringLiteral("Division par zéro en virgule flottante");
}

QString PocketEngine::invalidOperationMessage()
{
    return QStringLiteral("Opération en virgule flottante incorrecte");
}

QString PocketEngine::overflowMessage()
{
    return QStringLiteral("Débordement en virgule flottante");
}

QString PocketEngine::notANumberMessage(const QString& text)
{
    return QStringLiteral("'%1' n'est pas une valeur en virgule flottante correcte").arg(text);
}

void PocketEngine::reset()
{
    m_display.clear();
    m_shownValue.reset();
    m_accumulator = 0;
    m_lastOperand = 0;
    m_hasAccumulator = false;
    m_pendingOperator = QChar();
}

QString PocketEngine::digit(int d)
{
    if (m_startNewEntry)
        m_display.clear();
    m_display += QChar(u'0' + d);
    m_shownValue.reset();
    m_startNewEntry = false;
    return {};
}

QString PocketEngine::comma()
{
    m_display += QLatin1Char(',');
    m_shownValue.reset();
    return {};
}

void PocketEngine::showResult(double value)
{
    m_display = generalnumber::fitted(value, DisplayWidth);
    m_shownValue = value;
}

generalnumber::Parse PocketEngine::displayValue(double& value) const
{
    // A result is drawn shortened; as an operand it counts with all its digits.
    if (m_shownValue) {
        value = *m_shownValue;
        return generalnumber::Parse::Ok;
    }
    return generalnumber::parse(m_display, value);
}

QString PocketEngine::readOperand(double& value) const
{
    switch (displayValue(value)) {
    case generalnumber::Parse::Ok: return {};
    case generalnumber::Parse::Overflow: return overflowMessage();
    case generalnumber::Parse::NotANumber: break;
    }
    return notANumberMessage(m_display);
}

QString PocketEngine::equals()
{
    // 1. The first operand: taken from the display without a message when it is not a number.
    if (!m_hasAccumulator) {
        double value = 0;
        if (displayValue(value) == generalnumber::Parse::Ok) {
            m_accumulator = value;
            m_hasAccumulator = true;
            m_startNewEntry = true;
        } else {
            m_display.clear();
            m_shownValue.reset();
        }
        return {};
    }
    // 2. The right-hand operand.
    double operand = 0;
    if (const QString failed = readOperand(operand); !failed.isEmpty())
        return failed;
    // 3. The pending operation, with the platform's floating-point faults.
    const double a = m_accumulator;
    double result = a;
    switch (m_pendingOperator.unicode()) {
    case u'+': result = a + operand; break;
    case u'-': result = a - operand; break;
    case u'*': result = a * operand; break;
    case u'/':
        if (operand == 0)
            return a == 0 ? invalidOperationMessage() : divisionByZeroMessage();
        result = a / operand;
        break;
    default: break;
    }
    if (std::isnan(result))
        return invalidOperationMessage();
    if (std::isinf(result))
        return overflowMessage();
    m_lastOperand = operand;
    m_accumulator = result;
    // 4. and 5.
    showResult(m_accumulator);
    m_startNewEntry = true;
    return {};
}

QString PocketEngine::operation(QChar op)
{
    const QString failed = equals();
    if (failed.isEmpty())
        m_pendingOperator = op;
    return failed;
}

QString PocketEngine::unary(double (*apply)(double, QString&))
{
    double operand = 0;
    if (const QString failed = readOperand(operand); !failed.isEmpty())
        return failed;
    QString failed;
    const double result = apply(operand, failed);
    if (failed.isEmpty() && std::isnan(result))
        failed = invalidOperationMessage();
    if (failed.isEmpty() && std::isinf(result))
        failed = overflowMessage();
    if (!failed.isEmpty())
        return failed;
    m_lastOperand = operand;
    m_accumulator = result;
    showResult(result);
    m_hasAccumulator = true;
    m_startNewEntry = true;
    return {};
}

QString PocketEngine::reciprocal()
{
    return unary([](double x, QString& failed) {
        if (x == 0) {
            failed = divisionByZeroMessage();
            return 0.0;
        }
        return 1 / x;
    });
}

QString PocketEngine::squareRoot()
{
    return unary([](double x, QString& failed) {
        if (x < 0) {
            failed = invalidOperationMessage();
            return 0.0;
        }
        return std::sqrt(x);
    });
}

QString PocketEngine::press(PocketKey key)
{
    switch (key) {
    case PocketKey::Comma: return comma();
    case PocketKey::Equals: return equals();
    case PocketKey::Plus: return operation(QLatin1Char('+'));
    case PocketKey::Minus: return operation(QLatin1Char('-'));
    case PocketKey::Times: return operation(QLatin1Char('*'));
    case PocketKey::Divide: return operation(QLatin1Char('/'));
    case PocketKey::Reciprocal: return reciprocal();
    case PocketKey::SquareRoot: return squareRoot();
    case PocketKey::Clear: reset(); return {};
    case PocketKey::Close: return {};
    default: return digit(int(key) - int(PocketKey::Digit0));
    }
}
