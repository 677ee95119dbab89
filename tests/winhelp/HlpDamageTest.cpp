// Damaged and foreign help files: each is refused (or the damaged part left out) with a French
// reason that names the part, never a crash, a hang or a memory blow-up; the structure checker
// survives the same bytes.
#include "support/FileBytes.h"
#include "support/TestRegistry.h"
#include "winhelp/format/HelpPicture.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"
#include "winhelp/reader/HelpFileRead.h"
#include "winhelp/reader/HlpFileReader.h"

#include <QTest>
#include <functional>

namespace {

QByteArray sample(const char* file)
{
    return testfile::read(QStringLiteral(TYX_TEST_DATA "/hlp-samples/") + QString::fromLatin1(file));
}

// Where the file header of an internal file is (one-page directories, as the samples have).
int fileAt(const QByteArray& hlp, const QByteArray& name)
{
    const int directory = hlp::ByteReader(hlp, 4).i32();
    const qsizetype at = hlp.indexOf(QByteArray(name + QByteArray(1, 0)), directory);
    return at < 0 ? -1 : hlp::ByteReader(hlp, static_cast<int>(at + name.size() + 1)).i32();
}

void put32(QByteArray& b, int at, std::uint32_t v)
{
    hlp::putU32(b, at, v);
}

// The offset of a bitmap's Height field in |bmN (its first picture).
int heightField(const QByteArray& hlp, const QByteArray& name)
{
    const int content = fileAt(hlp, name) + 9;
    hlp::ByteReader r(hlp, content + 4);
    const int picture = content + static_cast<int>(r.u32());
    r.seek(picture + 2);
    r.culong();
    r.culong();
    r.cushort();
    r.cushort();
    r.culong();
    return r.pos();
}

using Damage = std::function<QByteArray(QByteArray)>;

} // namespace

Q_DECLARE_METATYPE(Damage)

class HlpDamageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedWithTheReason_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<bool>("read");   // still read, the damaged part left out
        QTest::addColumn<QString>("part"); // named in the reason
        const QByteArray readme = sample("abbrevia-readme/README.HLP");
        const QByteArray disk = sample("diskarcher/DISKARC.HLP");
        const QByteArray drop = sample("ddab-pjdropfiles/PJDropFiles.hlp");
        QTest::newRow("empty") << QByteArray() << Damage([](QByteArray b) { return b; }) << false << QStringLiteral("trop court");
        QTest::newRow("not a help file") << QByteArray(5000, 'x') << Damage([](QByteArray b) { return b; }) << false
                                         << QStringLiteral("pas un fichier d'aide");
        QTest::newRow("truncated") << readme << Damage([](QByteArray b) { return b.left(b.size() / 2); }) << false << QStringLiteral("tronqué");
        QTest::newRow("declared size of 4 GB") << readme << Damage([](QByteArray b) {
            put32(b, 12, 0xFFFFFFFFu);
            return b;
        }) << false << QStringLiteral("tronqué");
        QTest::newRow("directory outside the file") << readme << Damage([](QByteArray b) {
            put32(b, 4, static_cast<std::uint32_t>(b.size() + 100));
            return b;
        }) << false << QStringLiteral("répertoire interne");
        // Issue 23: a negative offset from the directory was read before the buffer.
        QTest::newRow("negative offset in the directory") << readme << Damage([](QByteArray b) {
            const int directory = hlp::ByteReader(b, 4).i32();
            put32(b, static_cast<int>(b.indexOf("|TOPIC", directory) + 7), 0x80000010u); // far before the bytes
            return b;
        }) << false << QStringLiteral("|TOPIC");
        QTest::newRow("internal file of 4 GB") << readme << Damage([](QByteArray b) {
            put32(b, fileAt(b, "|SYSTEM") + 4, 0x7FFFFFF0u);
            return b;
        }) << false << QStringLiteral("|SYSTEM");
        QTest::newRow("B-tree that loops") << readme << Damage([](QByteArray b) {
            hlp::putU16(b, fileAt(b, "|CONTEXT") + 9 + 38 + 6, 0); // the only leaf follows itself
            return b;
        }) << false << QStringLiteral("|CONTEXT");
        // The checker's keyword list once followed such a chain for ever.
        QTest::newRow("keyword B-tree that loops") << readme << Damage([](QByteArray b) {
            hlp::putU16(b, fileAt(b, "|KWBTREE") + 9 + 38 + 6, 0);
            return b;
        }) << false << QStringLiteral("|KWBTREE");
        QTest::newRow("B-tree larger than its file") << readme << Damage([](QByteArray b) {
            hlp::putU16(b, fileAt(b, "|VIOLA") + 9 + 30, 30000);
            return b;
        }) << false << QStringLiteral("|VIOLA");
        QTest::newRow("chain of links that loops") << drop << Damage([](QByteArray b) {
            put32(b, fileAt(b, "|TOPIC") + 9 + 12 + 12, 12); // the first link leads to itself
            return b;
        }) << false << QStringLiteral("|TOPIC");
        QTest::newRow("LZ77 before the start") << readme << Damage([](QByteArray b) {
            const int data = fileAt(b, "|TOPIC") + 9 + 12;
            b[data] = '\x01'; // the block's first item a match: nothing before it
            return b;
        }) << false << QStringLiteral("|TOPIC");
        QTest::newRow("phrase number past the table") << readme << Damage([](QByteArray b) {
            put32(b, fileAt(b, "|PhrIndex") + 9 + 4, 3);
            return b;
        }) << false << QStringLiteral("phrase");
        QTest::newRow("phrase text of 4 GB") << readme << Damage([](QByteArray b) {
            put32(b, fileAt(b, "|PhrIndex") + 9 + 12, 0xFFFFFFFFu);
            return b;
        }) << false << QStringLiteral("|PhrImage");
        QTest::newRow("old phrase table") << disk << Damage([](QByteArray b) {
            hlp::putU16(b, fileAt(b, "|Phrases") + 9, 3);
            return b;
        }) << false << QStringLiteral("|Phrases");
        QTest::newRow("picture larger than it says") << disk << Damage([](QByteArray b) {
            const int at = heightField(b, "|bm0");
            hlp::ByteReader r(b, at);
            const unsigned height = r.culong();
            hlp::putU16(b, at, (height / 2) * 2); // the short form: half the rows
            return b;
        }) << true << QStringLiteral("|bm0");
    }
    void refusedWithTheReason()
    {
        QFETCH(QByteArray, file);
        QFETCH(Damage, damage);
        QFETCH(bool, read);
        QFETCH(QString, part);
        const QByteArray damaged = damage(file);
        const hlp::HelpFileRead r = hlp::readHelpBytes(damaged);
        QCOMPARE(bool(r.help), read);
        const QString said = read ? r.warnings.join('\n') : r.error;
        QVERIFY2(said.contains(part), qPrintable(said));
        // The structure checker finds fault with the same bytes, and survives them.
        hlp::HlpFile checker;
        QVERIFY(!checker.load(damaged));
        QVERIFY(!checker.problems().isEmpty());
        checker.keywords();
    }

    // Noise packed with run lengths grows by one byte in 127 before LZ77 packs it: still the
    // picture it says, not one refused as too large.
    void pictureWhoseRunLengthsAreLarger()
    {
        QByteArray pixels(64 * 64, '\0');
        for (int i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<char>((i * 7919) >> 3);
        const QByteArray runs = hlp::rleEncode(pixels);
        QVERIFY(runs.size() > pixels.size());
        const QByteArray stored = hlp::lz77Encode(runs);
        hlp::ByteWriter head;
        head.u8(6);
        head.u8(3);
        head.culong(96);
        head.culong(96);
        head.cushort(1);
        head.cushort(8);
        head.culong(64);
        head.culong(64);
        head.culong(256);
        head.culong(0);
        head.culong(static_cast<std::uint32_t>(stored.size()));
        head.culong(0);
        head.u32(static_cast<std::uint32_t>(head.size() + 8 + 1024));
        head.u32(0);
        hlp::ByteWriter picture;
        picture.u16(0x506C);
        picture.u16(1);
        picture.u32(8);
        picture.raw(head.bytes);
        picture.zeros(1024);
        picture.raw(stored);
        hlp::HelpPictureInfo info;
        QString why;
        QVERIFY2(hlp::readHelpPicture(picture.bytes, info, nullptr, &why), qPrintable(why));
        QCOMPARE(info.pixels, pixels);
    }
};

TYX_TEST(HlpDamageTest);
#include "HlpDamageTest.moc"
