// The renderer: the help model as the rich-text document a viewer shows.
#include "support/TestRegistry.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/RtfReader.h"
#include "winhelp/render/HelpRenderer.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace {

struct Drawn {
    hlp::HelpDocument doc;
    hlp::HelpProject project;
    QTextDocument region, text;
};

void draw(Drawn& d, const QByteArray& body)
{
    hlp::Diagnostics diag;
    hlp::RtfReader(d.doc, diag)
        .read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}{\\f2\\ftech Symbol;}{\\f3\\fnil WingDings;}}"
              "{\\colortbl;\\red255\\green0\\blue0;}\r\n#{\\footnote IDH_T}\r\n"
                  + body + "\\par}",
            QStringLiteral("essai.rtf"));
    hlp::HelpRenderer(d.doc, d.project).render(0, d.region, d.text);
}

QTextCursor at(QTextDocument& doc, const QString& word)
{
    QTextCursor c = doc.find(word);
    if (!c.isNull())
        c.setPosition(c.selectionStart() + 1); // the format of the word's first character
    return c;
}

} // namespace

class HelpRendererTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawsWhatTheModelSays_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("feature");
        QTest::newRow("bold, red, Courier 14 points") << QByteArray("{\\f1\\fs28\\b\\cf1 Gras} fin") << "character";
        QTest::newRow("signs of Symbol and Wingdings") << QByteArray("{\\f2 \\'61\\'b3}{\\f3 \\'a7\\'fc} Signes") << "signs";
        QTest::newRow("centred") << QByteArray("\\qc Centre") << "centre";
        QTest::newRow("indents") << QByteArray("\\li720\\fi-360\\sb120 Retrait") << "indents";
        QTest::newRow("tab stops") << QByteArray("\\tx1440\\tqr\\tx2880 a\\tab b") << "tabs";
        QTest::newRow("boxed paragraph") << QByteArray("\\box Encadre") << "box";
        QTest::newRow("table with its widths")
            << QByteArray("\\trowd\\trgaph108\\clbrdrb\\brdrs\\cellx1440\\cellx4320 A\\cell B\\cell\\row") << "table";
        QTest::newRow("non-scrolling region") << QByteArray("\\keepn Titre\\par\\pard Texte") << "region";
        QTest::newRow("jump") << QByteArray("{\\uldb Lien}{\\v IDH_X>sec}") << "jump";
        QTest::newRow("popup") << QByteArray("{\\ul Mot}{\\v Pp0001}") << "popup";
        QTest::newRow("picture of the RTF")
            << QByteArray("{\\pict\\dibitmap0\\picw2\\pich1 28000000020000000100000001001800000000000800000000000000000000000000000000000000"
                          "0000ff00ff000000}")
            << "picture";
    }
    void drawsWhatTheModelSays()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, feature);
        Drawn d;
        draw(d, body);
        if (feature == "character") {
            const QTextCharFormat f = at(d.text, "Gras").charFormat();
            QCOMPARE(f.fontWeight(), int(QFont::Bold));
            QCOMPARE(f.foreground().color(), QColor(255, 0, 0));
            QCOMPARE(f.fontPointSize(), 14.0);
            QCOMPARE(f.fontFamilies().toStringList(), QStringList{"Courier New"});
            QCOMPARE(at(d.text, "fin").charFormat().fontWeight(), int(QFont::Normal));
        } else if (feature == "signs") {
            QCOMPARE(d.text.toPlainText().trimmed(), QString::fromUtf8("α≥▪✔ Signes"));
            QCOMPARE(at(d.text, QString::fromUtf8("α")).charFormat().fontFamilies().toStringList(), QStringList{});
        } else if (feature == "centre") {
            QCOMPARE(at(d.text, "Centre").blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        } else if (feature == "indents") {
            const QTextBlockFormat b = at(d.text, "Retrait").blockFormat();
            QCOMPARE(b.leftMargin(), 48.0);
            QCOMPARE(b.textIndent(), -24.0);
            QCOMPARE(b.topMargin(), 8.0);
        } else if (feature == "tabs") {
            const QList<QTextOption::Tab> tabs = at(d.text, "a").blockFormat().tabPositions();
            QCOMPARE(tabs, (QList<QTextOption::Tab>{{96, QTextOption::LeftTab}, {192, QTextOption::RightTab}}));
        } else if (feature == "box") {
            QTextTable* box = at(d.text, "Encadre").currentTable();
            QVERIFY(box);
            const QTextTableCellFormat cell = box->cellAt(0, 0).format().toTableCellFormat();
            QCOMPARE(cell.topBorder(), 1.0);
            QCOMPARE(cell.leftBorder(), 1.0);
        } else if (feature == "table") {
            QTextTable* table = at(d.text, "A").currentTable();
            QVERIFY(table);
            QCOMPARE(table->columns(), 2);
            const QList<QTextLength> widths = table->format().columnWidthConstraints();
            QCOMPARE(widths, (QList<QTextLength>{QTextLength(QTextLength::FixedLength, 96), QTextLength(QTextLength::FixedLength, 192)}));
            QCOMPARE(table->cellAt(0, 1).firstCursorPosition().block().text(), QStringLiteral("B"));
            QCOMPARE(table->cellAt(0, 0).format().toTableCellFormat().bottomBorder(), 1.0);
            QCOMPARE(table->cellAt(0, 0).format().toTableCellFormat().leftPadding(), 7.2);
        } else if (feature == "region") {
            QCOMPARE(d.region.toPlainText(), QStringLiteral("Titre"));
            QCOMPARE(d.text.toPlainText().trimmed(), QStringLiteral("Texte"));
        } else if (feature == "jump" || feature == "popup") {
            const QTextCharFormat f = at(d.text, feature == "jump" ? "Lien" : "Mot").charFormat();
            QVERIFY(f.isAnchor());
            hlp::LinkRef link;
            QVERIFY(hlp::parseLinkHref(f.anchorHref(), link));
            const hlp::LinkRef expected = feature == "jump" ? hlp::LinkRef{hlp::LinkKind::Jump, "IDH_X", "sec", {}}
                                                            : hlp::LinkRef{hlp::LinkKind::Popup, "Pp0001", {}, {}};
            QCOMPARE(link, expected);
            QCOMPARE(f.foreground().color(), QColor(0, 128, 0));
            QCOMPARE(f.underlineStyle(), feature == "jump" ? QTextCharFormat::SingleUnderline : QTextCharFormat::DotLine);
        } else if (feature == "picture") {
            QTextCursor c(&d.text);
            c.movePosition(QTextCursor::NextCharacter);
            const QTextImageFormat image = c.charFormat().toImageFormat();
            QVERIFY(image.isValid());
            QCOMPARE(image.width(), 2.0);
            const QImage drawn = d.text.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
            QCOMPARE(drawn.pixelColor(0, 0), QColor(255, 0, 0));
        }
    }
};

TYX_TEST(HelpRendererTest);
#include "HelpRendererTest.moc"
