// The project as HTML help: the contents tree from the topics' levels, the command that writes the
// build files first, and the site opened in the browser through the desktop seam.
#include "publish/core/BuildNames.h"
#include "publish/core/HtmlBuild.h"
#include "publish/windows/BuildCommands.h"
#include "platform/windows/DesktopOpen.h"
#include "store/core/Blocks.h"
#include "store/core/ProjectBlock.h"
#include "support/TestRegistry.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// Topic blocks from "keyword line|title" pairs.
QStringList topics(const QStringList& blocks)
{
    QStringList lines;
    for (int n = 0; n < blocks.size(); ++n)
        lines << store::topicOpenTag(n) << blocks[n].section('|', 0, 0) << blocks[n].section('|', 1) + store::TitleEndMark
              << QStringLiteral("corps") << store::topicCloseTag(n);
    return lines;
}

} // namespace

class HtmlBuildTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void levels_data()
    {
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("level 2 under the level 1 before it")
            << QStringList{"1\\|Accueil", "1mot\\|Chapitre", "2\\|Section un", "2\\x|Section deux", "1\\|Fin"} << 5
            << QStringList{"IDH_Accueil:0", "IDH_Chapitre:0", "IDH_Sectionun:1", "IDH_Sectiondeux:1", "IDH_Fin:0"};
        QTest::newRow("contents topic always at the top") << QStringList{"2\\|Accueil", "2\\|Suite"} << 2
                                                          << QStringList{"IDH_Accueil:0", "IDH_Suite:1"};
        QTest::newRow("no level digit is level 1") << QStringList{"1|Accueil", "mots|Suite"} << 2
                                                   << QStringList{"IDH_Accueil:0", "IDH_Suite:0"};
        QTest::newRow("context as the topic file has it") << QStringList{"1|D\u00e9marrage rapide !"} << 1
                                                          << QStringList{"IDH_Dmarragerapide:0"};
        QTest::newRow("only the counted topics") << QStringList{"1|Un", "1|Deux", "1|Trois"} << 2
                                                 << QStringList{"IDH_Un:0", "IDH_Deux:0"};
    }

    void levels()
    {
        QFETCH(QStringList, blocks);
        QFETCH(int, pageCount);
        QFETCH(QStringList, expected);
        QStringList got;
        for (const auto& e : publish::htmlContents(topics(blocks), pageCount))
            got << QString::fromLatin1(e.context) + QLatin1Char(':') + QString::number(e.depth);
        QCOMPARE(got, expected);
    }

    void pageNames_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("page");
        QTest::newRow("accents") << QString::fromUtf8("Les mémoires") << "IDH_Lesmemoires";
        QTest::newRow("ligatures and cedilla") << QString::fromUtf8("Cœur, Ça, Æther, Straße") << "IDH_CoeurCaAEtherStrasse";
        QTest::newRow("punctuation dropped") << QString::fromUtf8("Où ? (2)") << "IDH_Ou2";
    }
    void pageNames()
    {
        QFETCH(QString, title);
        QFETCH(QString, page);
        QCOMPARE(publish::pageName(title), page);
    }

    void commandWritesTheBuildFilesThenTheSite()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("AIDE.hpa"));
        QStringList lines;
        store::EcritHpj(lines, project);
        lines << topics({"1|Accueil", "2|D\u00e9tails"});
        std::function<hlp::CompileResult()> job;
        const BuildOutcome out = BuildCommands().CreerAideHtml1Click(lines, 2, 0, {}, {}, project, &job);
        QVERIFY2(out.ok, qPrintable(out.message));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("AIDE.hpj"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("AIDE.rtf"))));
        QVERIFY(job);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("AIDE-html"))));
        lines.clear(); // the job took what it needs of the document
        const hlp::CompileResult r = job();
        QVERIFY2(r.written, qPrintable(r.diagnostics.join('\n')));
        QCOMPARE(r.hlpPath, dir.filePath(QStringLiteral("AIDE-html")));
        // The page is named with the accent's letter; the context string stays as the .hlp has it.
        QVERIFY(testfile::read(dir.filePath(QStringLiteral("AIDE-html/sommaire.js"))).contains("[\"D\xC3\xA9tails\",\"IDH_Details\",1]"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("AIDE-html/IDH_Details.html"))));
        QVERIFY(testfile::read(dir.filePath(QStringLiteral("AIDE-html/contextes.json"))).contains("\"IDH_Dtails\": \"IDH_Details.html\""));

        QList<QUrl> opened;
        desktop::setRecorder([&](const QUrl& url) {
            opened << url;
            return true;
        });
        BuildOutcome shown, missing;
        BuildCommands::openHtmlHelp(r.hlpPath, [&](const BuildOutcome& o) { shown = o; });
        BuildCommands::openHtmlHelp(dir.filePath(QStringLiteral("absent")), [&](const BuildOutcome& o) { missing = o; });
        desktop::setRecorder(nullptr);
        QVERIFY(shown.ok);
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(dir.filePath(QStringLiteral("AIDE-html/index.html")))});
        QVERIFY(!missing.ok);
        QVERIFY(missing.message.contains(QStringLiteral("n'existe pas")));
    }

    void commandStopsWhenTheBuildFilesFail_data()
    {
        QTest::addColumn<QString>("project"); // relative to a temporary folder; empty: never saved
        QTest::addColumn<QString>("said");
        QTest::newRow("never saved") << QString() << QStringLiteral("Enregistrez d'abord le projet");
        QTest::newRow("folder gone") << QStringLiteral("absent/AIDE.hpa") << QStringLiteral("L'aide HTML n'a pas été écrite.");
    }

    void commandStopsWhenTheBuildFilesFail()
    {
        QFETCH(QString, project);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString file = project.isEmpty() ? QString() : dir.filePath(project);
        QStringList lines;
        store::EcritHpj(lines, QStringLiteral("AIDE.hpa"));
        lines << topics({"1|Accueil"});
        std::function<hlp::CompileResult()> job;
        const BuildOutcome out = BuildCommands().CreerAideHtml1Click(lines, 1, 0, {}, {}, file, &job);
        QVERIFY(!out.ok);
        QVERIFY(!job);
        QVERIFY2(out.message.contains(said), qPrintable(out.message));
    }
};

TYX_TEST(HtmlBuildTest);
#include "HtmlBuildTest.moc"
