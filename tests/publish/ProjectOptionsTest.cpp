#include "publish/core/ProjectOptions.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace publish;

namespace {
const QString Project = QStringLiteral("D:\\AIDE\\DEMO.HPA");

QStringList block(const QStringList& inner)
{
    return QStringList{QStringLiteral("<HEADER>"), QStringLiteral("</HEADER>"), QStringLiteral("<HPJ>")} + inner
        + QStringList{QStringLiteral("</HPJ>")};
}
} // namespace

class ProjectOptionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("topicFile");
        QTest::newRow("windows path") << Project << "Aide de demo.hpa" << "demo.rtf";
        QTest::newRow("unix path") << "/home/a/Mon.Projet.HPA" << "Aide de mon.projet.hpa" << "mon.projet.rtf";
        QTest::newRow("no extension") << "C:\\X\\NOTES" << "Aide de notes" << "notes.rtf";
        QTest::newRow("empty") << "" << "Aide de " << ".rtf";
    }
    void names()
    {
        QFETCH(QString, project);
        QFETCH(QString, title);
        QFETCH(QString, topicFile);
        QCOMPARE(defaultHelpTitle(project), title);
        QCOMPARE(topicFileName(project), topicFile);
    }

    void scan_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("browse");
        QTest::addColumn<QList<int>>("place"); // left, top, height, width

        const QList<int> kept{7, 8, 9, 10};
        QTest::newRow("no block") << QStringList{"<HEADER>", "x"} << false << "" << "" << false << kept;
        QTest::newRow("lower-case tag is no block") << QStringList{"<hpj>", "TITLE=x", "</hpj>"} << false << ""
                                                    << "" << false << kept;
        QTest::newRow("default block") << block({"[OPTIONS]", "TITLE=Aide de DEMO.HPA", "[FILES]", "demo.rtf",
                                              "[CONFIG]", "", "[WINDOWS]",
                                              "main=\"DEMO.HPA\",(100,5,800,800),0,(255,255,255),(255,255,255)"})
                                       << true << "Aide de DEMO.HPA" << "" << false << QList<int>{100, 5, 800, 800};
        QTest::newRow("no TITLE= line") << block({"[OPTIONS]", "[CONFIG]"}) << true << "Aide de demo.hpa" << ""
                                        << false << kept;
        QTest::newRow("empty TITLE=") << block({"TITLE=   "}) << true << "Aide de demo.hpa" << "" << false << kept;
        QTest::newRow("title cut to 50") << block({"TITLE=" + QString(49, 'a') + "bcdef"}) << true
                                         << QString(49, 'a') + "b" << "" << false << kept;
        QTest::newRow("icon cut to 15") << block({"ICON=abcdefghijklmnopqrst.ico"}) << true << "Aide de demo.hpa"
                                        << "abcdefghijklmno" << false << kept;
        QTest::newRow("case and blanks") << block({"  title=Mon Aide \t", "icon=a.ico", " browsebuttons() "})
                                         << true << "Mon Aide" << "a.ico" << true << kept;
        QTest::newRow("browse must be whole") << block({"BrowseButtons() x"}) << true << "Aide de demo.hpa" << ""
                                              << false << kept;
        QTest::newRow("main numbers") << block({"main=\"T\",(1,-2,$10,40),0,(1,2,3),(4,5,6)"}) << true
                                      << "Aide de demo.hpa" << "" << false << QList<int>{1, -2, 16, 40};
        QTest::newRow("caption holding a bracket") << block({"main=\"Aide (v2), 3\",(11,12,13,14),0,(0,0,0),(0,0,0)"})
                                                   << true << "Aide de demo.hpa" << "" << false
                                                   << QList<int>{11, 12, 13, 14};
        QTest::newRow("bad third leaves fourth") << block({"MAIN=\"T\",(1,2,x,4)"}) << true << "Aide de demo.hpa"
                                                 << "" << false << QList<int>{1, 2, 9, 10};
        QTest::newRow("bad fourth") << block({"MAIN=\"T\",(1,2,3,4x)"}) << true << "Aide de demo.hpa" << "" << false
                                    << QList<int>{1, 2, 3, 10};
        QTest::newRow("missing separators") << block({"main=\"T\",(1,2"}) << true << "Aide de demo.hpa" << ""
                                            << false << QList<int>{1, 8, 9, 10};
        QTest::newRow("stops at topic") << QStringList{"<HPJ>", "TITLE=A", "<bloc0000>", "TITLE=B"} << true << "A"
                                        << "" << false << kept;
        QTest::newRow("stops after block") << (block({"TITLE=A"}) + QStringList{"<POPUP0000>", "TITLE=B", "ICON=b"})
                                           << true << "A" << "" << false << kept;
    }
    void scan()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, found);
        QFETCH(QString, title);
        QFETCH(QString, icon);
        QFETCH(bool, browse);
        QFETCH(QList<int>, place);
        const OptionsScan s = scanOptions(lines, Project, WindowPlace{7, 8, 9, 10});
        QVERIFY(s.ok);
        QCOMPARE(s.blockFound, found);
        QCOMPARE(s.fields.title, title);
        QCOMPARE(s.fields.icon, icon);
        QCOMPARE(s.fields.browseButtons, browse);
        const QList<int> got{s.fields.place.left, s.fields.place.top, s.fields.place.height, s.fields.place.width};
        QCOMPARE(got, place);
    }

    void scanKeepsWholeIcon()
    {
        const QString name = QString(36, 'i') + ".ico";
        const OptionsScan s = scanOptions(block({"ICON=" + name}), Project, {});
        QCOMPARE(s.fields.icon, name.left(15));
        QCOMPARE(s.iconAsWritten, name);
    }

    void scanError_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("piece");
        QTest::newRow("letters first") << "main=\"T\",(abc,5,800,800)" << "abc";
        QTest::newRow("letters second") << "main=\"T\",(100,5x,800,800)" << "5x";
        QTest::newRow("no bracket") << "main=\"T\",100,5,800,800" << "main=\"T\"";
    }
    void scanError()
    {
        QFETCH(QString, line);
        QFETCH(QString, piece);
        const OptionsScan s = scanOptions(block({"TITLE=Vu", "ICON=a.ico", line}), Project, WindowPlace{7, 8, 9, 10});
        QVERIFY(!s.ok);
        QVERIFY2(s.error.contains(QStringLiteral("« ") + piece + QStringLiteral(" »")), qPrintable(s.error));
        QVERIFY(s.error.contains(QStringLiteral("nombre entier")));
        QCOMPARE(s.fields.place, (WindowPlace{7, 8, 9, 10}));
        QVERIFY(s.fields.title.isEmpty()); // nothing of the scan is to be applied
    }

    void colours_data()
    {
        QTest::addColumn<quint32>("word");
        QTest::addColumn<bool>("resolve");
        QTest::addColumn<QString>("rgb");
        QTest::newRow("white") << quint32(0x00FFFFFF) << false << "255,255,255";
        QTest::newRow("light grey") << quint32(0x00C0C0C0) << false << "192,192,192";
        QTest::newRow("byte order") << quint32(0x00332211) << false << "17,34,51";
        QTest::newRow("top byte ignored") << quint32(0x02010203) << false << "3,2,1";
        QTest::newRow("system read as it stands") << quint32(0x80000005) << false << "5,0,0";
        QTest::newRow("system resolved") << quint32(0x80000005) << true << "10,20,30";
        QTest::newRow("explicit not resolved") << quint32(0x00000005) << true << "5,0,0";
    }
    void colours()
    {
        QFETCH(quint32, word);
        QFETCH(bool, resolve);
        QFETCH(QString, rgb);
        const SystemColourResolver resolver = [](quint32 w) { return w == 0x80000005u ? 0x001E140Au : 0u; };
        QCOMPARE(rgbText(word, resolve ? resolver : SystemColourResolver{}), rgb);
    }

    void mainWindowLineExample()
    {
        const QString line = mainWindowLine(QStringLiteral("Aide de demo.hpa"), WindowPlace{}, 0x00FFFFFF, 0x00C0C0C0);
        QCOMPARE(line, QStringLiteral("main=\"Aide de demo.hpa\",(100,5,800,800),0,(255,255,255),(192,192,192)"));
        QCOMPARE(mainWindowLine(QStringLiteral("T"), WindowPlace{-3, 0, 2147483647, 1}, 0, 0x00FFFFFF),
            QStringLiteral("main=\"T\",(-3,0,2147483647,1),0,(0,0,0),(255,255,255)"));
    }

    void blockLines_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("browse");
        QTest::addColumn<QStringList>("expected");
        const QString mainLine = QStringLiteral("main=\"Mon aide\",(1,2,3,4),0,(255,255,255),(192,192,192)");
        QTest::newRow("plain") << "" << false
                               << QStringList{"<HPJ>", "[OPTIONS]", "TITLE=Mon aide", "[FILES]", "demo.rtf",
                                      "[CONFIG]", "", "[WINDOWS]", mainLine, "</HPJ>"};
        QTest::newRow("icon and buttons") << "aide.ico" << true
                                          << QStringList{"<HPJ>", "[OPTIONS]", "TITLE=Mon aide", "ICON=aide.ico",
                                                 "[FILES]", "demo.rtf", "[CONFIG]", "BrowseButtons()", "[WINDOWS]",
                                                 mainLine, "</HPJ>"};
        QTest::newRow("blank icon is none") << "   " << false
                                            << QStringList{"<HPJ>", "[OPTIONS]", "TITLE=Mon aide", "[FILES]",
                                                   "demo.rtf", "[CONFIG]", "", "[WINDOWS]", mainLine, "</HPJ>"};
    }
    void blockLines()
    {
        QFETCH(QString, icon);
        QFETCH(bool, browse);
        QFETCH(QStringList, expected);
        OptionsFields f{QStringLiteral("Mon aide"), icon, browse, WindowPlace{1, 2, 3, 4}};
        QCOMPARE(optionsBlock(f, QStringLiteral("demo.rtf"), 0x00FFFFFF, 0x00C0C0C0), expected);
    }

    void replaceBlock_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("in place, map dropped") << QStringList{"<HEADER>", "</HEADER>", "<HPJ>", "[MAP]", "IDH_A\t1",
                                                      "</HPJ>", "<BLOC0000>"}
                                               << QStringList{"<HEADER>", "</HEADER>", "<HPJ>", "N", "</HPJ>",
                                                      "<BLOC0000>"};
        QTest::newRow("tag case ignored") << QStringList{"a", "<hpj>", "old", "</HPJ>", "b"}
                                          << QStringList{"a", "<HPJ>", "N", "</HPJ>", "b"};
        QTest::newRow("close must be exact") << QStringList{"<HPJ>", "</hpj>", "</HPJ>", "b"}
                                             << QStringList{"<HPJ>", "N", "</HPJ>", "b"};
        QTest::newRow("unclosed runs to the end") << QStringList{"a", "<HPJ>", "x", "y"}
                                                  << QStringList{"a", "<HPJ>", "N", "</HPJ>"};
        QTest::newRow("none: at the top") << QStringList{"<BLOC0000>", "t"}
                                          << QStringList{"<HPJ>", "N", "</HPJ>", "<BLOC0000>", "t"};
    }
    void replaceBlock()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        replaceProjectBlock(lines, {QStringLiteral("<HPJ>"), QStringLiteral("N"), QStringLiteral("</HPJ>")});
        QCOMPARE(lines, expected);
    }
};

TYX_TEST(ProjectOptionsTest);
#include "ProjectOptionsTest.moc"
