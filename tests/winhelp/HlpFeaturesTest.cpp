// The projects people really have: each feature project is compiled, read back with the
// project's own .hlp reader (which checks the whole structure) and looked at record by record.
#include "FeatureProjects.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/format/CodePage.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/model/HelpModel.h"
#include "winhelp/reader/HlpFileReader.h"
#include "support/TestRegistry.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Compiles a feature project; the file must read back without a problem.
struct Compiled {
    hlp::CompileResult result;
    hlp::HlpFile file;
    bool ok = false;
};

void compile(const QTemporaryDir& dir, const QString& name, Compiled& c)
{
    const QString hpj = hlptest::writeFeatureProject(name, dir.filePath(name));
    QVERIFY2(!hpj.isEmpty(), qPrintable(name));
    c.result = hlp::HlpCompiler().compile(hpj);
    QVERIFY2(c.result.written, qPrintable(c.result.diagnostics.join('\n')));
    QCOMPARE(c.result.errorCount, 0);
    QVERIFY2(c.file.load(testfile::read(c.result.hlpPath)), qPrintable(c.file.problems().join('\n')));
    c.ok = true;
}

const hlp::HlpFile::Topic* topicTitled(const hlp::HlpFile& f, const QByteArray& title)
{
    for (const auto& t : f.topics())
        if (t.title == title)
            return &t;
    return nullptr;
}

QList<QByteArray> cells(const hlp::HlpFile::Topic& t, int row)
{
    QList<QByteArray> out;
    for (const auto& p : t.paragraphs)
        if (p.row == row)
            out << QByteArray::number(p.column) + ":" + p.text;
    return out;
}

} // namespace

class HlpFeaturesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyProjectReadsBackWithoutDiagnostics_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("tables") << QStringLiteral("tables") << QStringList();
        QTest::newRow("pictures") << QStringLiteral("pictures") << QStringList();
        // A C header's other #defines and a #define used as a base number are [MAP] entries too.
        QTest::newRow("workshop") << QStringLiteral("workshop")
                                  << QStringList{QStringLiteral("_APS_NEXT_COMMAND_VALUE"), QStringLiteral("IDH_BASE")};
        QTest::newRow("macros") << QStringLiteral("macros") << QStringList();
        QTest::newRow("russian") << QStringLiteral("russian") << QStringList();
    }
    void everyProjectReadsBackWithoutDiagnostics()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, warnings);
        QTemporaryDir dir;
        Compiled c;
        compile(dir, name, c);
        QVERIFY(c.ok);
        QCOMPARE(c.result.diagnostics.size(), warnings.size() + 1);
        for (int i = 0; i < warnings.size(); ++i)
            QVERIFY2(c.result.diagnostics[i].contains(warnings[i]), qPrintable(c.result.diagnostics[i]));
        for (const QString& line : c.result.diagnostics) {
            QVERIFY2(!line.contains(QStringLiteral("ignor")), qPrintable(line));
            QVERIFY2(!line.contains(QStringLiteral("pas prise en charge")), qPrintable(line));
        }
    }

    void tablesBecomeTableRecords()
    {
        QTemporaryDir dir;
        Compiled c;
        compile(dir, QStringLiteral("tables"), c);
        QVERIFY(c.ok);
        const auto* commands = topicTitled(c.file, "Commandes du menu Fichier");
        QVERIFY(commands);
        // Word 97 and the MFC template: a row per \row, two columns, the jump kept in its cell.
        QCOMPARE(commands->rows.size(), size_t(5));
        QCOMPARE(cells(*commands, 0), (QList<QByteArray>{"0:Commande", "1:Action"}));
        QCOMPARE(cells(*commands, 1), (QList<QByteArray>{"0:Nouveau", "1:Cr\xE9" "e un nouveau document."}));
        QCOMPARE(cells(*commands, 3), (QList<QByteArray>{"0:Enregistrer sous", "1:Enregistre le document sous un autre nom."}));
        // An empty cell keeps its place; two paragraphs of one format share the cell's format.
        QCOMPARE(cells(*commands, 4), (QList<QByteArray>{"0:Premier", "1:", "2:Ligne un\rLigne deux"}));
        QCOMPARE(commands->rows[0].columns, 2);
        // \trgaph108 \trleft-108 \cellx2520 \cellx8748, in half-points.
        QCOMPARE(commands->rows[0].widths, (std::vector<std::pair<int, int>>{{241, 0}, {601, 21}}));
        bool jump = false;
        for (const auto& l : commands->links)
            jump = jump || (l.command == 0xE3 && l.hash == hlp::contextHash("IDH_NOUVEAU") && l.text == "Nouveau");
        QVERIFY(jump);
        QCOMPARE(commands->paragraphs.back().row, -1);
        QCOMPARE(commands->paragraphs.back().text, QByteArray("Texte apr\xE8s la table."));

        // Word 2000: the row's definition after its cells; cell borders on every side.
        const auto* borders = topicTitled(c.file, "Tableau avec bordures");
        QVERIFY(borders);
        QCOMPARE(borders->rows.size(), size_t(3));
        QCOMPARE(cells(*borders, 1), (QList<QByteArray>{"0:Alpha", "1:B\xEAta", "2:Gamma"}));
        QCOMPARE(borders->rows[2].columns, 3);
        for (const auto& p : borders->paragraphs) {
            if (p.row >= 0)
                QCOMPARE(p.border, std::uint8_t(hlp::BorderTop | hlp::BorderLeft | hlp::BorderBottom | hlp::BorderRight));
        }
    }

    void picturesOfEveryKind()
    {
        QTemporaryDir dir;
        Compiled c;
        compile(dir, QStringLiteral("pictures"), c);
        QVERIFY(c.ok);
        const auto* t = topicTitled(c.file, "Images dans le texte");
        QVERIFY(t);
        QList<int> shown;
        QList<int> hotspots;
        for (const auto& p : t->paragraphs) {
            shown << p.pictures;
            hotspots << p.pictureHotspots;
        }
        // The metafile, the two bitmaps, the PNG (its metafile twin left out), the JPEG, the .shg
        // and the .bmp, in text order.
        QCOMPARE(shown, (QList<int>{0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(hotspots, (QList<int>{0, 0, 0, 0, 0, 4, 0}));
        struct Expected {
            int type, width, height, bits;
        };
        const Expected expected[] = {{8, 5292, 2646, 0}, {6, 32, 24, 4}, {6, 16, 16, 1}, {6, 96, 48, 4},
                                     {6, 64, 40, 24}, {6, 96, 64, 4}, {6, 48, 32, 4}};
        for (int i = 0; i < 7; ++i) {
            const hlp::HelpPictureInfo* p = c.file.picture(i);
            QVERIFY2(p, qPrintable(QString::number(i)));
            QCOMPARE(p->type, expected[i].type);
            QCOMPARE(p->width, expected[i].width);
            QCOMPARE(p->height, expected[i].height);
            if (expected[i].bits)
                QCOMPARE(p->bitCount, expected[i].bits);
        }
        // COMPRESS=MEDIUM packs the pictures the compiler makes; the .shg is stored as it is.
        QVERIFY(c.file.picture(1)->packing != 0);
        QCOMPARE(c.file.picture(5)->packing, 0);
        const auto& spots = c.file.picture(5)->hotspots;
        QCOMPARE(spots.size(), size_t(4));
        QCOMPARE(spots[2].target, QByteArray("IDH_SECONDAIRE>second"));
        QCOMPARE(c.file.system().flags, 4u);
        QCOMPARE(c.file.file("|bm5"), hlptest::sampleShg());
    }

    void helpWorkshopProject()
    {
        QTemporaryDir dir;
        Compiled c;
        compile(dir, QStringLiteral("workshop"), c);
        QVERIFY(c.ok);
        const hlp::HlpFile& f = c.file;
        const auto& topics = f.topics();
        // Aliases, an alias of an alias among them, lead where their context strings do.
        const std::uint32_t home = topics[0].offset;
        QCOMPARE(topics[0].title, QByteArray("Sommaire de l'atelier"));
        QCOMPARE(f.contextOffset("main_index"), std::optional<std::uint32_t>(home));
        QCOMPARE(f.contextOffset("HIDR_MAINFRAME"), std::optional<std::uint32_t>(home));
        QCOMPARE(f.contextOffset("HID_FILE_NEW"), std::optional<std::uint32_t>(topics[1].offset));
        QCOMPARE(f.contextOffset("HID_FILE_OPEN"), std::optional<std::uint32_t>(topics[2].offset));
        QCOMPARE(f.system().contents, std::optional<std::uint32_t>(home));
        // [MAP]: the .hm file, the C header, hex, #define with a comment and with a sum.
        QCOMPARE(f.mapOffset(0x1E100), std::optional<std::uint32_t>(topics[1].offset));
        QCOMPARE(f.mapOffset(0x1E101), std::optional<std::uint32_t>(topics[2].offset));
        QCOMPARE(f.mapOffset(0x20080), std::optional<std::uint32_t>(home));
        QCOMPARE(f.mapOffset(0x2001), std::optional<std::uint32_t>(topics[3].offset));
        QCOMPARE(f.mapOffset(0x10), std::optional<std::uint32_t>(home));
        QCOMPARE(f.mapOffset(17), std::optional<std::uint32_t>(topics[1].offset));
        QCOMPARE(f.mapOffset(0x12), std::optional<std::uint32_t>(topics[2].offset));
        QCOMPARE(f.mapOffset(105), std::optional<std::uint32_t>(topics[4].offset));
        // Help Workshop windows: only the given fields have their bit.
        const auto& windows = f.system().windows;
        QCOMPARE(windows.size(), size_t(3));
        QCOMPARE(windows[0].flags, 0x0001u | 0x0002u | 0x0004u | 0x0078u | 0x0080u | 0x0100u | 0x0200u | 0x0400u | 0x0800u);
        QCOMPARE(windows[0].maximize, 20736u);
        QCOMPARE(windows[0].colour, 14876671u);
        QCOMPARE(windows[0].nonScrollColour, 12632256u);
        QCOMPARE(windows[1].type, QByteArray("secondary"));
        QCOMPARE(windows[1].name, QByteArray("second"));
        QCOMPARE(windows[1].caption, QByteArray("Seconde fen\xEAtre"));
        QCOMPARE(windows[1].flags, 0x0001u | 0x0002u | 0x0004u | 0x0020u | 0x0100u | 0x0400u);
        QCOMPARE(windows[1].width, 500);
        QCOMPARE(windows[1].colour, 0xE0FFFFu);
        // Jumps into the secondary windows carry the window's number.
        QList<std::uint8_t> commands;
        for (const auto& l : topics[0].links)
            commands << l.command;
        QCOMPARE(commands, (QList<std::uint8_t>{0xE3, 0xEB, 0xEB, 0xE6, 0xE3}));
        // Baggage, byte for byte, under its own name.
        QCOMPARE(f.file("lisezmoi.txt"), testfile::read(dir.filePath(QStringLiteral("workshop/lisezmoi.txt"))));
        QCOMPARE(f.file("table.dat"), QByteArray("TABLE\x00\x01\x02\xFF", 9));
        // COMPRESS=12 Hall Zeck: LZ77 topic blocks.
        QCOMPARE(f.system().flags, 4u);
    }

    void macroHotspotsHoweverWordSplitsThem()
    {
        QTemporaryDir dir;
        Compiled c;
        compile(dir, QStringLiteral("macros"), c);
        QVERIFY(c.ok);
        const auto& t = c.file.topics()[0];
        QCOMPARE(t.macros, QList<QByteArray>{"CloseWindow(`second')"});
        QList<QByteArray> got;
        for (const auto& l : t.links)
            got << QByteArray::number(l.command, 16) + " " + (l.macro.isEmpty() ? QByteArray::number(l.hash) : l.macro) + " | " + l.text;
        const QList<QByteArray> want{
            "c8 AL(`impression',0,`',`') | Voir aussi",
            "c8 AL(`impression',0,`',`') | Rubriques connexes",
            "cc KL(`imprimer',1,`',`') | Sans soulignement",
            "c8 JI(`MACROS.HLP>second',`IDH_CIBLE') | Dans la seconde fen\xEAtre",
            "c8 CloseWindow(`second');JI(`',`IDH_CIBLE') | Deux macros",
            "c8 KL(`imprimer',1) | Imprimer",
            "c8 JI(`',`IDH_CIBLE') | Signet",
            "c8 Back() | Barr\xE9",
            "c8 Next() | Suite ",
            "e3 " + QByteArray::number(hlp::contextHash("IDH_CIBLE")) + " | Cible",
        };
        QCOMPARE(got, want);
    }

    void russianProjectKeepsItsCodePage()
    {
        QTemporaryDir dir;
        Compiled c;
        compile(dir, QStringLiteral("russian"), c);
        QVERIFY(c.ok);
        const hlp::HlpFile& f = c.file;
        const hlp::CodePage cyrillic = hlp::CodePage::forCharset(204);
        QCOMPARE(f.system().charset, std::optional<unsigned>(204));
        QCOMPARE(f.file("|SYSTEM").right(6), QByteArray("\x0B\x00\x02\x00\xCC\x00", 6));
        QCOMPARE(f.system().lcid, std::optional<unsigned>(0x0419));
        QCOMPARE(cyrillic.decode(f.system().title), QStringLiteral("Справка по программе"));
        QCOMPARE(cyrillic.decode(f.system().copyright), QStringLiteral("© Тюкс"));
        // \'xx bytes and \uN characters come out as the same code page 1251 bytes.
        QCOMPARE(cyrillic.decode(f.topics()[0].title), QStringLiteral("Главная страница"));
        QCOMPARE(cyrillic.decode(f.topics()[1].title), QStringLiteral("Печать документа"));
        QCOMPARE(cyrillic.decode(f.topics()[1].paragraphs[1].text), QStringLiteral("Выберите команду «Печать» в меню «Файл»."));
        QCOMPARE(f.keywords().size(), 3);
        QCOMPARE(f.keywordOffsets(cyrillic.encode(QStringLiteral("печать"))), QList<std::uint32_t>{f.topics()[1].offset});
    }

    void russianDiagnosticsReadAsCyrillic()
    {
        QTemporaryDir dir;
        const QString hpj = hlptest::writeFeatureProject(QStringLiteral("russian"), dir.filePath(QStringLiteral("ru")));
        QFile rtf(dir.filePath(QStringLiteral("ru/spravka.rtf")));
        QVERIFY(rtf.open(QIODevice::Append));
        // One more topic with a jump to nowhere: the message names the topic in Cyrillic.
        rtf.write("{\\page #{\\footnote IDH_X}${\\footnote \\'d1\\'e1\\'ee\\'e9}{\\uldb \\'d1\\'f1\\'fb\\'eb\\'ea\\'e0}{\\v IDH_NET}\\par}");
        rtf.close();
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        QVERIFY(r.written);
        QCOMPARE(r.errorCount, 1);
        QVERIFY2(r.diagnostics[0].contains(QStringLiteral("« Сбой »")) && r.diagnostics[0].contains(QStringLiteral("« Ссылка »")),
                 qPrintable(r.diagnostics[0]));
    }
};

TYX_TEST(HlpFeaturesTest);
#include "HlpFeaturesTest.moc"
