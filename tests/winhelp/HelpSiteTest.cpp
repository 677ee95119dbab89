// The site of a help already read, with the contents file (.cnt) beside it: books and topics.
#include "support/TestRegistry.h"
#include "winhelp/format/CntFile.h"
#include "winhelp/html/HtmlHelp.h"
#include "winhelp/reader/HelpFileRead.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class HelpSiteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void contentsFile_data()
    {
        QTest::addColumn<QByteArray>("cnt");
        QTest::addColumn<QString>("tree"); // label(title for the search)|page|depth of each entry of sommaire.js
        QTest::newRow("no contents file") << QByteArray() << "Accueil|index|0 Bee|B|0 Cee|C|0";
        QTest::newRow("books hold their topics") << QByteArray(":Base p.hlp\r\n1 Livre\r\n2 La page B=B\r\n2 Livre 2\r\n3 Cee=C>second\r\n")
                                                 << "Accueil|index|0 Livre||0 La_page_B(Bee)|B|1 Livre_2||1 Cee|C|2";
        QTest::newRow("a book left empty goes") << QByteArray("1 Vide\r\n2 Ailleurs=X@autre.hlp\r\n2 Inconnu=ZZZ\r\n1 Bee=B\r\n")
                                                << "Accueil|index|0 Bee|B|0 Cee|C|0";
        QTest::newRow("a popup the contents names is a page") << QByteArray("1 La note=N\r\n")
                                                              << "Accueil|index|0 La_note|N|0 Bee|B|0 Cee|C|0";
    }
    void contentsFile()
    {
        QFETCH(QByteArray, cnt);
        QFETCH(QString, tree);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("P.hpj"), "[OPTIONS]\r\nTITLE=Essai\r\n[FILES]\r\np.rtf\r\n[WINDOWS]\r\nsecond=\"S\"\r\n"));
        QVERIFY(writeFile(dir.filePath("p.rtf"),
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\r\n"
            "#{\\footnote A}${\\footnote Accueil}\r\nAccueil {\\uldb B}{\\v B} {\\ul note}{\\v N}\\par\\page\r\n"
            "#{\\footnote B}${\\footnote Bee}\r\nTexte B\\par\\page\r\n"
            "#{\\footnote C}${\\footnote Cee}\r\nTexte C\\par\\page\r\n"
            "#{\\footnote N}\r\nLa note\\par\\page\r\n}"));
        const hlp::HelpFileRead read = hlp::readHelpProject(dir.filePath("P.hpj"));
        QVERIFY2(read.help, qPrintable(read.error));
        read.help->contents = hlp::parseContentsFile(cnt);

        const hlp::CompileResult r = hlp::html::writeHtmlHelp(*read.help, dir.filePath("site"));
        QVERIFY2(r.written, qPrintable(r.diagnostics.join('\n')));
        QStringList entries;
        static const QRegularExpression entry(QStringLiteral("\\[\"([^\"]*)\",\"([^\"]*)\",(\\d+)(?:,\"([^\"]*)\")?\\]"));
        for (auto it = entry.globalMatch(QString::fromUtf8(readFile(dir.filePath("site/sommaire.js")))); it.hasNext();) {
            const auto m = it.next();
            const QString title = m.captured(4).isEmpty() ? QString() : '(' + m.captured(4) + ')';
            entries << QString(m.captured(1) + title).replace(' ', '_') + '|' + m.captured(2) + '|' + m.captured(3);
        }
        QCOMPARE(entries.join(' '), tree);
        // Every entry with a page has it; a book has none.
        for (const QString& e : entries)
            if (const QString page = e.section('|', 1, 1); !page.isEmpty())
                QVERIFY2(QFile::exists(dir.filePath("site/" + page + ".html")), qPrintable(page));
        // A book holds no words of its own: the search finds none of its name.
        QVERIFY(!readFile(dir.filePath("site/recherche.js")).contains("livre"));
    }
};

TYX_TEST(HelpSiteTest);
#include "HelpSiteTest.moc"
