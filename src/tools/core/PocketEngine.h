#pragma once
// The pocket calculator's state machine: the display text, the running value and the
// pending operator, with the original's left-to-right evaluation and its error messages.
#include "tools/core/GeneralNumber.h"

#include <QChar>
#include <QString>
#include <optional>

// One key of the calculator: a button of the keypad.
enum class PocketKey {
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Comma, Equals, Plus, Minus, Times, Divide, Reciprocal, SquareRoot, Clear, Close
};

// The keyboard map of FormKeyPress: Escape closes, "0".."9" digits, "," and "." the comma,
// "+-*/" the operators, "=" equals, "C"/"c" clear, "S"/"s" square root, "X"/"x" reciprocal.
// Any other character: no key.
std::optional<PocketKey> pocketKeyFor(QChar typed);

class PocketEngine {
public:
    static QString divisionByZeroMessage();   // "Division par zéro en virgule flottante"
    static QString invalidOperationMessage(); // "Opération en virgule flottante incorrecte"
    static QString overflowMessage();         // "Débordement en virgule flottante"
    static QString notANumberMessage(const QString& text); // "'%s' n'est pas une valeur en virgule flottante correcte"

    // The width of the display in characters: longer results are shortened to it.
    static constexpr int DisplayWidth = 16;

    // FormActivate and "C": display empty, Accumulator and LastOperand 0, HasAccumulator off,
    // no pending operator. StartNewEntry is kept.
    void reset();

    // Each returns the message to show when the operation is abandoned (the state is then as it
    // was before), or an empty string.
    QString digit(int d);        // 0..9
    QString comma();             // appends ","; nothing else changes
    QString equals();            // Evaluate
    QString operation(QChar op); // '+', '-', '*', '/': Evaluate, then the pending operator
    QString reciprocal();        // 1/x
    QString squareRoot();        // sqr: the square root

    // Presses one key (Close does nothing here: the window closes itself).
    QString press(PocketKey key);

    QString display() const { return m_display; }
    double accumulator() const { return m_accumulator; }
    double lastOperand() const { return m_lastOperand; }
    bool hasAccumulator() const { return m_hasAccumulator; }
    QChar pendingOperator() const { return m_pendingOperator; } // null when none
    bool startNewEntry() const { return m_startNewEntry; }

private:
    // Reads the display for steps 2 and the 1/x and sqr keys: the number, or the message.
    QString readOperand(double& value) const;
    // The number the display stands for: the full result while it shows one, else its text read.
    generalnumber::Parse displayValue(double& value) const;
    // Shows a result, shortened to the display's width, and keeps its full value.
    void showResult(double value);
    // Runs a unary function of the display (1/x, sqr).
    QString unary(double (*apply)(double, QString&));

    QString m_display;
    std::optional<double> m_shownValue; // the full value of the result on display, until it is edited
    double m_accumulator = 0;
    double m_lastOperand = 0;
    bool m_hasAccumulator = false;
    QChar m_pendingOperator;
    bool m_startNewEntry = false;
};
