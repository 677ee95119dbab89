#pragma once
// "&Imprimer...", "Imprimer &titres et numéros" and "&Configuration imprimante...": one printer for
// the whole run, chosen in the platform's print dialog (shown through the modal seam) and written to
// as a text stream in the body's font.
#include "publish/core/PrintLayout.h"
#include "store/core/HeaderBlock.h"

#include <functional>

#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;
class QWidget;

class Printing {
public:
    Printing();
    ~Printing();

    // Made at first use: asking the platform for its printers can take a moment.
    QPrinter& printer();

    // Topics by the dialog's page fields (context numbers, 1 to `pageCount`); "all pages" prints
    // every topic. The fields keep the last range typed. The topic on screen prints as last stored.
    void Imprimer(QWidget* parent, const QStringList& lines, int pageCount, const store::FieldLook& body);
    // The titles list with context numbers; the dialog only chooses the printer.
    void ImpTitres(QWidget* parent, const QStringList& lines, int pageCount, const store::FieldLook& body);
    // The platform's printer set-up (paper, orientation), kept for the next print.
    void Configurationimprimante(QWidget* parent);

    // Prints `lines` in `look`'s font and colour; false with the reason in `error`.
    static bool printLines(QPrinter& printer, const store::FieldLook& look, const QStringList& lines, QString* error);
    // The titles list, its numbers lined up at the right edge.
    static bool printTitles(QPrinter& printer, const store::FieldLook& look,
        const QList<std::pair<QString, QString>>& entries, QString* error);

private:
    // The print dialog; false when cancelled. `pageCount` bounds the page fields, 0 hides them.
    bool choose(QWidget* parent, int pageCount);
    void print(QWidget* parent, const store::FieldLook& look, const QStringList& lines);
    static bool printLaidOut(QPrinter& printer, const store::FieldLook& look,
        const std::function<QList<publish::PrintPage>(const publish::PrintMeasure&)>& layout, QString* error);

    std::unique_ptr<QPrinter> printer_;
};
