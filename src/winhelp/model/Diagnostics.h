#pragma once
// The compiler's messages to the author, in French, in the order they were found.
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

private:
    QStringList m_lines;
    int m_errors = 0;
};

// « text », as the messages quote names.
inline QString quoted(const QString& text)
{
    return QStringLiteral("« ") + text + QStringLiteral(" »");
}

} // namespace hlp
