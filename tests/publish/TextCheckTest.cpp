// The build's warnings about text the help will not show as written: a control word the compiler
// does not know, and two body lines joined without a space.
#include "publish/core/TextCheck.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace store;

class TextCheckTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void warnings_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("body");
        QTest::addColumn<QStringList>("popup");
        QTest::addColumn<QStringList>("expected");
        const QString m(ParagraphMark);
        QTest::newRow("pasted path") << "Calcul" << QStringList{"Voir C:\\Calculo\\calculo.ini" + m} << QStringList()
            << QStringList{QString::fromUtf8("Rubrique « Calcul » : le compilateur ne connaît pas les mots de contrôle "
                                             "\\Calculo, \\calculo ; leur texte disparaîtra de l'aide (un chemin collé ? "
                                             "« Coller comme texte » garde ses « \\ »).")};
        QTest::newRow("typed path, markup and symbols are known")
            << "Calcul" << QStringList{"C:\\\\Calculo \\b gras\\b0 \\{bmc a.bmp\\} \\'e9 \\~ {\\ul mot}{\\v Pp0000}" + m}
            << QStringList() << QStringList();
        QTest::newRow("in the title") << "Menu \\Fichier" << QStringList{"x" + m} << QStringList()
            << QStringList{QString::fromUtf8("Rubrique « Menu \\Fichier » : le compilateur ne connaît pas le mot de "
                                             "contrôle \\Fichier ; « Fichier » disparaîtra de l'aide (un chemin collé ? "
                                             "« Coller comme texte » garde ses « \\ »).")};
        QTest::newRow("in a popup") << "A" << QStringList{"x" + m} << QStringList{"Note" + m, "D:\\dossier"}
            << QStringList{QString::fromUtf8("PopUp « Note » : le compilateur ne connaît pas le mot de contrôle "
                                             "\\dossier ; « dossier » disparaîtra de l'aide (un chemin collé ? "
                                             "« Coller comme texte » garde ses « \\ »).")};
        QTest::newRow("lines joined") << "A" << QStringList{"Ligne A", "Ligne B" + m} << QStringList()
            << QStringList{QString::fromUtf8("Rubrique « A » : les lignes « Ligne A » et « Ligne B¶ » se suivent sans ¶ "
                                             "et seront jointes sans espace (« Ligne ALigne B¶ »).")};
        QTest::newRow("joined twice") << "A" << QStringList{"a", "b", "c"} << QStringList()
            << QStringList{QString::fromUtf8("Rubrique « A » : les lignes « a » et « b » se suivent sans ¶ et seront "
                                             "jointes sans espace (« ab »), et 1 fois de plus.")};
        QTest::newRow("space, mark, empty line or control word between")
            << "A" << QStringList{"Ligne A ", "Ligne B", " C" + m, "D" + m, "E\\b", "F", "", "G"} << QStringList()
            << QStringList();
    }
    void warnings()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, body);
        QFETCH(QStringList, popup);
        QFETCH(QStringList, expected);
        QStringList lines{"<HPJ>", "</HPJ>", topicOpenTag(0), "1\\", title + TitleEndMark};
        lines << body << topicCloseTag(0);
        if (!popup.isEmpty())
            lines << popupBlock(0, popup);
        QCOMPARE(publish::textWarnings(lines, 1, popup.isEmpty() ? 0 : 1), expected);
    }
};

TYX_TEST(TextCheckTest);
#include "TextCheckTest.moc"
