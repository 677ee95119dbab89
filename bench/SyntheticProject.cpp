#include "SyntheticProject.h"

#include "store/core/Blocks.h"
#include "store/core/HeaderBlock.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

namespace bench {

QStringList syntheticProject(int topics)
{
    using namespace store;
    QStringList lines = headerBlock(FieldLook{}, FieldLook{});
    lines << defaultProjectBlock(QStringLiteral("synthese.hpa"));
    const QString mark(ParagraphMark);
    const int popups = qMax(1, topics / 20);
    for (int n = 0; n < topics; ++n) {
        const QString title = QString::fromUtf8("Rubrique générale n°%1").arg(n);
        const QString target = n + 1 < topics ? AlnumOnly(QString::fromUtf8("Rubrique générale n°%1").arg(n + 1)) : QString();
        lines << topicOpenTag(n)
              << QStringLiteral("%1aide;été;mot%2\\%3").arg(n % 7 == 3 ? 2 : 1).arg(n).arg(target)
              << title + TitleEndMark;
        for (int l = 0; l < 20; ++l) {
            QString body = QString::fromUtf8("Ligne %1 : l'élève écrit \\b gras\\b0  et \\i italique\\i0 , "
                                             "« déjà vu » – coût 5 €")
                               .arg(l);
            if (l == 5)
                body += QStringLiteral(" {\\ul mot}{\\v Pp%1}").arg(BlockNumber(n % popups));
            if (l % 4 == 3)
                body += mark;
            lines << body;
        }
        lines << topicCloseTag(n);
    }
    for (int p = 0; p < popups; ++p) {
        lines << popupOpenTag(p) << QStringLiteral("Définition %1").arg(p) + BlockNumber(p) + TitleEndMark
              << QStringLiteral("Définition %1").arg(p) + mark << QString::fromUtf8("Texte de la fenêtre surgissante.") + mark
              << popupCloseTag(p);
    }
    return lines;
}

} // namespace bench
