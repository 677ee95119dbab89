#include "publish/windows/Printing.h"
#include "store/core/Blocks.h"
#include "support/WidgetDriving.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

using store::TitleEndMark;

namespace {

QStringList topic(int n, const QString& title, const QStringList& body)
{
    QStringList out{store::topicOpenTag(n), "1\\", title + TitleEndMark};
    out << body << store::topicCloseTag(n);
    return out;
}

QStringList threeTopics()
{
    return topic(0, "Accueil", {"ligne a"}) + topic(2, "Fin", {"ligne c"}) + topic(1, "Milieu", {"ligne b1", "ligne b2"});
}

// The text of a PDF as pdftotext reads it, one entry per non-empty line.
QStringList pdfLines(const QString& pdf, bool layout = false)
{
    QProcess p;
    QStringList args;
    if (layout)
        args << "-layout";
    p.start("pdftotext", args << pdf << "-");
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {"<pdftotext failed>"};
    QStringList lines;
    for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (!l.trimmed().isEmpty() && l != "\f")
            lines << l.trimmed().remove(u'\f');
    return lines;
}

int pdfPages(const QString& pdf)
{
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(20000);
    for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (l.startsWith("Pages:"))
            return l.mid(6).trimmed().toInt();
    return -1;
}

// Drives the print dialog: the page fields (or "all") then OK.
std::function<int(QDialog&)> pages(int from, int to, int* shownMin = nullptr, int* shownMax = nullptr)
{
    return [=](QDialog& dialog) {
        return driving::runDialog(dialog, [=](QDialog& d) {
            auto* fromBox = d.findChild<QSpinBox*>("from");
            auto* toBox = d.findChild<QSpinBox*>("to");
            if (!fromBox || !toBox)
                return;
            if (shownMin)
                *shownMin = fromBox->minimum();
            if (shownMax)
                *shownMax = toBox->maximum();
            if (from == 0) {
                d.findChild<QRadioButton*>("printAll")->setChecked(true);
            } else {
                d.findChild<QRadioButton*>("printRange")->setChecked(true);
                fromBox->setValue(from);
                toBox->setValue(to);
            }
            d.accept();
        });
    };
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QFAIL("pdftotext is missing: run scripts/install-deps.sh");
    }

    void printsTheTopicsOfTheRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("2 to 3") << 2 << 3 << QStringList{"Milieu", "ligne b1", "ligne b2", "Fin", "ligne c"};
        QTest::newRow("all pages") << 0 << 0
                                   << QStringList{"Accueil", "ligne a", "Milieu", "ligne b1", "ligne b2", "Fin", "ligne c"};
        QTest::newRow("last only") << 3 << 3 << QStringList{"Fin", "ligne c"};
    }
    void printsTheTopicsOfTheRange()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, expected);
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        Printing printing;
        printing.printer().setOutputFormat(QPrinter::PdfFormat);
        printing.printer().setOutputFileName(dir.filePath("sortie.pdf"));
        int min = -1, max = -1;
        prompts.dialogs << pages(from, to, &min, &max);
        printing.Imprimer(nullptr, threeTopics(), 3, store::FieldLook{});
        QCOMPARE(prompts.shownDialogs, QStringList{"PrintDialog1"});
        QCOMPARE(min, 1);
        QCOMPARE(max, 3);
        QCOMPARE(pdfLines(dir.filePath("sortie.pdf")), expected);
        QVERIFY(prompts.asked.isEmpty());
    }

    void emptyLineAfterEachTopic()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        Printing printing;
        printing.printer().setOutputFormat(QPrinter::PdfFormat);
        printing.printer().setOutputFileName(dir.filePath("p.pdf"));
        prompts.dialogs << pages(1, 2);
        printing.Imprimer(nullptr, threeTopics(), 3, store::FieldLook{});
        // -layout keeps the vertical room: the empty row between two topics stays an empty line.
        QProcess p;
        p.start("pdftotext", {"-layout", dir.filePath("p.pdf"), "-"});
        QVERIFY(p.waitForFinished(20000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(QRegularExpression("ligne a *\\n *\\n *Milieu").match(text).hasMatch(), qPrintable(text));
    }

    void rangeIsKeptAndCancelPrintsNothing()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        Printing printing;
        printing.printer().setOutputFormat(QPrinter::PdfFormat);
        printing.printer().setOutputFileName(dir.filePath("a.pdf"));
        prompts.dialogs << pages(2, 3);
        printing.Imprimer(nullptr, threeTopics(), 3, store::FieldLook{});
        QFile::remove(dir.filePath("a.pdf"));
        int shownFrom = 0, shownTo = 0;
        prompts.dialogs << [&](QDialog& dialog) {
            return driving::runDialog(dialog, [&](QDialog& d) {
                shownFrom = d.findChild<QSpinBox*>("from")->value();
                shownTo = d.findChild<QSpinBox*>("to")->value();
            });
        };
        printing.Imprimer(nullptr, threeTopics(), 3, store::FieldLook{});
        QCOMPARE(shownFrom, 2);
        QCOMPARE(shownTo, 3);
        QVERIFY(!QFile::exists(dir.filePath("a.pdf")));
    }

    void titlesList()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        Printing printing;
        printing.printer().setOutputFormat(QPrinter::PdfFormat);
        printing.printer().setOutputFileName(dir.filePath("t.pdf"));
        prompts.dialogs << [](QDialog& dialog) { return driving::runDialog(dialog, [](QDialog& d) { d.accept(); }); };
        QStringList lines = topic(0, "Douze lettre", {"corps"}) + topic(1, "Quat", {});
        printing.ImpTitres(nullptr, lines, 2, store::FieldLook{});
        // Each title, full stops, its number at the right edge: the numbers line up.
        const QStringList rows = pdfLines(dir.filePath("t.pdf"), true);
        QCOMPARE(rows.size(), 2);
        QVERIFY2(QRegularExpression("^Douze lettre +\\.{20,} +1$").match(rows[0]).hasMatch(), qPrintable(rows[0]));
        QVERIFY2(QRegularExpression("^Quat +\\.{20,} +2$").match(rows[1]).hasMatch(), qPrintable(rows[1]));
        // Where the numbers end on the page, from the PDF's own word boxes.
        QProcess box;
        box.start("pdftotext", {"-bbox", dir.filePath("t.pdf"), "-"});
        QVERIFY(box.waitForFinished(20000));
        const QString html = QString::fromUtf8(box.readAllStandardOutput());
        QList<double> ends;
        const QRegularExpression word("<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([12])</word>");
        for (auto m = word.globalMatch(html); m.hasNext();)
            ends << m.next().captured(1).toDouble();
        QCOMPARE(ends.size(), 2);
        QVERIFY2(qAbs(ends[0] - ends[1]) < 0.5, qPrintable(QString::number(ends[0]) + " " + QString::number(ends[1])));
    }

    void longLinesAndPagesGoOn()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        Printing printing;
        printing.printer().setOutputFormat(QPrinter::PdfFormat);
        printing.printer().setOutputFileName(dir.filePath("l.pdf"));
        QStringList body;
        for (int i = 0; i < 150; ++i)
            body << QStringLiteral("ligne%1").arg(i, 3, 10, QLatin1Char('0'));
        QString word;
        for (int i = 0; i < 60; ++i)
            word += QStringLiteral("mot%1").arg(i, 2, 10, QLatin1Char('0'));
        body << word;
        prompts.dialogs << pages(1, 1);
        printing.Imprimer(nullptr, topic(0, "Long", body), 1, store::FieldLook{});
        QVERIFY(pdfPages(dir.filePath("l.pdf")) >= 2);
        const QStringList got = pdfLines(dir.filePath("l.pdf"));
        QCOMPARE(got.mid(0, 151), QStringList{"Long"} + body.mid(0, 150));
        // The line wider than the page: broken after the last character that fits, nothing lost.
        QVERIFY(got.size() > 152);
        QCOMPARE(got.mid(151).join(QString()), word);
    }

    void printerSetUpIsKept()
    {
        ScriptedPrompts prompts;
        Printing printing;
        printing.printer().setOutputFormat(QPrinter::PdfFormat);
        prompts.dialogs << [](QDialog& dialog) {
            return driving::runDialog(dialog, [](QDialog& d) {
                if (auto* landscape = d.findChild<QRadioButton*>("landscape")) {
                    landscape->click();
                    d.accept();
                }
            });
        };
        printing.Configurationimprimante(nullptr);
        QCOMPARE(prompts.shownDialogs, QStringList{"PrinterSetupDialog"});
        QCOMPARE(printing.printer().pageLayout().orientation(), QPageLayout::Landscape);
    }
};

TYX_TEST(PrintingTest);
#include "PrintingTest.moc"
