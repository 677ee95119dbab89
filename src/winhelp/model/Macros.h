#pragma once
// The macros of hot spots and [CONFIG]: "Name(arg, `quoted', \"text\")", several of them joined by
// ';'. Only the shape is read here; what a macro does is the business of each output.
#include <QByteArray>
#include <QList>

namespace hlp {

struct MacroCall {
    QByteArray name;        // as written, without spaces around it
    QList<QByteArray> args; // without their quotes and outer spaces
    // The name in small letters, for comparing with the macros' long or short names.
    QByteArray lowerName() const { return name.toLower(); }
};

// Macros written one after the other, split at the ';' outside quotes and parentheses.
QList<QByteArray> splitMacros(const QByteArray& text);

// One macro's name and arguments.
MacroCall parseMacro(const QByteArray& macro);

} // namespace hlp
