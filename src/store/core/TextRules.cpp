#include "store/core/TextRules.h"

namespace store {

QString TrimSpaces(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

QString AlnumOnly(const QString& s)
{
    // Written through a pointer: every topic's context string is made here, for each save and build.
    QString out(s.size(), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    const char16_t* src = reinterpret_cast<const char16_t*>(s.constData());
    qsizetype k = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = src[i];
        if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9'))
            d[k++] = u;
    }
    out.truncate(k);
    return out;
}

static qsizetype lastSeparator(const QString& path)
{
    return qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

QString forceExtension(const QString& path, const QString& ext)
{
    const qsizetype sep = lastSeparator(path);
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > sep)
        return path.left(dot) + ext;
    return path + ext;
}

QString fileNamePart(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString folderPart(const QString& path)
{
    return path.left(lastSeparator(path) + 1);
}

} // namespace store
