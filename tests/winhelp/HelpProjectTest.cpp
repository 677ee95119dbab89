// A help turned into a Tyx Plumet project: the topic text as the editor carries it, the project
// opening in the store as it is, and its build giving the help back.
#include "FeatureProjects.h"
#include "SampleProject.h"
#include "platform/core/SafeFile.h"
#include "publish/core/ProjectBuild.h"
#include "store/core/DocumentStore.h"
#include "support/TestRegistry.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/reader/HelpFileRead.h"
#include "winhelp/writer/ProjectWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A project of A (the contents), B, C (whose title has B's letters), U (untitled) and a popup N, with
// `body` as A's text.
std::shared_ptr<hlp::LoadedHelp> helpWith(const QString& folder, const QByteArray& body)
{
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\r\n"
                           "#{\\footnote A}${\\footnote Accueil}\r\nAccueil\\par\r\n" + body + "\\par\\pard\\page\r\n"
                           "#{\\footnote B}${\\footnote Bee}\r\nTexte B {\\ul note}{\\v N}\\par\\page\r\n"
                           "#{\\footnote N}\r\n{\\b Note en gras}\\par\\page\r\n"
                           "#{\\footnote C}${\\footnote Bee !}\r\nTexte C\\par\\page\r\n"
                           "#{\\footnote U}\r\nTitre  pris\\par Corps U\\par\\page\r\n}";
    if (!writeFile(folder + "/p.rtf", rtf) || !writeFile(folder + "/P.hpj", "[OPTIONS]\r\nTITLE=Essai\r\n[FILES]\r\np.rtf\r\n")
        || !writeFile(folder + "/logo.bmp", hlptest::sampleBmp(8, 4, 4)))
        return nullptr;
    return hlp::readHelpProject(folder + "/P.hpj").help;
}

// The lines of the block that starts with `tag`, tags left out.
QList<QByteArray> block(const hlp::HelpProjectFile& made, const QByteArray& tag)
{
    const qsizetype at = made.lines.indexOf(tag);
    if (at < 0)
        return {};
    const QByteArray close = QByteArray(tag).insert(1, '/');
    return made.lines.mid(at + 1, made.lines.indexOf(close, at) - at - 1);
}

// A topic's text as a reader sees it: its paragraphs' characters, one line each.
QByteArray plainText(const hlp::Topic& topic)
{
    QByteArray out;
    for (const hlp::Paragraph& p : topic.paragraphs) {
        for (const hlp::Item& it : p.items)
            out += it.kind == hlp::ItemKind::Text ? it.text : it.kind == hlp::ItemKind::NbSpace ? QByteArray(" ") : QByteArray();
        out += '\n';
    }
    return out;
}

// Links that reach a topic of the help, and pictures with their bytes and the hot spots of theirs that do.
int reachingLinks(const hlp::LoadedHelp& help, const hlp::Topic& topic)
{
    QSet<QByteArray> contexts;
    for (const hlp::Topic& t : help.document.topics)
        for (const QByteArray& c : t.contexts)
            contexts.insert(c.toLower());
    for (const auto& a : help.aliases)
        contexts.insert(a.first.toLower());
    int n = 0;
    for (const hlp::Paragraph& p : topic.paragraphs)
        for (const hlp::Item& it : p.items)
            if (it.kind == hlp::ItemKind::HotspotBegin && it.link != hlp::LinkKind::Macro && contexts.contains(it.text.toLower()))
                ++n;
            else if (it.kind == hlp::ItemKind::Picture && !help.document.pictures[size_t(it.picture)].data.isEmpty()) {
                ++n;
                for (const hlp::PictureHotspot& h : help.document.pictures[size_t(it.picture)].hotspots)
                    n += h.link != hlp::LinkKind::Macro && contexts.contains(h.target.toLower());
            }
    return n;
}

} // namespace

class HelpProjectTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void topicText_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("lines"); // the body lines of page 0 after its title, '|' between lines
        const QByteArray mark = "\xB6";
        QTest::newRow("formats") << QByteArray("{\\b gras} {\\i it} {\\ul sou}") << "\\b gras\\b0  \\i it\\i0  \\ul sou\\ul0 " + mark;
        QTest::newRow("centred, then plain") << QByteArray("\\qc Centre\\par\\pard Suite") << "\\qc Centre" + mark + "|\\pard Suite" + mark;
        QTest::newRow("boxed") << QByteArray("\\box Cadre") << "\\box Cadre" + mark;
        QTest::newRow("escapes") << QByteArray("a\\{b\\}c\\\\d \\'b6") << "a\\{b\\}c\\\\d \\'b6" + mark;
        QTest::newRow("breaks, tabs, no-break spaces") << QByteArray("un\\line deux\\tab trois\\~quatre")
                                                       << "un\\line deux\\tab trois\\~quatre" + mark;
        QTest::newRow("jump") << QByteArray("{\\uldb Voir}{\\v B}") << "{\\uldb Voir}{\\v IDH_Bee}" + mark;
        QTest::newRow("jump in a window, unmarked") << QByteArray("{\\uldb Voir}{\\v %B>second}") << "{\\uldb Voir}{\\v %IDH_Bee>second}" + mark;
        QTest::newRow("other help file") << QByteArray("{\\uldb Ailleurs}{\\v X@autre.hlp}") << "{\\uldb Ailleurs}{\\v X@autre.hlp}" + mark;
        QTest::newRow("popup") << QByteArray("{\\ul Mot}{\\v N}") << "{\\ul Mot}{\\v Pp0000}" + mark;
        QTest::newRow("macro") << QByteArray("{\\uldb Suite}{\\v !Next()}") << "{\\uldb Suite}{\\v !Next()}" + mark;
        QTest::newRow("missing topic is text") << QByteArray("{\\uldb Rien}{\\v Absent}") << "Rien" + mark;
        QTest::newRow("picture") << QByteArray("\\{bmr logo.bmp\\}") << "\\{bmr p-logo.bmp\\}" + mark;
        QTest::newRow("table") << QByteArray("\\trowd\\trgaph50\\cellx1000\\clbrdrb\\brdrs\\cellx2000\\intbl A\\cell B\\par C\\cell\\row\\pard Fin")
                               << "\\trowd\\trgaph50\\trleft0\\cellx1000\\clbrdrb\\brdrs\\cellx2000\\pard\\intbl A\\cell \\pard\\intbl B\\par "
                                  "\\pard\\intbl C\\cell \\row|\\pard Fin" + mark;
        QTest::newRow("line read as a tag") << QByteArray("<BLOC0009>") << "{}<BLOC0009>" + mark;
    }
    void topicText()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, lines);
        QTemporaryDir dir;
        const auto help = helpWith(dir.path(), body);
        QVERIFY(help);
        const hlp::HelpProjectFile made = hlp::makeHelpProject(*help, dir.filePath("p.hpa"));
        QVERIFY2(made.error.isEmpty(), qPrintable(made.error));
        const QList<QByteArray> page = block(made, "<BLOC0000>");
        QCOMPARE(page.value(1), QByteArray("Accueil\x01")); // the title paragraph is the topic file's own
        QCOMPARE(page.mid(2).join('|'), lines);
        // A title whose letters and digits another page has gets a number: each page keeps its context string.
        QCOMPARE(block(made, "<BLOC0002>").value(1), QByteArray("Bee ! (2)\x01"));
        // A page without a title takes its first paragraph for one.
        QCOMPARE(block(made, "<BLOC0003>").mid(1).join('|'), QByteArray("Titre pris\x01|Corps U\xB6"));
        // The popup's heading is already bold: the topic file makes it so.
        QCOMPARE(block(made, "<POPUP0000>").join('|'), "Note en gras0000\x01|Note en gras\xB6");
    }

    // Every feature project, as a help read from its sources or from its compiled file, becomes a
    // project that opens as it is and builds into the same help: the same topics, titles, text,
    // links, pictures, windows, icon and baggage.
    void buildsTheSameHelp_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<bool>("compiled");
        for (const bool compiled : {false, true})
            for (const QString& name : {QStringLiteral("demo"), QStringLiteral("tables"), QStringLiteral("pictures"),
                     QStringLiteral("workshop"), QStringLiteral("macros")})
                QTest::newRow(qPrintable(name + (compiled ? QStringLiteral(" .hlp") : QString()))) << name << compiled;
    }
    void buildsTheSameHelp()
    {
        QFETCH(QString, project);
        QFETCH(bool, compiled);
        // The help a project gives, read back from its .hlp file when `compiled`.
        const auto help = [compiled](const QString& hpj) {
            if (!compiled)
                return hlp::readHelpProject(hpj);
            const hlp::CompileResult c = hlp::HlpCompiler().compile(hpj);
            return c.written ? hlp::readHelpFile(c.hlpPath) : hlp::HelpFileRead{nullptr, c.diagnostics.join('\n'), {}};
        };
        QTemporaryDir dir;
        const QString source = dir.filePath("source");
        QVERIFY(QDir().mkpath(source));
        QString hpj;
        if (project == u"demo") {
            QVERIFY(hlptest::writeDemoPictures(source));
            hpj = hlptest::demoProject().writeWithBuild(source, "demo");
        } else {
            hpj = hlptest::writeFeatureProject(project, source);
        }
        const hlp::HelpFileRead original = help(hpj);
        QVERIFY2(original.help, qPrintable(original.error));

        const QString hpa = dir.filePath("import/projet.hpa");
        const hlp::HelpProjectFile made = hlp::makeHelpProject(*original.help, hpa);
        QString why;
        QVERIFY2(made.error.isEmpty() && hlp::writeHelpProject(made, hpa, &why), qPrintable(made.error + why));

        store::DocumentStore doc;
        bool missing = false;
        QVERIFY(doc.load(hpa, &missing, &why));
        doc.countBlocks();
        QVERIFY(!doc.altered());
        QCOMPARE(doc.PageCount, made.topics);
        QCOMPARE(doc.PopupCount, made.popups);
        QCOMPARE(doc.saveBytes(), made.bytes()); // a save changes nothing

        const publish::BuildFiles files = publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount,
            store::FieldLook{}, store::FieldLook{}, hpa);
        QVERIFY2(files.ok(), qPrintable(files.error));
        const hlp::HelpFileRead rebuilt = help(files.hpjPath);
        QVERIFY2(rebuilt.help, qPrintable(rebuilt.error));
        QVERIFY2(!hlp::readHelpProject(files.hpjPath).warnings.join('\n').contains("Erreur"), "the build reports an error");

        const auto& before = original.help->document.topics;
        const auto& after = rebuilt.help->document.topics;
        QCOMPARE(after.size(), before.size());
        for (const hlp::Topic& t : before) {
            if (t.title.isEmpty())
                continue;
            const auto same = std::find_if(after.begin(), after.end(), [&](const hlp::Topic& r) { return r.title == t.title; });
            QVERIFY2(same != after.end(), t.title.constData());
            QVERIFY2(plainText(*same).contains(plainText(t).mid(plainText(t).indexOf('\n') + 1)), t.title.constData());
            if (&t != &before[size_t(original.help->contentsTopic)]) // topic 0 gains the contents links
                QCOMPARE(reachingLinks(*rebuilt.help, *same), reachingLinks(*original.help, t));
            QCOMPARE(same->keywords, t.keywords);
        }
        QCOMPARE(rebuilt.help->project.title, original.help->project.title);
        QCOMPARE(rebuilt.help->project.windows.size(), original.help->project.windows.size());
        QCOMPARE(rebuilt.help->icon, original.help->icon);
        QCOMPARE(rebuilt.help->baggage, original.help->baggage);
    }

    // The help files of other compilers: each becomes a project that opens as it is and builds,
    // without an error, into a help of the same topics, titles (a title two pages share gets a
    // number) and pictures.
    void samplesBuildAgain_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* f : {"abbrevia/ABBREVIA.HLP", "abbrevia-readme/README.HLP", "calc-de/CALC.HLP",
                 "ddab-pjdropfiles/PJDropFiles.hlp", "diskarcher/DISKARC.HLP"})
            QTest::newRow(f) << QStringLiteral(TYX_TEST_DATA "/hlp-samples/") + f;
    }
    void samplesBuildAgain()
    {
        QFETCH(QString, file);
        const hlp::HelpFileRead original = hlp::readHelpFile(file);
        QVERIFY2(original.help, qPrintable(original.error));
        QTemporaryDir dir;
        const QString hpa = dir.filePath("projet.hpa");
        const hlp::HelpProjectFile made = hlp::makeHelpProject(*original.help, hpa);
        QString why;
        QVERIFY2(made.error.isEmpty() && hlp::writeHelpProject(made, hpa, &why), qPrintable(made.error + why));
        store::DocumentStore doc;
        bool missing = false;
        QVERIFY(doc.load(hpa, &missing, &why));
        doc.countBlocks();
        QVERIFY(!doc.altered());
        QCOMPARE(doc.saveBytes(), made.bytes());
        const publish::BuildFiles files = publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount,
            store::FieldLook{}, store::FieldLook{}, hpa);
        QVERIFY2(files.ok(), qPrintable(files.error));
        const hlp::CompileResult built = hlp::HlpCompiler().compile(files.hpjPath);
        QVERIFY2(built.written && built.errorCount == 0, qPrintable(built.diagnostics.join('\n')));
        const hlp::HelpFileRead rebuilt = hlp::readHelpFile(built.hlpPath);
        QVERIFY2(rebuilt.help, qPrintable(rebuilt.error));

        const auto& before = original.help->document;
        const auto& after = rebuilt.help->document;
        QCOMPARE(after.topics.size(), before.topics.size());
        QMultiHash<QByteArray, QByteArray> titles;
        for (const hlp::Topic& t : after.topics) {
            const qsizetype number = t.title.endsWith(')') ? t.title.lastIndexOf(" (") : -1;
            titles.insert(number > 0 ? t.title.left(number) : t.title, t.title);
        }
        for (const hlp::Topic& t : before.topics)
            QVERIFY2(t.title.isEmpty() || titles.contains(t.title), t.title.constData());
        const auto shown = [](const hlp::HelpDocument& d) { // the pictures the topics place, each content once
            QSet<QByteArray> placed;
            for (const hlp::Topic& t : d.topics)
                for (const hlp::Paragraph& p : t.paragraphs)
                    for (const hlp::Item& it : p.items)
                        if (it.kind == hlp::ItemKind::Picture && it.picture >= 0 && !d.pictures[size_t(it.picture)].data.isEmpty())
                            placed.insert(d.pictures[size_t(it.picture)].data);
            return placed.size();
        };
        QCOMPARE(shown(after), shown(before));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("reason");
        QTest::newRow("code page 1251") << "russian" << "page de code 1251";
        QTest::newRow("more pages than tags number") << "" << "au plus 10 000";
        QTest::newRow("a picture that cannot be written") << "pictures" << "";
    }
    void refused()
    {
        QFETCH(QString, project);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        std::shared_ptr<hlp::LoadedHelp> help;
        if (project.isEmpty()) {
            help = std::make_shared<hlp::LoadedHelp>();
            help->document.topics.resize(10001);
            for (size_t i = 0; i < help->document.topics.size(); ++i)
                help->document.topics[i].title = "T" + QByteArray::number(qulonglong(i));
        } else {
            help = hlp::readHelpProject(hlptest::writeFeatureProject(project, dir.filePath("source"))).help;
        }
        QVERIFY(help);
        const QString hpa = dir.filePath("projet.hpa");
        const hlp::HelpProjectFile made = hlp::makeHelpProject(*help, hpa);
        QString why = made.error;
        if (reason.isEmpty()) {
            QVERIFY(made.pictures > 0);
            safefile::setFaultHook([](safefile::Step step, const QString& path) {
                return step == safefile::Step::Write && path.endsWith(".bmp") ? 28 : 0;
            });
            const bool written = hlp::writeHelpProject(made, hpa, &why);
            safefile::setFaultHook({});
            QVERIFY(!written);
        } else {
            QVERIFY2(why.contains(reason), qPrintable(why));
            QVERIFY(made.lines.isEmpty());
        }
        QVERIFY(!why.isEmpty());
        QVERIFY(!QFile::exists(hpa)); // the project and its pictures are one set
    }
};

TYX_TEST(HelpProjectTest);
#include "HelpProjectTest.moc"
