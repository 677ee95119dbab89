#include "editor/core/ImportText.h"

#include "platform/core/Cp1252.h"
#include "platform/core/SafeFile.h"
#include "platform/core/TextDecode.h"

#include <QFileInfo>

namespace editor {

ImportedText importedText(QStringView decoded)
{
    // One pass: CR LF, a lone CR and a lone LF each become one line end, and the last line gets one.
    ImportedText out;
    const qsizetype n = decoded.size();
    out.text.resize(n + 1);
    char16_t* d = reinterpret_cast<char16_t*>(out.text.data());
    const char16_t* s = decoded.utf16();
    qsizetype k = 0;
    int replaced = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u'\r' || c == u'\n') {
            d[k++] = u'\n';
            if (c == u'\r' && i + 1 < n && s[i + 1] == u'\n')
                ++i;
            continue;
        }
        // Nearly every character is ASCII or a Latin-1 letter, which the document takes as itself.
        if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF) || cp1252::enterable(QChar(c))) {
            d[k++] = c;
        } else {
            d[k++] = u'?';
            ++replaced;
        }
    }
    if (k > 0 && d[k - 1] != u'\n')
        d[k++] = u'\n';
    out.text.truncate(k);
    out.replaced = replaced;
    return out;
}

QString replacedMessage(int replaced)
{
    if (replaced <= 0)
        return {};
    if (replaced == 1)
        return QString::fromUtf8("Un caractère que le projet ne peut pas contenir a été remplacé par « ? ».");
    return QString::fromUtf8("%1 caractères que le projet ne peut pas contenir ont été remplacés par « ? ».")
        .arg(replaced);
}

QString importRefusal(const QString& fileName, qint64 fileBytes, qint64 bodyCharacters)
{
    if (fileBytes <= MaxBodyCharacters - bodyCharacters)
        return {};
    return QString::fromUtf8("Le fichier « %1 » est trop volumineux pour être importé : une page contient au plus %2 Mo de texte.")
        .arg(QFileInfo(fileName).fileName())
        .arg(MaxBodyCharacters / (1024 * 1024));
}

bool readImport(const QString& path, ImportedText& out, QString* error, const std::atomic<bool>* cancelled)
{
    out = {};
    const auto stop = [cancelled] { return cancelled && cancelled->load(); };
    QByteArray bytes;
    if (!safefile::read(path, bytes, error))
        return false;
    if (stop())
        return false;
    textdecode::Decoded decoded = textdecode::decode(bytes);
    bytes = {};
    if (stop())
        return false;
    out = importedText(decoded.text);
    return !stop();
}

QString replacedStatus(QStringView replaced)
{
    int count = 0;
    QStringList distinct;
    for (qsizetype i = 0; i < replaced.size(); ++i) {
        const qsizetype units = replaced[i].isHighSurrogate() && i + 1 < replaced.size() ? 2 : 1;
        const QString one = replaced.mid(i, units).toString();
        i += units - 1;
        ++count;
        if (!distinct.contains(one))
            distinct << one;
    }
    if (count == 0)
        return {};
    const QString which = distinct.join(QStringLiteral(" "));
    if (count == 1)
        return QString::fromUtf8("1 caractère que le projet ne peut pas contenir remplacé par « ? » : %1").arg(which);
    return QString::fromUtf8("%1 caractères que le projet ne peut pas contenir remplacés par « ? » : %2").arg(count).arg(which);
}

} // namespace editor
