// The code page of the help's text. A 4.0 file states it (its character set, its language or its
// dialog font); a 3.0 or 3.1 file states none, as it was read with the code page of the Windows it
// ran on: its fonts then tell ("Arial Cyr", "Times New Roman CE", the Chinese, Japanese and Korean
// faces), else its text (mostly bytes above 0x7F is no Western text: Cyrillic, or Chinese when
// they come in pairs).
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/CodePage.h"

namespace hlp::fileread {

namespace {

// The character set a font's name stands for, or -1.
int charsetOfFace(const QByteArray& face)
{
    const QByteArray name = face.trimmed().toLower();
    struct Suffix {
        const char* text;
        int charset;
    };
    static const Suffix suffixes[] = {{" cyr", 204}, {" cyrillic", 204}, {" ce", 238}, {" greek", 161}, {" tur", 162}, {" baltic", 186}};
    for (const Suffix& s : suffixes)
        if (name.endsWith(s.text))
            return s.charset;
    struct Face {
        const char* name;
        int charset;
    };
    // Latin names, and the native ones in the face's own code page (GBK, Big5, Shift-JIS, UHC).
    static const Face faces[] = {
        {"simsun", 134}, {"nsimsun", 134}, {"simhei", 134}, {"kaiti", 134}, {"kaiti_gb2312", 134}, {"fangsong", 134},
        {"fangsong_gb2312", 134}, {"ms song", 134}, {"ms hei", 134}, {"\xcb\xce\xcc\xe5", 134}, {"\xba\xda\xcc\xe5", 134},
        {"\xbf\xac\xcc\xe5_gb2312", 134}, {"\xb7\xc2\xcb\xce_gb2312", 134}, {"\xd0\xc2\xcb\xce\xcc\xe5", 134},
        {"mingliu", 136}, {"pmingliu", 136}, {"\xb2\xd3\xa9\xfa\xc5\xe9", 136}, {"\xb7s\xb2\xd3\xa9\xfa\xc5\xe9", 136},
        {"\xbc\xd0\xb7\xa2\xc5\xe9", 136},
        {"ms mincho", 128}, {"ms pmincho", 128}, {"ms gothic", 128}, {"ms pgothic", 128}, {"ms ui gothic", 128},
        {"gulim", 129}, {"gulimche", 129}, {"batang", 129}, {"batangche", 129}, {"dotum", 129}, {"dotumche", 129},
        {"gungsuh", 129}, {"\xb1\xbc\xb8\xb2", 129}, {"\xb9\xd9\xc5\xc1", 129}, {"\xb5\xb8\xbf\xf2", 129}, {"\xb1\xc3\xbc\xad", 129},
    };
    for (const Face& f : faces)
        if (name == f.name)
            return f.charset;
    // "ＭＳ 明朝", "ＭＳ ゴシック" ...: the full-width "MS" of Shift-JIS.
    if (name.startsWith("\x82\x6c\x82\x72"))
        return 128;
    return -1;
}

// What the bytes of the text say: -1 for Western text (ASCII letters outnumber the bytes above
// 0x7F), 134 when those bytes come in pairs (Chinese), else 204 (Cyrillic, the commonest
// other single-byte text of help files).
int charsetOfText(const QByteArray& text)
{
    qsizetype latin = 0, high = 0, runs = 0, oddRuns = 0, run = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const auto c = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        if (c >= 0x80) {
            ++high;
            ++run;
            continue;
        }
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            ++latin;
        if (run > 0) {
            ++runs;
            oddRuns += run % 2;
            run = 0;
        }
    }
    if (high < 16 || high <= latin)
        return -1;
    return oddRuns * 10 < runs ? 134 : 204;
}

} // namespace

void HelpReader::chooseCodePage()
{
    int charset = m_project.charset;
    if (charset < 0 && m_project.hasLcid)
        charset = CodePage::charsetForLanguage(m_project.lcid);
    if (charset < 0)
        charset = m_defaultFontCharset;
    m_codePageStated = charset >= 0;
    // 0 ANSI, 1 default, 2 symbol: all of them Western text here.
    m_project.textCharset = charset > 2 ? charset : 0;
    m_doc.fontCharset = m_project.textCharset;
}

void HelpReader::guessCodePage()
{
    if (m_codePageStated)
        return;
    int charset = -1;
    QString from;
    for (const FontFace& face : m_doc.faces) {
        if ((charset = charsetOfFace(face.name)) >= 0) {
            from = QStringLiteral("la police « %1 »").arg(QString::fromLatin1(face.name));
            break;
        }
    }
    if (charset < 0) {
        // The titles and the text, as far as 256 KB of it.
        constexpr qsizetype enough = 256 * 1024;
        QByteArray text;
        for (const Topic& topic : m_doc.topics) {
            text += topic.title + ' ';
            for (const Paragraph& p : topic.paragraphs)
                for (const Item& item : p.items)
                    if (item.kind == ItemKind::Text && text.size() < enough)
                        text += item.text + ' ';
            if (text.size() >= enough)
                break;
        }
        charset = charsetOfText(text);
        from = QStringLiteral("son texte");
    }
    if (charset < 0)
        return;
    m_project.textCharset = charset;
    m_doc.fontCharset = charset;
    warn(QStringLiteral("|SYSTEM : le fichier ne dit pas la page de code de son texte ; d'après %1, c'est la page de code %2.")
             .arg(from)
             .arg(CodePage::forCharset(charset).number()));
}

} // namespace hlp::fileread
