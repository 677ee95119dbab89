#include "publish/core/BuildNames.h"
#include "publish/core/HlpViewer.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace publish;

class HlpViewerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QStringList>("expected"); // hpj, rtf, hlp, folder, hpj name, hlp name
        QTest::newRow("worked example") << "D:\\AIDE\\DEMO.HPA"
                                        << QStringList{"D:\\AIDE\\DEMO.hpj", "D:\\AIDE\\DEMO.rtf", "D:\\AIDE\\DEMO.hlp",
                                               "D:\\AIDE\\", "DEMO.hpj", "DEMO.hlp"};
        QTest::newRow("unnamed") << "" << QStringList{".hpj", ".rtf", ".hlp", "", ".hpj", ".hlp"};
        QTest::newRow("no extension") << "/p/notes" << QStringList{"/p/notes.hpj", "/p/notes.rtf", "/p/notes.hlp",
                                                            "/p/", "notes.hpj", "notes.hlp"};
        QTest::newRow("dot in folder only") << "/p.v2/notes"
                                            << QStringList{"/p.v2/notes.hpj", "/p.v2/notes.rtf", "/p.v2/notes.hlp",
                                                   "/p.v2/", "notes.hpj", "notes.hlp"};
        QTest::newRow("last dot counts") << "a.b.hpa" << QStringList{"a.b.hpj", "a.b.rtf", "a.b.hlp", "", "a.b.hpj",
                                                             "a.b.hlp"};
    }
    void names()
    {
        QFETCH(QString, project);
        QFETCH(QStringList, expected);
        const BuildNames n = buildNames(project);
        QCOMPARE((QStringList{n.hpj, n.rtf, n.hlp, n.folder, n.hpjName(), n.hlpName()}), expected);
    }

    void lookup_data()
    {
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("mimeDefault");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("leading");
        const QStringList xdg{"xdg-mime", "xdg-open"};
        QTest::newRow("desktop default") << (xdg + QStringList{"wine"}) << "wine-extension-hlp.desktop\n"
                                         << int(hlpviewer::Kind::Desktop) << "/bin/xdg-open" << QStringList{};
        QTest::newRow("no default, wine") << (xdg + QStringList{"wine"}) << "" << int(hlpviewer::Kind::WinHelp)
                                          << "/bin/wine" << QStringList{"winhlp32"};
        QTest::newRow("no xdg, wine") << QStringList{"wine"} << "ignored.desktop" << int(hlpviewer::Kind::WinHelp)
                                      << "/bin/wine" << QStringList{"winhlp32"};
        QTest::newRow("native viewer") << QStringList{"winhlp32", "wine"} << "" << int(hlpviewer::Kind::WinHelp)
                                       << "/bin/winhlp32" << QStringList{};
        QTest::newRow("nothing") << xdg << "  \n" << int(hlpviewer::Kind::None) << "" << QStringList{};
    }
    void lookup()
    {
        QFETCH(QStringList, onPath);
        QFETCH(QString, mimeDefault);
        QFETCH(int, kind);
        QFETCH(QString, program);
        QFETCH(QStringList, leading);
        QStringList queries;
        hlpviewer::Probe probe;
        probe.findProgram = [onPath](const QString& name) {
            return onPath.contains(name) ? QStringLiteral("/bin/") + name : QString();
        };
        probe.queryOutput = [&](const QString& p, const QStringList& args) {
            queries << p + QLatin1Char(' ') + args.join(QLatin1Char(' '));
            return mimeDefault;
        };
        const hlpviewer::Viewer v = hlpviewer::find(probe);
        QCOMPARE(int(v.kind), kind);
        QCOMPARE(v.program, program);
        QCOMPARE(v.leadingArguments, leading);
        if (onPath.contains(QStringLiteral("xdg-mime")))
            QCOMPARE(queries, QStringList{QStringLiteral("/bin/xdg-mime query default application/winhlp")});
        if (v.kind == hlpviewer::Kind::None) {
            QVERIFY(v.reason.contains(QStringLiteral("Wine")));
        } else {
            QVERIFY(v.reason.isEmpty());
            const launcher::Start s = hlpviewer::call(v, {QStringLiteral("DEMO.hlp")}, QStringLiteral("/p/"));
            QCOMPARE(s.arguments, leading + QStringList{QStringLiteral("DEMO.hlp")});
            QCOMPARE(s.workingDirectory, QStringLiteral("/p/"));
        }
    }
};

TYX_TEST(HlpViewerTest);
#include "HlpViewerTest.moc"
