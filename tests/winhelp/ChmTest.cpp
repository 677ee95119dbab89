// The compiled HTML help read back by chmlib, a reader written elsewhere: random files of every
// size and kind come out whole (by the listing and by name, through the index chunks), the code
// lengths stay complete and bounded, and the viewer's tables say what the project says.
#include "SampleProject.h"
#include "platform/core/SafeFile.h"
#include "publish/core/HtmlBuild.h"
#include "winhelp/chm/ChmContainer.h"
#include "winhelp/chm/ChmHelp.h"
#include "winhelp/chm/Lzx.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/reader/HelpFileRead.h"
#include "support/TestRegistry.h"

#include <QDirIterator>
#include <QtEndian>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {

bool run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The file as chmlib extracts it: "/name" -> bytes.
std::map<QByteArray, QByteArray> extracted(const QByteArray& chm, const QTemporaryDir& dir)
{
    std::map<QByteArray, QByteArray> files;
    const QString path = dir.filePath(QStringLiteral("t.chm"));
    const QString out = dir.filePath(QStringLiteral("out"));
    if (!safefile::write(path, chm) || !run(QStringLiteral("extract_chmLib"), {path, out}))
        return files;
    for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString f = it.next();
        QByteArray bytes;
        safefile::read(f, bytes);
        files['/' + f.mid(out.size() + 1).toUtf8()] = bytes;
    }
    return files;
}

QByteArray randomBytes(QRandomGenerator& r, int size, int kind)
{
    static const QList<QByteArray> words{"<p>", "rubrique ", "aide ", "</p>\n", "href=\"", ".html\"", "Tyx ", "\xE9t\xE9 ", "  "};
    QByteArray b;
    // Records of a few shapes with their own numbers, as pages repeat their markup: matches at a
    // handful of distances in turn.
    for (int n = 0; kind == 3 && b.size() < size; ++n)
        b += QByteArray(n % 3 == 0 ? "<li><a href=\"p" : n % 3 == 1 ? "<p class=\"corps\">Texte " : "<span>")
            + QByteArray::number(r.bounded(1000)) + (n % 2 ? "</a></li>\n" : ".html\">");
    while (b.size() < size) {
        if (kind == 0)
            b += words[r.bounded(words.size())];
        else
            b += kind == 1 ? static_cast<char>(r.bounded(256)) : '\0';
    }
    b.truncate(size);
    return b;
}

const char* const ChmlibMissing = "chmlib's tools (libchm-bin) are not installed";

} // namespace

class ChmTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Random containers: text, bytes that do not compress, zeros; sizes across frame and reset
    // boundaries; enough names for several listing chunks under index chunks.
    void chmlibReadsEveryFileBack_data()
    {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<int>("kind");
        QTest::newRow("no compressed byte") << 1 << 0 << 0 << 0;
        QTest::newRow("text over many frames") << 2 << 40 << 30000 << 0;
        QTest::newRow("bytes that do not compress") << 3 << 6 << 70000 << 1;
        QTest::newRow("zeros") << 4 << 5 << 100000 << 2;
        QTest::newRow("records") << 6 << 8 << 90000 << 3;
        QTest::newRow("many names, index chunks") << 5 << 1500 << 200 << 0;
    }
    void chmlibReadsEveryFileBack()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("extract_chmLib")).isEmpty())
            QSKIP(ChmlibMissing);
        QFETCH(int, seed);
        QFETCH(int, count);
        QFETCH(int, maxSize);
        QFETCH(int, kind);
        QRandomGenerator r(static_cast<quint32>(seed));
        std::vector<hlp::chm::ChmEntry> entries;
        QSet<QByteArray> taken;
        const QByteArray letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.";
        while (static_cast<int>(entries.size()) < count + 3) {
            QByteArray name = r.bounded(4) == 0 ? "/images/" : "/";
            name += letters[r.bounded(letters.size() - 3)]; // a name a file system takes: no "." nor ".."
            for (int i = r.bounded(40); i > 0; --i)
                name += letters[r.bounded(letters.size())];
            if (taken.contains(name.toLower()))
                continue;
            taken.insert(name.toLower());
            const bool compressed = static_cast<int>(entries.size()) >= 3;
            entries.push_back({name, randomBytes(r, r.bounded(maxSize + 1), compressed ? kind : 0), compressed});
        }
        const QByteArray chm = hlp::chm::packChm(entries, 0x040C);
        QTemporaryDir dir;
        const auto files = extracted(chm, dir);
        for (const hlp::chm::ChmEntry& e : entries) {
            const auto it = files.find(e.name);
            QVERIFY2(it != files.end(), e.name.constData());
            QVERIFY2(it->second == e.bytes, QByteArray(e.name + " " + QByteArray::number(it->second.size()) + " " + QByteArray::number(e.bytes.size())).constData());
        }
        // By name, as a viewer opens a page: through the index chunks to the right listing.
        for (size_t i = 0; i < entries.size(); i += 97) {
            if (entries[i].bytes.isEmpty())
                continue; // chmlib retrieves nothing, and says so, for an empty file
            const QString out = dir.filePath(QStringLiteral("one"));
            QVERIFY2(run(QStringLiteral("test_chmLib"), {dir.filePath(QStringLiteral("t.chm")), QString::fromUtf8(entries[i].name), out}),
                entries[i].name.constData());
            QByteArray bytes;
            safefile::read(out, bytes);
            QCOMPARE(bytes, entries[i].bytes);
        }
    }

    // Every tree is a complete prefix code (readers refuse any other), no code longer than the
    // format allows, every used symbol coded.
    void codeLengthsAreCompleteAndBounded_data()
    {
        QTest::addColumn<std::vector<std::uint32_t>>("frequencies");
        QTest::addColumn<int>("maxBits");
        std::vector<std::uint32_t> fibonacci{1, 1};
        while (fibonacci.size() < 40)
            fibonacci.push_back(fibonacci[fibonacci.size() - 1] + fibonacci[fibonacci.size() - 2]);
        QTest::newRow("skewed past 16 bits") << fibonacci << 16;
        QTest::newRow("one symbol used") << std::vector<std::uint32_t>{0, 0, 7, 0} << 16;
        QTest::newRow("none used") << std::vector<std::uint32_t>(249, 0) << 16;
        QTest::newRow("pretree") << std::vector<std::uint32_t>{900, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1} << 15;
    }
    void codeLengthsAreCompleteAndBounded()
    {
        QFETCH(std::vector<std::uint32_t>, frequencies);
        QFETCH(int, maxBits);
        const std::vector<std::uint8_t> lengths = hlp::chm::codeLengths(frequencies.data(), static_cast<int>(frequencies.size()), maxBits);
        std::uint64_t kraft = 0;
        for (size_t s = 0; s < lengths.size(); ++s) {
            QVERIFY(lengths[s] <= maxBits);
            QVERIFY(frequencies[s] == 0 || lengths[s] > 0);
            if (lengths[s])
                kraft += 1ull << (maxBits - lengths[s]);
        }
        QCOMPARE(kraft, 1ull << maxBits);
    }

    // The demo project: its title, default topic, language, window, contents tree, keywords and
    // [MAP] numbers as the viewer reads them.
    void viewerTablesOfTheDemo()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("extract_chmLib")).isEmpty())
            QSKIP(ChmlibMissing);
        QTemporaryDir dir;
        const QString hpj = hlptest::demoProject().writeWithBuild(dir.path(), QStringLiteral("demo"));
        QVERIFY(hlptest::writeDemoPictures(dir.path()));
        const hlp::HelpFileRead read = hlp::readHelpProject(hpj);
        QVERIFY2(read.help, qPrintable(read.error));
        hlp::Diagnostics diagnostics;
        const auto files = extracted(hlp::chm::makeChm(read.help->view(diagnostics), {}, QStringLiteral("Demo")), dir);
        const auto file = [&](const char* name) {
            const auto it = files.find(name);
            return it == files.end() ? QByteArray() : it->second;
        };
        const QByteArray strings = file("/#STRINGS");
        const auto dword = [](const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); };
        const auto string = [&](quint32 at) { return QByteArray(strings.constData() + at); };

        // #SYSTEM: code -> data.
        std::map<int, QByteArray> system;
        const QByteArray sys = file("/#SYSTEM");
        for (qsizetype at = 4; at + 4 <= sys.size();) {
            const int code = qFromLittleEndian<quint16>(sys.constData() + at);
            const int size = qFromLittleEndian<quint16>(sys.constData() + at + 2);
            system[code] = sys.mid(at + 4, size);
            at += 4 + size;
        }
        QCOMPARE(system[3], QByteArray("Aide de d\xE9mo\0", 13));
        QCOMPARE(system[2], QByteArray("index.html\0", 11));
        QCOMPARE(system[0], QByteArray("sommaire.hhc\0", 13));
        QCOMPARE(system[1], QByteArray("motscles.hhk\0", 13));
        QCOMPARE(system[5], QByteArray("main\0", 5));
        QCOMPARE(system[6], QByteArray("demo\0", 5));
        QCOMPARE(dword(system[4], 0), 0x040Cu);

        // #WINDOWS: the window "main", its caption, its contents, index and first page.
        const QByteArray windows = file("/#WINDOWS");
        QCOMPARE(dword(windows, 0), 1u);
        QCOMPARE(string(dword(windows, 8 + 0x08)), QByteArray("main"));
        QVERIFY(!string(dword(windows, 8 + 0x14)).isEmpty());
        QCOMPARE(string(dword(windows, 8 + 0x60)), QByteArray("sommaire.hhc"));
        QCOMPARE(string(dword(windows, 8 + 0x64)), QByteArray("motscles.hhk"));
        QCOMPARE(string(dword(windows, 8 + 0x68)), QByteArray("index.html"));

        // #IVB: each [MAP] number once, with the page the site's map gives it.
        const QByteArray ivb = file("/#IVB");
        const QByteArray contexts = file("/contextes.json");
        QCOMPARE(dword(ivb, 0), quint32(ivb.size() - 4));
        QCOMPARE(ivb.size(), 4 + 8 * qsizetype(read.help->project.map.size()));
        for (qsizetype at = 4; at < ivb.size(); at += 8)
            QVERIFY2(contexts.contains(QByteArray('"' + QByteArray::number(dword(ivb, at)) + "\": \"" + string(dword(ivb, at + 4)) + '"')),
                string(dword(ivb, at + 4)).constData());

        // #TOPICS: one entry per page, each title a string of #STRINGS, none across 4 KB.
        const QByteArray topics = file("/#TOPICS");
        QCOMPARE(topics.size(), 16 * qsizetype(read.help->document.topics.size() + 1)); // the keyword page too
        for (qsizetype at = 0; at < topics.size(); at += 16) {
            const quint32 title = dword(topics, at + 4);
            QVERIFY(title == 0xFFFFFFFFu || (title % 4096) + string(title).size() < 4096);
        }

        // The contents as the site's tree; the keywords of the demo with their topics.
        const QByteArray hhc = file("/sommaire.hhc");
        QCOMPARE(hhc.count("<param name=\"Local\""), qsizetype(read.help->document.topics.size() - 1)); // the popup stays out
        const QByteArray hhk = file("/motscles.hhk");
        QVERIFY(hhk.count("<LI>") > 0);
        for (const hlp::Topic& t : read.help->document.topics)
            for (const QByteArray& k : t.keywords)
                QVERIFY2(hhk.contains(QByteArray("value=\"" + k.trimmed() + '"')), k.constData());
    }

    // The contents keep the author's levels: the four level-2 topics under the level-1 topic
    // before them, the sixth topic back at the top.
    void contentsKeepTheLevels()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("extract_chmLib")).isEmpty())
            QSKIP(ChmlibMissing);
        QTemporaryDir dir;
        const hlptest::SampleProject project = hlptest::generatedProject(6);
        const hlp::HelpFileRead read = hlp::readHelpProject(project.writeWithBuild(dir.path(), QStringLiteral("gen")));
        QVERIFY2(read.help, qPrintable(read.error));
        hlp::html::HtmlOptions options;
        options.contents = publish::htmlContents(project.documentLines(QStringLiteral("gen.rtf")), 6);
        hlp::Diagnostics diagnostics;
        const QByteArray hhc = extracted(hlp::chm::makeChm(read.help->view(diagnostics), options, QStringLiteral("gen")), dir)["/sommaire.hhc"];
        QCOMPARE(hhc.count("<UL>"), 2);
        QCOMPARE(hhc.count("\n\t\t<LI>"), 4);
        QCOMPARE(hhc.count("\n\t<LI>"), 2);
        QVERIFY(hhc.indexOf("\t</UL>\r\n\t<LI>") > hhc.lastIndexOf("\t\t<LI>"));
    }

    // A contents file's book is a heading without a page, its topics under it, each named as the
    // contents file names it (a help file read with its .cnt).
    void contentsBooksOfAContentsFile()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("extract_chmLib")).isEmpty())
            QSKIP(ChmlibMissing);
        QTemporaryDir dir;
        const hlptest::SampleProject project = hlptest::generatedProject(4);
        const hlp::HelpFileRead read = hlp::readHelpProject(project.writeWithBuild(dir.path(), QStringLiteral("gen")));
        QVERIFY2(read.help, qPrintable(read.error));
        const auto& topics = read.help->document.topics;
        hlp::ContentsFile cnt;
        cnt.lines.push_back({1, "Chapitre", {}, {}, {}});
        cnt.lines.push_back({2, "Premier", topics[1].contexts.value(0), {}, {}});
        cnt.lines.push_back({2, "Second", topics[2].contexts.value(0), {}, {}});
        hlp::html::HtmlOptions options;
        options.contents = hlp::html::contentsEntries(cnt);
        hlp::Diagnostics diagnostics;
        const QByteArray hhc = extracted(hlp::chm::makeChm(read.help->view(diagnostics), options, QStringLiteral("gen")), dir)["/sommaire.hhc"];
        const qsizetype book = hhc.indexOf("value=\"Chapitre\"");
        QVERIFY2(book > 0, hhc.constData());
        QVERIFY(hhc.indexOf("</OBJECT>", book) < hhc.indexOf("name=\"Local\"", book)); // no page of its own
        QVERIFY(hhc.indexOf("\n\t\t<LI>", book) > book);
        QVERIFY(hhc.contains("value=\"Premier\""));
        QVERIFY(hhc.contains("value=\"Second\""));
    }

    // A .chm that cannot be written leaves the earlier one as it was, and says why.
    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString hpj = hlptest::demoProject().writeWithBuild(dir.path(), QStringLiteral("demo"));
        const QString chm = dir.filePath(QStringLiteral("demo.chm"));
        QVERIFY(safefile::write(chm, "ancien"));
        safefile::setFaultHook([](safefile::Step step, const QString&) { return step == safefile::Step::Write ? 28 : 0; });
        const hlp::CompileResult r = hlp::chm::writeChmHelp(hpj, chm);
        safefile::setFaultHook(nullptr);
        QVERIFY(!r.written);
        QVERIFY2(r.diagnostics.join('\n').contains(QString::fromUtf8("n'a pas pu être écrit")), qPrintable(r.diagnostics.join('\n')));
        QByteArray bytes;
        QVERIFY(safefile::read(chm, bytes));
        QCOMPARE(bytes, QByteArray("ancien"));
        QVERIFY(hlp::chm::writeChmHelp(hpj, chm).written);
        QVERIFY(safefile::read(chm, bytes));
        QVERIFY(bytes.startsWith("ITSF"));
    }
};

TYX_TEST(ChmTest);
#include "ChmTest.moc"
