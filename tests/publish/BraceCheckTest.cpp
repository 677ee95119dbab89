// The build's warning about braces that do not pair up: which texts are caught, and that each topic
// or popup is named by its title, in the order the topic file holds them.
#include "publish/core/BraceCheck.h"
#include "publish/core/ProjectBuild.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace store;

namespace {

QStringList topic(int n, const QString& title, const QStringList& body)
{
    return QStringList{topicOpenTag(n), "1\\", title + TitleEndMark} + body + QStringList{topicCloseTag(n)};
}

} // namespace

class BraceCheckTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void balance_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("balanced");
        QTest::newRow("plain text") << QStringList{"texte"} << true;
        QTest::newRow("popup link") << QStringList{PopupLink("mot", 3)} << true;
        QTest::newRow("escaped braces") << QStringList{"\\{bmc a.bmp\\} \\} \\{"} << true;
        QTest::newRow("escaped backslash, then a real brace") << QStringList{"\\\\{"} << false;
        QTest::newRow("group over two lines") << QStringList{"{\\ul deux", "mots}"} << true;
        QTest::newRow("left open") << QStringList{"{\\b gras"} << false;
        QTest::newRow("closed first, opened after") << QStringList{"} texte {"} << false;
        QTest::newRow("hex escape of a brace") << QStringList{"\\'7b"} << true;
    }
    void balance()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, balanced);
        QCOMPARE(publish::bracesBalanced(lines), balanced);
    }

    // The preview lists each place where the text will not come out as written.
    void problemsSayWhere_data()
    {
        QTest::addColumn<QStringList>("body");
        QTest::addColumn<QList<int>>("places"); // line, column of each problem
        QTest::addColumn<QString>("first");
        QTest::newRow("none") << QStringList{"{\\ul deux", "mots} \\{ \\}"} << QList<int>{} << "";
        QTest::newRow("a brace closing nothing")
            << QStringList{"a } b"} << QList<int>{0, 2} << QString::fromUtf8("Accolade « } » sans « { » avant elle (ligne 1, colonne 3)");
        QTest::newRow("the outer brace left open")
            << QStringList{"x", "{a {b} {c"} << QList<int>{1, 0} << QString::fromUtf8("Accolade « { » jamais fermée (ligne 2, colonne 1)");
        QTest::newRow("both") << QStringList{"} {"} << QList<int>{0, 0, 0, 2} << QString::fromUtf8("Accolade « } »");
        QTest::newRow("a pasted path: an unknown control word")
            << QStringList{"\\b C:\\Calculo\\b0 \\\\ \\'e9"} << QList<int>{0, 5}
            << QString::fromUtf8("Mot de contrôle « \\Calculo » inconnu du compilateur (ligne 1, colonne 6)");
    }
    void problemsSayWhere()
    {
        QFETCH(QStringList, body);
        QFETCH(QList<int>, places);
        QFETCH(QString, first);
        const QList<publish::TextProblem> got = publish::textProblems(body);
        QList<int> at;
        for (const publish::TextProblem& p : got)
            at << p.line << p.column;
        QCOMPARE(at, places);
        if (!got.isEmpty())
            QVERIFY2(got.front().message.startsWith(first), qPrintable(got.front().message));
    }

    void warningsNameTopicsAndPopups()
    {
        QStringList lines{"<HPJ>", "</HPJ>"};
        lines << popupBlock(1, {"Deux {", "x"}) << topic(1, "Bien", {"{\\b gras}"}) << topic(0, "Accueil", {"Voir {\\b gras"})
              << topic(2, "Titre {", {"corps"}) << popupBlock(0, {"Une", "bien"}) << topic(4, "Hors suite", {"{"});
        const QStringList w = publish::braceWarnings(lines, 5, 2);
        QCOMPARE(w.size(), 3);
        QVERIFY2(w[0].startsWith(QString::fromUtf8("Rubrique « Accueil » : accolades non équilibrées dans le texte")), qPrintable(w[0]));
        QVERIFY2(w[1].startsWith(QString::fromUtf8("Rubrique « Titre { » : accolades non équilibrées dans le titre")), qPrintable(w[1]));
        QVERIFY2(w[2].startsWith(QString::fromUtf8("PopUp « Deux { » : accolades non équilibrées")), qPrintable(w[2]));
    }

    void buildStillWritesItsFiles()
    {
        QTemporaryDir dir;
        QStringList lines{"<HPJ>", "[OPTIONS]", "</HPJ>"};
        lines << topic(0, "Accueil", {"Voir {\\b gras"});
        const publish::BuildFiles r = publish::writeBuildFiles(lines, 1, 0, FieldLook{}, FieldLook{}, dir.filePath("p.hpa"));
        QVERIFY(r.ok());
        QCOMPARE(r.warnings.size(), 1);
        QVERIFY(QFile::exists(dir.filePath("p.rtf")));
    }
};

TYX_TEST(BraceCheckTest);

#include "BraceCheckTest.moc"
