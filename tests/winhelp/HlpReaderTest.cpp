// The reader of any help file: real files made by the 3.1 and 4.0 compilers (their topics as
// Wine's viewer counts them, their text, keywords, pictures and names), and files of our own
// compiler read back into the model the compiler read (topics, titles, text, links, tables,
// windows, [MAP]).
#include "FeatureProjects.h"
#include "SampleProject.h"
#include "support/FileBytes.h"
#include "support/TestRegistry.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/format/HelpPicture.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/model/BrowseSequence.h"
#include "winhelp/reader/HelpFileRead.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString sample(const char* file)
{
    return QStringLiteral(TYX_TEST_DATA "/hlp-samples/") + QString::fromLatin1(file);
}

// A paragraph as text: tabs as \t, line breaks as \n, pictures as {N}.
QByteArray text(const hlp::Paragraph& p)
{
    QByteArray out;
    for (const hlp::Item& item : p.items) {
        if (item.kind == hlp::ItemKind::Text)
            out += item.text;
        else if (item.kind == hlp::ItemKind::Tab)
            out += '\t';
        else if (item.kind == hlp::ItemKind::LineBreak)
            out += '\n';
        else if (item.kind == hlp::ItemKind::NbSpace)
            out += ' ';
        else if (item.kind == hlp::ItemKind::Picture)
            out += "{pic}";
    }
    return out;
}

QByteArray text(const hlp::Topic& t)
{
    QByteArray out;
    for (const hlp::Paragraph& p : t.paragraphs)
        out += text(p) + '|';
    return out;
}

// The topic each context string (or alias) names, without regard to case (as the hash).
QHash<QByteArray, int> contextTopics(const hlp::LoadedHelp& help)
{
    QHash<QByteArray, int> out;
    for (size_t t = 0; t < help.document.topics.size(); ++t)
        for (const QByteArray& c : help.document.topics[t].contexts)
            out.insert(c.toLower(), static_cast<int>(t));
    for (const auto& [alias, topic] : help.aliases)
        out.insert(alias.toLower(), topic);
    return out;
}

// Every hot spot of a topic: its kind and where it leads (the topic's index for a jump or
// popup in this file), in order.
QStringList links(const hlp::LoadedHelp& help, const hlp::Topic& t)
{
    const QHash<QByteArray, int> topics = contextTopics(help);
    QStringList out;
    for (const hlp::Paragraph& p : t.paragraphs) {
        for (const hlp::Item& item : p.items) {
            if (item.kind != hlp::ItemKind::HotspotBegin)
                continue;
            const hlp::LinkTarget& where = t.linkTarget(item);
            QString target;
            if (item.link == hlp::LinkKind::Macro)
                target = QString::fromLatin1(item.text);
            else if (!where.file.isEmpty())
                target = QString::fromLatin1(item.text + '@' + where.file);
            else
                target = QString::number(topics.value(item.text.toLower(), -1));
            out << QStringLiteral("%1%2 %3>%4").arg(int(item.link)).arg(item.plainLink ? "%" : "", target, QString::fromLatin1(where.window.toLower()));
        }
    }
    return out;
}

QSet<QByteArray> lower(const QList<QByteArray>& list)
{
    QSet<QByteArray> out;
    for (const QByteArray& b : list)
        out.insert(b.toLower());
    return out;
}

// A help file of the given internal files (in name order), its directory one leaf page.
QByteArray helpFile(const std::vector<std::pair<QByteArray, QByteArray>>& files)
{
    hlp::ByteWriter w;
    w.u32(0x00035F3F);
    w.i32(0);
    w.i32(-1);
    w.u32(0);
    hlp::ByteWriter leaf;
    for (const auto& [name, content] : files) {
        leaf.stringz(name);
        leaf.i32(w.size());
        w.i32(static_cast<std::int32_t>(content.size() + 9));
        w.i32(static_cast<std::int32_t>(content.size()));
        w.u8(0);
        w.raw(content);
    }
    const int directory = w.size();
    const int pageSize = 1024;
    hlp::ByteWriter tree;
    tree.u16(0x293B);
    tree.u16(0x0402);
    tree.u16(pageSize);
    tree.fixedString("z4", 16);
    tree.i16(0);
    tree.i16(0);
    tree.i16(0);
    tree.i16(-1);
    tree.i16(1);
    tree.i16(1);
    tree.i32(static_cast<std::int32_t>(files.size()));
    tree.u16(static_cast<unsigned>(pageSize - 8 - leaf.size()));
    tree.i16(static_cast<int>(files.size()));
    tree.i16(-1);
    tree.i16(-1);
    tree.raw(leaf.bytes);
    tree.zeros(pageSize - 8 - leaf.size());
    w.i32(tree.size() + 9);
    w.i32(tree.size());
    w.u8(4);
    w.raw(tree.bytes);
    hlp::putU32(w.bytes, 4, static_cast<std::uint32_t>(directory));
    hlp::putU32(w.bytes, 12, static_cast<std::uint32_t>(w.size()));
    return w.bytes;
}

