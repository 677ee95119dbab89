// What the .hlp format cannot hold (a title over 1,000 bytes, a paragraph over 32,767 bytes) is
// fitted with a warning and no text lost; a failed write keeps the old .hlp; what is not a
// regular file is refused at once.
#include "winhelp/HlpCompiler.h"
#include "winhelp/model/Limits.h"
#include "winhelp/reader/HlpFileReader.h"
#include "support/FaultPoints.h"
#include "support/FileBytes.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

namespace {

const QByteArray kHpj = "[OPTIONS]\r\nTITLE=Limites\r\n[FILES]\r\np.rtf\r\n";

QByteArray rtf(const QByteArray& title, const QByteArray& body)
{
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\n#{\\footnote IDH_A}${\\footnote " + title + "}\\f0 " + body
        + "\\par\n\\page\n#{\\footnote IDH_B}${\\footnote B}B\\par\n\\page\n}\n";
}

// Words of every length, so the cut finds spaces.
QByteArray words(int bytes)
{
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i)
        out += QByteArray::number(i) + ' ';
    return out.left(bytes);
}

QByteArray topicText(const hlp::HlpFile::Topic& t)
{
    QByteArray s;
    for (const auto& p : t.paragraphs)
        s += p.text;
    return s;
}

} // namespace

class LimitsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fittedAndConsistent_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("keptTitle");
        QTest::addColumn<QByteArray>("keptText"); // what the first topic's paragraphs hold
        QTest::addColumn<QString>("warning");
        const QByteArray longTitle(1001, 'C');
        QTest::newRow("title of 1,001 bytes") << longTitle << QByteArray("x") << longTitle.left(1000) << QByteArray("x")
                                             << QString::fromUtf8("seuls les 1000 premiers sont gardés");
        const QByteArray para = words(40000);
        QTest::newRow("paragraph of 40,000 bytes") << QByteArray("A") << para << QByteArray("A") << para
                                                  << QString::fromUtf8("il est coupé en 2 paragraphes");
        const QByteArray linked = words(20000) + "{\\uldb " + words(30000) + "}{\\v IDH_B}" + words(30000);
        QTest::newRow("cut inside a link") << QByteArray("A") << linked << QByteArray("A") << words(20000) + words(30000) + words(30000)
                                          << QString::fromUtf8("il est coupé en 3 paragraphes");
        const QByteArray noSpace(70000, 'z');
        QTest::newRow("no space to cut at") << QByteArray("A") << noSpace << QByteArray("A") << noSpace
                                           << QString::fromUtf8("il est coupé en 3 paragraphes");
    }
    void fittedAndConsistent()
    {
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, keptTitle);
        QFETCH(QByteArray, keptText);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        QVERIFY(testfile::write(dir.filePath("p.hpj"), kHpj) && testfile::write(dir.filePath("p.rtf"), rtf(title, body)));
        const hlp::CompileResult r = hlp::HlpCompiler().compile(dir.filePath("p.hpj"));
        QVERIFY2(r.written, qPrintable(r.diagnostics.join('\n')));
        QCOMPARE(r.errorCount, 0);
        QVERIFY2(r.diagnostics.join('\n').contains(warning), qPrintable(r.diagnostics.join('\n')));
        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().join('\n')));
        QCOMPARE(f.topics().size(), size_t(2));
        QCOMPARE(f.topics()[0].title, keptTitle);
        QCOMPARE(topicText(f.topics()[0]), keptText);
        for (const auto& p : f.topics()[0].paragraphs)
            QVERIFY(p.text.size() <= hlp::MaxParagraphBytes);
        QCOMPARE(f.topics()[1].title, QByteArray("B"));
    }

    // The .hlp of the last compile stays byte for byte when its writing fails at any point.
    void writeFailureKeepsOldHelpFile()
    {
        QTemporaryDir dir;
        QVERIFY(testfile::write(dir.filePath("p.hpj"), kHpj) && testfile::write(dir.filePath("p.rtf"), rtf("A", words(200000))));
        QVERIFY(testfile::write(dir.filePath("p.hlp"), "ancienne aide"));
        const QList<faults::Point> points = faults::record([&] { QVERIFY(hlp::HlpCompiler().compile(dir.filePath("p.hpj")).written); });
        QVERIFY(points.size() >= 7); // create, several pieces, sync, close, rename
        for (int i = 0; i < points.size(); ++i) {
            QVERIFY(testfile::write(dir.filePath("p.hlp"), "ancienne aide"));
            const auto before = faults::folderBytes(dir.path());
            hlp::CompileResult r;
            {
                const faults::Inject fault(i, ENOSPC);
                r = hlp::HlpCompiler().compile(dir.filePath("p.hpj"));
            }
            QVERIFY2(!r.written, faults::stepName(points[i].step));
            QCOMPARE(r.topicCount, 0);
            QVERIFY2(r.diagnostics.join('\n').contains(QString::fromUtf8("disque plein")), qPrintable(r.diagnostics.join('\n')));
            QVERIFY(r.diagnostics.last().contains(QString::fromUtf8("n'a pas été écrit")));
            QCOMPARE(faults::folderBytes(dir.path()), before);
        }
    }

    void projectThatIsNoRegularFile()
    {
        QTemporaryDir dir;
        const QString hpj = dir.filePath("p.hpj");
        QCOMPARE(mkfifo(QFile::encodeName(hpj).constData(), 0600), 0);
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        QVERIFY(!r.written);
        QVERIFY2(r.diagnostics.join('\n').contains(QString::fromUtf8("ce n'est pas un fichier ordinaire")), qPrintable(r.diagnostics.join('\n')));
        QVERIFY(!QFile::exists(dir.filePath("p.hlp")));
    }
};

TYX_TEST(LimitsTest);
#include "LimitsTest.moc"
