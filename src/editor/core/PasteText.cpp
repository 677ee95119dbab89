#include "editor/core/PasteText.h"

#include "store/core/Blocks.h"

namespace editor {

QString typedText(QStringView plain)
{
    QString out;
    out.reserve(plain.size() + plain.size() / 8 + 1);
    const auto endParagraph = [&out] {
        if (!out.endsWith(store::ParagraphMark))
            out += store::ParagraphMark;
        out += u'\n';
    };
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QChar c = plain[i];
        if (c == u'\r') {
            if (i + 1 < plain.size() && plain[i + 1] == u'\n')
                ++i;
            endParagraph();
        } else if (c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            endParagraph();
        } else {
            if (c == u'\\' || c == u'{' || c == u'}')
                out += u'\\';
            out += c;
        }
    }
    return out;
}

} // namespace editor
