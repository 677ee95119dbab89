#pragma once
// The compiler's messages to the author, in French, in the order they were found. Names taken
// from the project (titles, context strings) are bytes in the project's code page: text() turns
// them into characters, so that a Russian project's titles read as Cyrillic.
#include "winhelp/format/CodePage.h"

#include <QString>
#include <QStringList>

namespace hlp {

class Diagnostics {
public:
    void error(const QString& message)
    {
        m_lines << QStringLiteral("Erreur : ") + message;
        ++m_errors;
    }
    void warning(const QString& message) { m_lines << QStringLiteral("Attention : ") + message; }
    void note(const QString& message) { m_lines << message; }

    const QStringList& lines() const { return m_lines; }
    int errorCount() const { return m_errors; }

    void setCodePage(const CodePage& codePage) { m_codePage = codePage; }
    const CodePage& codePage() const { return m_codePage; }
    QString text(const QByteArray& bytes) const { return m_codePage.decode(bytes); }

private:
    QStringList m_lines;
    int m_errors = 0;
    CodePage m_codePage;
};

// « text », as the messages quote names.
inline QString quoted(const QString& text)
{
    return QStringLiteral("« ") + text + QStringLiteral(" »");
}

} // namespace hlp
