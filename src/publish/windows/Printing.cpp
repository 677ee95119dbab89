#include "publish/windows/Printing.h"

#include "platform/windows/ColourWords.h"
#include "platform/windows/Prompts.h"
#include "publish/core/PrintLayout.h"
#include "publish/core/TextExport.h"

#include <QFontMetrics>
#include <QHash>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <array>

Printing::Printing() = default;

Printing::~Printing() = default;

QPrinter& Printing::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

bool Printing::choose(QWidget* parent, int pageCount)
{
    QPrintDialog dialog(&printer(), parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, pageCount > 0);
    if (pageCount > 0) {
        dialog.setMinMax(1, pageCount);
        // The last range typed, kept within the topics there are now.
        const int from = qBound(1, printer().fromPage(), pageCount);
        const int to = qBound(from, printer().toPage() > 0 ? printer().toPage() : pageCount, pageCount);
        printer().setFromTo(from, to);
    } else {
        printer().setPrintRange(QPrinter::AllPages);
    }
    return prompts().showModal(dialog) == QDialog::Accepted;
}

void Printing::Imprimer(QWidget* parent, const QStringList& lines, int pageCount, const store::FieldLook& body)
{
    if (!choose(parent, qMax(1, pageCount)))
        return;
    const bool range = printer().printRange() == QPrinter::PageRange;
    const int from = range ? printer().fromPage() : 1;
    const int to = range ? printer().toPage() : pageCount;
    print(parent, body, publish::topicPrintLines(lines, from, to));
}

void Printing::ImpTitres(QWidget* parent, const QStringList& lines, int pageCount, const store::FieldLook& body)
{
    const int from = printer().fromPage();
    const int to = printer().toPage();
    const QPrinter::PrintRange range = printer().printRange();
    const bool chosen = choose(parent, 0);
    // The topics' range stays as typed for the next "Imprimer".
    printer().setPrintRange(range);
    printer().setFromTo(from, to);
    QString error;
    if (chosen && !printTitles(printer(), body, publish::titleListEntries(lines, pageCount), &error))
        prompts().tell(parent, error, Prompts::Kind::Error);
}

void Printing::Configurationimprimante(QWidget* parent)
{
    QPageSetupDialog dialog(&printer(), parent);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog"));
    dialog.setWindowTitle(QStringLiteral("Configuration de l'impression"));
    prompts().showModal(dialog);
}

void Printing::print(QWidget* parent, const store::FieldLook& look, const QStringList& lines)
{
    QString error;
    if (!printLines(printer(), look, lines, &error))
        prompts().tell(parent, error, Prompts::Kind::Error);
}

bool Printing::printLines(QPrinter& printer, const store::FieldLook& look, const QStringList& lines, QString* error)
{
    return printLaidOut(printer, look, [&lines](const publish::PrintMeasure& m) { return publish::layoutPages(lines, m); },
        error);
}

bool Printing::printTitles(QPrinter& printer, const store::FieldLook& look,
    const QList<std::pair<QString, QString>>& entries, QString* error)
{
    return printLaidOut(printer, look,
        [&entries](const publish::PrintMeasure& m) { return publish::layoutTitleList(entries, m); }, error);
}

bool Printing::printLaidOut(QPrinter& printer, const store::FieldLook& look,
    const std::function<QList<publish::PrintPage>(const publish::PrintMeasure&)>& layout, QString* error)
{
    QPainter p;
    if (!p.begin(&printer)) {
        if (error)
            *error = QString::fromUtf8("L'impression n'a pas pu commencer : l'imprimante ou le fichier choisi "
                                       "n'est pas disponible.");
        return false;
    }
    QFont font(look.fontName);
    font.setPointSize(qMax(1, look.fontSize));
    p.setFont(font);
    p.setPen(colourwords::toColor(look.fontColour));
    const QFontMetrics fm = p.fontMetrics();

    std::array<int, 256> latin {};
    latin.fill(-1);
    QHash<char16_t, int> others;
    publish::PrintMeasure m;
    m.pageWidth = printer.width();
    const int rowHeight = qMax(1, fm.lineSpacing());
    m.rowsPerPage = qMax(1, printer.height() / rowHeight);
    m.tabWidth = qMax(1, 8 * fm.averageCharWidth());
    m.charWidth = [&](QChar c) {
        const char16_t u = c.unicode();
        if (u < 256) {
            int& w = latin[u];
            if (w < 0)
                w = fm.horizontalAdvance(c);
            return w;
        }
        auto it = others.find(u);
        if (it == others.end())
            it = others.insert(u, fm.horizontalAdvance(c));
        return *it;
    };
    const QList<publish::PrintPage> pages = layout(m);
    for (qsizetype n = 0; n < pages.size(); ++n) {
        if (n > 0 && !printer.newPage()) {
            if (error)
                *error = QString::fromUtf8("L'impression s'est arrêtée : l'imprimante n'a pas accepté une nouvelle page.");
            p.end();
            return false;
        }
        int y = fm.ascent();
        for (const publish::PrintRow& row : pages[n]) {
            for (const publish::PrintRun& run : row)
                p.drawText(run.x, y, run.text);
            y += rowHeight;
        }
    }
    if (!p.end()) {
        if (error)
            *error = QString::fromUtf8("L'impression n'a pas pu se terminer.");
        return false;
    }
    return true;
}
