// The compression of help files: LZ77 streams that the viewers' decoder gives back byte for byte,
// the encoder's promises to the topic block layout (literals it never matches, streams filled to
// an exact size, rewinding), and run length coding.
#include "winhelp/format/Lz77.h"
#include "support/TestRegistry.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray b(size, '\0');
    for (char& c : b)
        c = static_cast<char>(random.bounded(256));
    return b;
}

QByteArray helpText(int size)
{
    QByteArray b;
    for (int i = 0; b.size() < size; ++i)
        b += "Ligne " + QByteArray::number(i) + " : l'\xE9l\xE8ve \xE9" "crit \x80 5 ; ";
    return b.left(size);
}

QByteArray decoded(const std::string& stream, bool* truncated = nullptr)
{
    return hlp::lz77Decode(stream.data(), static_cast<qsizetype>(stream.size()), truncated);
}

} // namespace

class Lz77Test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<double>("atMost"); // compressed size / size
        QTest::newRow("empty") << QByteArray() << 1.0;
        QTest::newRow("one byte") << QByteArray("a") << 2.0;
        QTest::newRow("a run copies itself") << QByteArray(5000, 'a') << 0.15;
        QTest::newRow("help text") << helpText(60000) << 0.4;
        QTest::newRow("noise") << noise(20000, 7) << 1.13;
        QTest::newRow("text then noise then text") << helpText(9000) + noise(3000, 3) + helpText(9000) << 0.6;
        QTest::newRow("zeros past the window") << QByteArray(3, 'x') + QByteArray(9000, '\0') + QByteArray(3, 'x') << 0.15;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, data);
        QFETCH(double, atMost);
        const QByteArray packed = hlp::lz77Encode(data);
        bool truncated = true;
        QCOMPARE(hlp::lz77Decode(packed.constData(), packed.size(), &truncated), data);
        QVERIFY(!truncated);
        QVERIFY2(packed.size() <= qMax<qsizetype>(2, static_cast<qsizetype>(data.size() * atMost)),
                 qPrintable(QStringLiteral("%1 -> %2").arg(data.size()).arg(packed.size())));
    }

    // What the topic layout relies on: marked bytes are stored as literals, never matched and never
    // matched against, so writing other values into the stream changes those bytes only.
    void markedBytesCanBeWrittenLater()
    {
        QByteArray data = helpText(12000);
        std::vector<std::uint8_t> later(static_cast<size_t>(data.size()), 0);
        for (qsizetype i = 100; i < data.size(); i += 250)
            std::fill_n(later.begin() + i, 4, 1);
        hlp::Lz77Encoder encoder;
        encoder.start();
        encoder.encode(data.constData(), later.data(), data.size());
        std::string stream = encoder.output();
        QCOMPARE(static_cast<qsizetype>(encoder.patches().size()), qsizetype(std::count(later.begin(), later.end(), 1)));
        for (const auto& [raw, out] : encoder.patches()) {
            const char value = static_cast<char>(raw * 7 + 1);
            stream[static_cast<size_t>(out)] = value;
            data[raw] = value;
        }
        QCOMPARE(decoded(stream), data);
        QVERIFY(stream.size() < static_cast<size_t>(data.size()) / 2);
    }

    // Pieces encoded one after the other make one stream; a rewind forgets the last piece.
    void piecesAndRewind()
    {
        const QByteArray data = helpText(9000) + noise(2000, 11);
        const std::vector<std::uint8_t> later(static_cast<size_t>(data.size()), 0);
        hlp::Lz77Encoder encoder;
        encoder.start();
        const qsizetype cuts[] = {17, 400, 401, 5000, 8999, 10500, data.size()};
        hlp::Lz77Encoder::Mark mark;
        for (const qsizetype end : cuts) {
            if (end == data.size())
                mark = encoder.mark();
            encoder.encode(data.constData(), later.data(), end);
            QCOMPARE(encoder.done(), end);
        }
        QCOMPARE(decoded(encoder.output()), data);
        encoder.rewind(mark);
        QCOMPARE(decoded(encoder.output()), data.left(10500));
        // A new unit starts with an empty window: nothing of the previous one is matched.
        encoder.start();
        encoder.encode(data.constData() + 9000, later.data(), 1000);
        QCOMPARE(decoded(encoder.output()), data.mid(9000, 1000));
    }

    void fillReachesTheExactSize_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("full");
        QTest::newRow("text") << helpText(16384) << 4084 << true;
        QTest::newRow("noise") << noise(16384, 5) << 4084 << true;
        QTest::newRow("zeros") << QByteArray(16384, '\0') << 4084 << true;
        for (int size = 1; size <= 20; ++size)
            QTest::addRow("small %d", size) << helpText(200) << size << true;
        QTest::newRow("data ends first") << helpText(3000) << 4084 << false;
    }
    void fillReachesTheExactSize()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, size);
        QFETCH(bool, full);
        const std::vector<std::uint8_t> later(static_cast<size_t>(data.size()), 0);
        hlp::Lz77Encoder encoder;
        encoder.start();
        QCOMPARE(encoder.fill(data.constData(), later.data(), data.size(), size), full);
        if (full)
            QCOMPARE(encoder.size(), qsizetype(size));
        else
            QCOMPARE(encoder.done(), data.size());
        bool truncated = true;
        QCOMPARE(decoded(encoder.output(), &truncated), data.left(encoder.done()));
        QVERIFY(!truncated);
    }

    void truncatedStreams_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("decoded");
        QTest::addColumn<bool>("truncated");
        QTest::newRow("half a match") << QByteArray("\x04" "ab\x01", 4) << QByteArray("ab") << true;
        QTest::newRow("before the first byte") << QByteArray("\x01\x05\x00", 3) << QByteArray() << true;
        QTest::newRow("lone flag byte") << QByteArray("\x00" "abcdefgh" "\x00", 10) << QByteArray("abcdefgh") << false;
    }
    void truncatedStreams()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, decoded);
        QFETCH(bool, truncated);
        bool got = !truncated;
        QCOMPARE(hlp::lz77Decode(stream.constData(), stream.size(), &got), decoded);
        QCOMPARE(got, truncated);
    }

    void runLengths_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("long run") << QByteArray(1000, '\x07');
        QTest::newRow("long literal run") << noise(1000, 9);
        QTest::newRow("mixed") << QByteArray("ab") + QByteArray(3, 'c') + noise(130, 1) + QByteArray(128, '\0') + "z";
    }
    void runLengths()
    {
        QFETCH(QByteArray, data);
        QCOMPARE(hlp::rleDecode(hlp::rleEncode(data)), data);
    }
};

TYX_TEST(Lz77Test);
#include "Lz77Test.moc"
