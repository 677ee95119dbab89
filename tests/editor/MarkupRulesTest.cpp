// The editor's text rules: what the style commands wrap around a selection, picture references
// and their placement, the caret's line, a new popup's first line and the popup a selection names.
#include "editor/core/Markup.h"
#include "editor/core/PopupCommands.h"
#include "store/core/Blocks.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace editor;

namespace {
const QString Mark(store::ParagraphMark);
}

class MarkupRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wrapping_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("result");
        QTest::newRow("Gras") << int(Style::Gras) << "mot" << "\\b mot\\b0";
        QTest::newRow("Gras, nothing selected") << int(Style::Gras) << "" << "\\b \\b0";
        QTest::newRow("Ital") << int(Style::Ital) << "mot" << "\\i mot\\i0";
        QTest::newRow("Souligne keeps the space") << int(Style::Souligne) << "mot" << "\\ul mot\\ul0 ";
        QTest::newRow("Centre") << int(Style::Centre) << "titre" << "\\qc titre" + Mark + "\n\\pard";
        QTest::newRow("Encadrer over two lines") << int(Style::Encadrer) << "a\nb" << "\\box a\nb" + Mark + "\n\\pard";
    }
    void wrapping()
    {
        QFETCH(int, style);
        QFETCH(QString, selection);
        QFETCH(QString, result);
        QCOMPARE(wrapped(Style(style), selection), result);
    }

    void pictureNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reference");
        QTest::newRow("other folder") << "/home/auteur/images/logo.bmp" << "\\{bmc logo.bmp\\}";
        QTest::newRow("windows path") << "C:\\Aide 1.2\\écran.wmf" << QString::fromUtf8("\\{bmc écran.wmf\\}");
        QTest::newRow("drive only") << "D:plan.shg" << "\\{bmc plan.shg\\}";
        QTest::newRow("bare name") << "carte.mrb" << "\\{bmc carte.mrb\\}";
    }
    void pictureNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, reference);
        QCOMPARE(pictureReference(path), reference);
    }

    void placement_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("placement");
        QTest::addColumn<QString>("placed"); // empty: "no picture on this line"
        QTest::newRow("character to right") << "Voir \\{bmc a.bmp\\} ici" << 2 << "Voir \\{bmr a.bmp\\} ici";
        QTest::newRow("capitals to left") << "\\{BMC A.BMP\\}" << 1 << "\\{bml A.BMP\\}";
        QTest::newRow("only the first of two") << "\\{bml a.bmp\\} \\{bml b.bmp\\}" << 3 << "\\{bmc a.bmp\\} \\{bml b.bmp\\}";
        QTest::newRow("cut short at the end") << "fin \\{bm" << 1 << "fin \\{bml";
        QTest::newRow("escaped brace only") << "\\{b gras\\}" << 1 << "";
        QTest::newRow("no picture") << "texte" << 2 << "";
    }
    void placement()
    {
        QFETCH(QString, line);
        QFETCH(int, placement);
        QFETCH(QString, placed);
        const auto result = placePicture(line, placement);
        QCOMPARE(result.has_value(), !placed.isEmpty());
        if (result) {
            QCOMPARE(*result, placed);
            if (!line.endsWith("bm"))
                QCOMPARE(result->size(), line.size());
        }
    }

    void caretLines_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("lineEnd");
        QTest::addColumn<int>("line");
        // Lines "abc", "", "de": with one character per line end, offsets 0-3 | 4 | 5-7.
        QTest::newRow("start") << 0 << 1 << 0;
        QTest::newRow("end of the first line") << 3 << 1 << 0;
        QTest::newRow("empty line") << 4 << 1 << 1;
        QTest::newRow("last line") << 7 << 1 << 2;
        QTest::newRow("past the end: first line") << 50 << 1 << 0;
        QTest::newRow("CR LF: end of the first line") << 4 << 2 << 0;
        QTest::newRow("CR LF: empty line") << 5 << 2 << 1;
    }
    void caretLines()
    {
        QFETCH(int, caret);
        QFETCH(int, lineEnd);
        QFETCH(int, line);
        QCOMPARE(caretLine({"abc", "", "de"}, caret, lineEnd), line);
    }

    void firstLines_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("line");
        QTest::newRow("fenêtre") << QString::fromUtf8("fenêtre") << QString::fromUtf8("Fenêtre") + Mark;
        QTest::newRow("accented first letter stays") << QString::fromUtf8("été") << QString::fromUtf8("été") + Mark;
        QTest::newRow("already capital") << "Mot" << "Mot" + Mark;
        QTest::newRow("digit") << "3 mots" << "3 mots" + Mark;
    }
    void firstLines()
    {
        QFETCH(QString, word);
        QFETCH(QString, line);
        QCOMPARE(popupFirstLine(word), line);
    }

    void selectedLinks_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("digits");
        QTest::newRow("whole link") << "{\\ul mot}{\\v Pp0003}" << int(PopupReference::Number) << "0003";
        QTest::newRow("whole link, anchor Appel") << "{\\ul Appel}{\\v Pp0001}" << int(PopupReference::Number) << "0001";
        QTest::newRow("whole link, anchor Support") << " {\\ul Support}{\\v Pp0012} " << int(PopupReference::Number) << "0012";
        QTest::newRow("letters in any case") << "{\\V pP0002}" << int(PopupReference::Number) << "0002";
        QTest::newRow("hidden part from Pp on") << "Pp0004}" << int(PopupReference::Number) << "0004";
        QTest::newRow("hidden part without brace") << "  pp0005 " << int(PopupReference::Number) << "0005";
        QTest::newRow("hidden part from v on") << "v Pp0006}" << int(PopupReference::Number) << "0006";
        QTest::newRow("anchor alone") << "Appel" << int(PopupReference::Unknown) << "";
        QTest::newRow("no PP") << "mot" << int(PopupReference::Nothing) << "";
        QTest::newRow("spaces only") << "   " << int(PopupReference::Nothing) << "";
    }
    void selectedLinks()
    {
        QFETCH(QString, selection);
        QFETCH(int, kind);
        QFETCH(QString, digits);
        const PopupReference r = popupReference(selection);
        QCOMPARE(int(r.kind), kind);
        QCOMPARE(r.digits, digits);
    }
};

TYX_TEST(MarkupRulesTest);

#include "MarkupRulesTest.moc"