// Two topics in the 3.0 layout; the first jumps to the second (topic number 17).
QByteArray help30()
{
    struct Link {
        unsigned type;
        QByteArray ld1, ld2;
    };
    auto header = [](const QByteArray& title) {
        hlp::ByteWriter h;
        h.i32(0);
        h.i32(-1);
        h.i32(-1);
        return Link{2, h.bytes, title};
    };
    auto text = [](const QByteArray& commands, const QByteArray& strings) {
        hlp::ByteWriter t;
        t.cslong(static_cast<std::int32_t>(commands.size() + 6));
        t.raw(QByteArray("\x00\x80\x00\x00\x00\x00", 6)); // paragraph info without values
        t.raw(commands);
        return Link{1, t.bytes, strings};
    };
    const QByteArray jump = QByteArray("\x80\x00\x00\xE1", 4) + QByteArray("\x11\x00\x00\x00\x89\x82\xFF", 7);
    const std::vector<Link> links = {header("Premier"), text(jump, QByteArray("\0Voir \0la suite\0\0\0", 17)), header("Second"),
                                     text(QByteArray("\x82\xFF", 2), QByteArray("Fin.\0\0", 6)), header("")};
    hlp::ByteWriter topic;
    topic.i32(-1);
    topic.i32(12);
    topic.i32(0);
    std::vector<int> pos;
    for (size_t i = 0; i < links.size(); ++i) {
        const Link& l = links[i];
        const int size = 21 + static_cast<int>(l.ld1.size() + l.ld2.size());
        pos.push_back(topic.size());
        topic.i32(size);
        topic.i32(static_cast<std::int32_t>(l.ld2.size()));
        topic.i32(i == 0 ? -1 : size);
        topic.i32(i + 1 < links.size() ? size : 0); // 3.0: how far the next link is
        topic.i32(21 + static_cast<std::int32_t>(l.ld1.size()));
        topic.u8(l.type);
        topic.raw(l.ld1);
        topic.raw(l.ld2);
    }
    hlp::ByteWriter map; // |TOMAP: [0] the index topic, [16] and [17] the topics
    for (int n = 0; n < 18; ++n)
        map.i32(n == 17 ? pos[2] : n == 0 || n == 16 ? pos[0] : 0);
    hlp::ByteWriter system;
    system.u16(0x036C);
    system.u16(15);
    system.u16(1);
    system.u32(0);
    system.u16(0);
    system.stringz("Aide 3.0");
    hlp::ByteWriter font;
    font.u16(1);
    font.u16(1);
    font.u16(8);
    font.u16(28);
    font.fixedString("Helv", 20);
    font.raw(QByteArray("\x00\x14\x03\x00\x00\x00\x00\x00\x00\x00\x00", 11));
    return helpFile({{"|FONT", font.bytes}, {"|SYSTEM", system.bytes}, {"|TOMAP", map.bytes}, {"|TOPIC", topic.bytes}});
}

} // namespace

class HlpReaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Wine's viewer counts one page more: the empty header that ends every chain of topics.
    void realFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("topics");
        QTest::addColumn<QByteArray>("firstTitle");
        QTest::addColumn<int>("packing"); // 1 LZ77, 2 old phrases, 4 Hall phrases
        QTest::addColumn<int>("keywords");
        QTest::addColumn<int>("aKeywords");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("mapNumbers");
        QTest::addColumn<int>("contentsLines");
        QTest::addColumn<QByteArray>("words"); // in some topic's text, as the sources have them
        QTest::newRow("4.0, LZ77 and Hall phrases") << sample("abbrevia-readme/README.HLP") << 23 << QByteArray("Welcome to Abbrevia") << 5 << 10 << 0 << 0 << 0 << 0
                                                    << QByteArray("LICENSE.PDF, located in the product directory, is the license agreement");
        QTest::newRow("4.0, contents file beside") << sample("abbrevia/ABBREVIA.HLP") << 673 << QByteArray("Welcome to Abbrevia") << 0 << 653 << 0 << 0 << 0 << 62
                                                   << QByteArray("TAbZipKit");
        QTest::newRow("3.1, metafiles") << sample("calc-de/CALC.HLP") << 33 << QByteArray("Inhaltsverzeichniss") << 0 << 41 << 0 << 148 << 4 << 0
                                        << QByteArray("Kopiert den Wert der aktuellen Anzeige auf die Zwischenablage");
        QTest::newRow("4.0, A-keywords and bitmaps") << sample("ddab-pjdropfiles/PJDropFiles.hlp") << 86 << QByteArray("PJDropFiles unit") << 0 << 131 << 108 << 5 << 0 << 0
                                                     << QByteArray("accepts files dragged and dropped from Windows Explorer");
        QTest::newRow("4.0, LZ77 and old phrases") << sample("diskarcher/DISKARC.HLP") << 57 << QByteArray() << 3 << 13 << 0 << 19 << 52 << 0
                                                   << QByteArray("DiskArcher");
    }
    void realFiles()
    {
        QFETCH(QString, file);
        QFETCH(int, topics);
        QFETCH(QByteArray, firstTitle);
        QFETCH(int, packing);
        QFETCH(int, keywords);
        QFETCH(int, aKeywords);
        QFETCH(int, pictures);
        QFETCH(int, mapNumbers);
        QFETCH(int, contentsLines);
        QFETCH(QByteArray, words);
        const hlp::HelpFileRead r = hlp::readHelpFile(file);
        QVERIFY2(r.help, qPrintable(r.error));
        QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join('\n')));
        const hlp::LoadedHelp& help = *r.help;
        const auto& doc = help.document;
        QCOMPARE(int(doc.topics.size()), topics);
        QCOMPARE(doc.topics.front().title, firstTitle);
        const int packed = (help.file.lz77 ? 1 : 0) + (help.file.phrases == hlp::HelpFileFacts::Phrases::Old ? 2 : 0)
            + (help.file.phrases == hlp::HelpFileFacts::Phrases::Hall ? 4 : 0);
        QCOMPARE(packed, packing);
        QSet<QByteArray> k, a;
        bool found = false;
        QSet<std::int32_t> hashes;
        for (const hlp::Topic& t : doc.topics) {
            k.unite(lower(t.keywords));
            for (const hlp::KeywordList& l : t.otherKeywords)
                if (l.footnote == 'A')
                    a.unite(lower(l.keywords));
            found = found || text(t).contains(words);
            // Every topic has names of its own.
            QVERIFY(!t.contexts.isEmpty());
            for (const QByteArray& c : t.contexts) {
                QVERIFY2(!hashes.contains(hlp::contextHash(c)), c.constData());
                hashes.insert(hlp::contextHash(c));
            }
            // Every jump and popup in this file leads to a topic that has its name.
            for (const QString& l : links(help, t))
                QVERIFY2(!l.contains(QStringLiteral(" -1>")), qPrintable(l));
        }
        QCOMPARE(k.size(), keywords);
        QCOMPARE(a.size(), aKeywords);
        QVERIFY2(found, words.constData());
        QCOMPARE(int(doc.pictures.size()), pictures);
        for (const hlp::Picture& p : doc.pictures) {
            hlp::HelpPictureInfo info;
            QVERIFY(hlp::readHelpPicture(p.data, info, nullptr, nullptr));
        }
        QCOMPARE(int(help.project.map.size()), mapNumbers);
        QCOMPARE(int(help.contents.lines.size()), contentsLines);
    }

    // A help file keeps hashes only: the names come back from the title in the forms authors
    // give them, from the contents file and from macros; a topic without any is named after
    // its title, and its links carry that name.
    void namesFoundInTheFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("context");
        QTest::newRow("title joined by _") << sample("abbrevia-readme/README.HLP")
                                           << QByteArray("Installing the full version of Abbrevia after using the Trial-Run Edition")
                                           << QByteArray("Installing_the_full_version_of_Abbrevia_after_using_the_Trial_Run_Edition");
        QTest::newRow("title without its accent") << sample("calc-de/CALC.HLP") << QByteArray("Editmen\xFC") << QByteArray("Editmenu");
        QTest::newRow("the contents file") << sample("abbrevia/ABBREVIA.HLP") << QByteArray("Welcome to Abbrevia") << QByteArray("Welcome_to_Abbrevia");
        QTest::newRow("a macro") << sample("ddab-pjdropfiles/PJDropFiles.hlp") << QByteArray("TPJDropFiles heirachy")
                                 << QByteArray("TPJDropFiles_heirachy");
    }
    void namesFoundInTheFile()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, context);
        const hlp::HelpFileRead r = hlp::readHelpFile(file);
        QVERIFY(r.help);
        for (const hlp::Topic& t : r.help->document.topics)
            if (t.title == title) {
                QCOMPARE(t.contexts.value(0), context);
                return;
            }
        QFAIL("no such topic");
    }

    // Our compiler keeps no names either: the contents file beside the help file (its name in
    // any letter case) gives them back, and every link to the topic then carries that name.
    void namesFromTheContentsFile()
    {
        QTemporaryDir dir;
        const QString hpj = hlptest::writeFeatureProject(QStringLiteral("workshop"), dir.filePath(QStringLiteral("workshop")));
        const hlp::CompileResult compiled = hlp::HlpCompiler().compile(hpj);
        QVERIFY(compiled.written);
        auto names = [&compiled]() {
            const hlp::HelpFileRead r = hlp::readHelpFile(compiled.hlpPath);
            QStringList out;
            if (!r.help)
                return out;
            const hlp::Topic& contents = r.help->document.topics.front();
            out << QString::fromLatin1(contents.contexts.front());
            for (const hlp::Topic& t : r.help->document.topics)
                for (const hlp::Paragraph& p : t.paragraphs)
                    for (const hlp::Item& item : p.items)
                        if (item.kind == hlp::ItemKind::HotspotBegin && contents.contexts.contains(item.text))
                            out << QString::fromLatin1(item.text);
            out << QString::number(r.help->contents.lines.size());
            return out;
        };
        const QStringList before = names();
        QCOMPARE(before, (QStringList{QStringLiteral("Sommaire_de_l_atelier"), QStringLiteral("Sommaire_de_l_atelier"), QStringLiteral("0")}));
        QVERIFY(testfile::write(QFileInfo(compiled.hlpPath).absolutePath() + QStringLiteral("/Atelier.Cnt"),
                                ":Base ATELIER.HLP\r\n1 Le sommaire=IDH_SOMMAIRE\r\n"));
        QCOMPARE(names(), (QStringList{QStringLiteral("IDH_SOMMAIRE"), QStringLiteral("IDH_SOMMAIRE"), QStringLiteral("1")}));
    }

    // What our compiler wrote comes back as the model it read.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("project");
        for (const QString& name : hlptest::featureProjects())
            QTest::newRow(qPrintable(name)) << name;
        QTest::newRow("demo") << QStringLiteral("demo");
        QTest::newRow("generated") << QStringLiteral("generated");
    }
    void roundTrip()
    {
        QFETCH(QString, project);
        QTemporaryDir dir;
        QString hpj;
        if (project == u"demo") {
            QVERIFY(hlptest::writeDemoPictures(dir.path()));
            hpj = hlptest::demoProject().writeWithBuild(dir.path(), QStringLiteral("demo"));
        } else if (project == u"generated") {
            hpj = hlptest::generatedProject(60).writeWithBuild(dir.path(), QStringLiteral("gen"));
        } else {
            hpj = hlptest::writeFeatureProject(project, dir.filePath(project));
        }
        QVERIFY(!hpj.isEmpty());
        const hlp::HelpFileRead source = hlp::readHelpProject(hpj);
        QVERIFY2(source.help, qPrintable(source.error));
        const hlp::CompileResult compiled = hlp::HlpCompiler().compile(hpj);
        QVERIFY2(compiled.written, qPrintable(compiled.diagnostics.join('\n')));
        const hlp::HelpFileRead back = hlp::readHelpFile(compiled.hlpPath);
        QVERIFY2(back.help, qPrintable(back.error));
        QVERIFY2(back.warnings.isEmpty(), qPrintable(back.warnings.join('\n')));

        const hlp::LoadedHelp& a = *source.help;
        const hlp::LoadedHelp& b = *back.help;
        QCOMPARE(b.document.topics.size(), a.document.topics.size());
        QCOMPARE(b.contentsTopic, a.contentsTopic);
        QCOMPARE(b.project.title, a.project.title);
        QCOMPARE(b.project.configMacros, a.project.configMacros);
        QCOMPARE(b.project.textCharset, a.project.textCharset);
        const auto browseA = hlp::browseSequences(a.document);
        const auto browseB = hlp::browseSequences(b.document);
        for (size_t t = 0; t < a.document.topics.size(); ++t) {
            const hlp::Topic& x = a.document.topics[t];
            const hlp::Topic& y = b.document.topics[t];
            QCOMPARE(y.title, x.title);
            QCOMPARE(text(y), text(x));
            QCOMPARE(links(b, y), links(a, x));
            QCOMPARE(lower(y.keywords), lower(x.keywords));
            QCOMPARE(y.macros, x.macros);
            QCOMPARE(y.rows.size(), x.rows.size());
            for (size_t r = 0; r < x.rows.size(); ++r) {
                QCOMPARE(y.rows[r].cells.size(), x.rows[r].cells.size());
                for (size_t c = 0; c < x.rows[r].cells.size(); ++c)
                    QVERIFY(qAbs(y.rows[r].cells[c].right - x.rows[r].cells[c].right) < 30);
            }
            for (size_t p = 0; p < x.paragraphs.size(); ++p) {
                QCOMPARE(y.paragraphs[p].format.keepWithNext, x.paragraphs[p].format.keepWithNext);
                QCOMPARE(y.paragraphs[p].format.align, x.paragraphs[p].format.align);
                QCOMPARE(y.paragraphs[p].row, x.paragraphs[p].row);
                QCOMPARE(y.paragraphs[p].cell, x.paragraphs[p].cell);
            }
            QCOMPARE(browseB[t].previous, browseA[t].previous);
            QCOMPARE(browseB[t].next, browseA[t].next);
        }
        QCOMPARE(b.project.windows.size(), a.project.windows.size());
        for (size_t w = 0; w < a.project.windows.size(); ++w) {
            QCOMPARE(b.project.windows[w].name.toLower(), a.project.windows[w].name.toLower());
            QCOMPARE(b.project.windows[w].caption, a.project.windows[w].caption);
            QCOMPARE(b.project.windows[w].colour, a.project.windows[w].colour);
        }
        // [MAP]: every number leads to the same topic.
        const QHash<QByteArray, int> topicsA = contextTopics(a), topicsB = contextTopics(b);
        QMap<std::uint32_t, int> mapA, mapB;
        for (const hlp::MapEntry& e : a.project.map)
            if (topicsA.contains(e.context.toLower())) // the others were left out, with a warning
                mapA.insert(e.number, topicsA.value(e.context.toLower()));
        for (const hlp::MapEntry& e : b.project.map)
            mapB.insert(e.number, topicsB.value(e.context.toLower(), -1));
        QCOMPARE(mapB, mapA);
        // Pictures, with the hot spots of .shg pictures and where they lead.
        auto hotspots = [](const hlp::LoadedHelp& help) {
            QStringList out;
            for (const hlp::Picture& p : help.document.pictures)
                for (const hlp::PictureHotspot& h : p.hotspots)
                    out << QStringLiteral("%1 %2,%3 %4>%5").arg(int(h.link)).arg(h.x).arg(h.y).arg(QString::fromLatin1(h.target), QString::fromLatin1(h.window));
            out.sort();
            return out;
        };
        QCOMPARE(b.document.pictures.size(), a.document.pictures.size());
        QCOMPARE(hotspots(b), hotspots(a));
    }

    // A WinHelp 3.0 file: the title follows the |SYSTEM header, 2 KB blocks, links say how far
    // the next one is, topics are numbered from 16 and jumps name a number that |TOMAP places.
    void winHelp30()
    {
        const hlp::HelpFileRead r = hlp::readHelpBytes(help30());
        QVERIFY2(r.help, qPrintable(r.error));
        const hlp::LoadedHelp& help = *r.help;
        QCOMPARE(help.file.minor, 15);
        QCOMPARE(help.project.title, QByteArray("Aide 3.0"));
        QCOMPARE(help.document.topics.size(), size_t(2));
        QCOMPARE(help.document.topics[0].title, QByteArray("Premier"));
        QCOMPARE(text(help.document.topics[0]), QByteArray("Voir la suite|"));
        QCOMPARE(text(help.document.topics[1]), QByteArray("Fin.|"));
        QCOMPARE(links(help, help.document.topics[0]), QStringList{QStringLiteral("0 1>")});
        QCOMPARE(help.document.faces.front().name, QByteArray("Helv"));
    }
};

TYX_TEST(HlpReaderTest);
#include "HlpReaderTest.moc"
