// Measures the store's operations on a synthetic project and prints one line per operation:
// name, median in milliseconds, ratio to the raw read+write of the same bytes.
#include "BenchTiming.h"
#include "HelpFileBench.h"
#include "PopupBench.h"
#include "SyntheticProject.h"

#include "publish/core/HtmlBuild.h"
#include "editor/core/SearchReplace.h"
#include "publish/core/RtfWriter.h"
#include "publish/core/TextExport.h"
#include "publish/windows/Printing.h"
#include "publish/windows/TFichTxt.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/html/HtmlHelp.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/RtfReader.h"
#include "winhelp/reader/HelpFileRead.h"
#include "editor/windows/LienAussi.h"
#include "editor/windows/PagesHlp.h"
#include "editor/windows/Propriete.h"
#include "platform/windows/Prompts.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"
#include "platform/core/TextFile.h"
#include "store/core/ProjectBlock.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using bench::medianMs;

// The modal seam closes every dialog at once: the benchmark measures the commands, not a person.
class ClosingPrompts final : public Prompts {
public:
    Answer ask(QWidget*, const QString&, Buttons, Kind) override { return Answer::No; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    int showModal(QDialog&) override { return 0; }
    bool chooseFont(QWidget*, QFont&, QColor&) override { return false; }
    bool chooseColour(QWidget*, QColor&) override { return false; }
};

void report(const char* name, double ms, double baseline)
{
    std::printf("%s\t%.3f\t%.2f\n", name, ms, baseline > 0 ? ms / baseline : 0.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int topics = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("synthese.hpa"));
    const QString copy = dir.filePath(QStringLiteral("copie.hpa"));
    if (!textfile::writeLines(path, bench::syntheticProject(topics))) {
        std::fprintf(stderr, "Impossible d'écrire le projet de mesure.\n");
        return 1;
    }
    std::printf("# %d rubriques, %lld octets\noperation\tmedian_ms\tratio\n", topics,
        static_cast<long long>(QFile(path).size()));

    const double baseline = medianMs(5, nullptr, [&] {
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        QFile out(copy);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
    });
    report("baseline_read_write", baseline, baseline);

    TPagesHlp pages;
    report("Charge", medianMs(5, nullptr, [&] { pages.Charge(path); }), baseline);
    report("Sauve", medianMs(5, nullptr, [&] { pages.Sauve(copy); }), baseline);
    report("Suivant", medianMs(21, [&] {
        pages.Memo1->insertPlainText(QStringLiteral("x"));
    }, [&] { pages.Suivant(); }), baseline);
    report("Supprime", medianMs(5, [&] { pages.doc().CurrentPage = 0; pages.LitFiche(); }, [&] { pages.Supprime(); }), baseline);
    // Undo of a deletion of page 0 (every later tag renumbered), then its redo.
    report("Undo", medianMs(5, [&] { pages.doc().CurrentPage = 0; pages.LitFiche(); pages.Supprime(); }, [&] { pages.Annuler(); }),
        baseline);
    report("Redo", medianMs(5, [&] { pages.Annuler(); }, [&] { pages.Retablir(); }), baseline);
    {
        // What the history keeps for 50 deletions of the first page: each renumbers every later tag.
        pages.Charge(path);
        for (int k = 0; k < 50; ++k) {
            pages.doc().CurrentPage = 0;
            pages.LitFiche();
            pages.Supprime();
        }
        const store::DocumentHistory& h = pages.doc().History;
        std::printf("# historique : %d pas gardés, %.1f Kio pour 50 suppressions de la page 1\n", h.stepCount(),
            double(h.memoryBytes()) / 1024.0);
        pages.Charge(path);
    }
    report("CreMap", medianMs(11, nullptr, [&] { store::CreMap(pages.doc().DocumentLines, pages.doc().PageCount); }), baseline);
    bench::popupBenchmarks(pages, path, [&](const char* name, double ms) { report(name, ms, baseline); });

    // Page index, renumbering, hierarchy and properties on the loaded project.
    {
        ClosingPrompts closing;
        setPrompts(&closing);
        pages.Charge(path);
        TPageListe index;
        TPageOut outline;
        TLienAussi picker;
        TPropriete properties;
        pages.setLinkDialogs({&index, &outline, &picker, &properties});
        const QStringList loaded = pages.doc().DocumentLines;
        report("PageIndex", medianMs(5, nullptr, [&] { index.Init(loaded); }), baseline);
        // The worst case: the whole order reversed, every topic changing its number.
        QStringList lines;
        bool modified = false;
        report("Renumber", medianMs(5, [&] {
            lines = loaded;
            lines.detach(); // the document is the editor's own, never shared while it is renumbered
            index.Init(lines);
            QList<QListWidgetItem*> items;
            while (index.ListBox1->count() > 0)
                items << index.ListBox1->takeItem(index.ListBox1->count() - 1);
            for (QListWidgetItem* item : items)
                index.ListBox1->addItem(item);
        }, [&] { index.Result(lines, modified); }), baseline);
        report("Hierarchy", medianMs(5, nullptr, [&] { outline.Init(loaded); }), baseline);
        pages.doc().CurrentPage = pages.doc().PageCount / 2;
        pages.LitFiche();
        report("Properties", medianMs(21, nullptr, [&] { pages.Proprietes(); }), baseline);
        pages.setLinkDialogs({});
        setPrompts(nullptr);
    }

    // The help build of the same project: topic file, then the compile of the .hpj written with it.
    pages.Charge(path);
    const auto& doc = pages.doc();

    // Search and replace over every topic: a text found nowhere is a whole sweep; the word replaced
    // occurs in every body line of every topic.
    report("SearchSweep", medianMs(11, nullptr, [&] {
        editor::SearchPosition pos = editor::searchStart(doc.DocumentLines);
        if (editor::searchStep(doc.DocumentLines, pos, QStringLiteral("introuvable")))
            std::fprintf(stderr, "SearchSweep: trouvé ?\n");
    }), baseline);
    QStringList replaced;
    // The editor's lines are its own: a copy sharing them would make the sweep pay for fresh
    // memory the real command never asks for, so each run works on a deep copy.
    report("ReplaceAll", medianMs(5, [&] {
        replaced.clear();
        replaced.reserve(doc.DocumentLines.size());
        for (const QString& l : doc.DocumentLines)
            replaced.append(QString(l.constData(), l.size()));
    }, [&] {
        editor::replaceAll(replaced, QString::fromUtf8("élève"), QStringLiteral("auteur"));
    }), baseline);
    replaced.clear();
    const QString textPath = dir.filePath(QStringLiteral("pages.txt"));
    report("ExportText", medianMs(5, nullptr, [&] {
        textfile::writeBytes(textPath, publish::exportText(doc.DocumentLines, doc.PageCount));
    }), baseline);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("titres.pdf")));
    report("PrintTitles", medianMs(3, nullptr, [&] {
        Printing::printLines(printer, pages.bodyLook(), publish::titleListLines(doc.DocumentLines, doc.PageCount), nullptr);
    }), baseline);
    // The text viewer on a 50 MB log: read, decode, rows; the window lays out only what it shows.
    {
        const QString log = dir.filePath(QStringLiteral("journal.log"));
        QFile out(log);
        out.open(QIODevice::WriteOnly);
        QByteArray chunk;
        for (int i = 0; chunk.size() < (1 << 20); ++i)
            chunk += "2024-01-01 12:00:00 [info] ligne de journal n\xB0" + QByteArray::number(i) + " : tout va bien\r\n";
        while (out.size() < 50 * (1 << 20))
            out.write(chunk);
        out.close();
        TFichTxt viewer;
        report("ViewLargeText", medianMs(3, nullptr, [&] { viewer.Ouvre(log); }), baseline);
        QFile::remove(log);
    }

    const QString rtfPath = dir.filePath(QStringLiteral("synthese.rtf"));
    const double rtf = medianMs(5, nullptr, [&] {
        publish::ExportRtf(doc.DocumentLines, doc.PageCount, doc.PopupCount, pages.titleLook(), pages.bodyLook(), rtfPath);
    });
    report("ExportRtf", rtf, baseline);
    QStringList lines = doc.DocumentLines;
    const QString hpjPath = dir.filePath(QStringLiteral("synthese.hpj"));
    store::ExportHpj(lines, doc.PageCount, hpjPath);
    bool written = true;
    QString hlpPath;
    const double compile = medianMs(3, nullptr, [&] {
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpjPath);
        written = r.written && written;
        hlpPath = r.hlpPath;
    });
    report("compile_hlp", compile, baseline);
    std::printf("# compile_hlp / ExportRtf = %.2f%s\n", rtf > 0 ? compile / rtf : 0.0, written ? "" : " (aide NON écrite)");

    // The compiled help read back into the help model, as the viewer and the converters read it.
    bool readBack = true;
    const double readHlp = medianMs(3, nullptr, [&] {
        const hlp::HelpFileRead r = hlp::readHelpFile(hlpPath);
        readBack = r.help && int(r.help->document.topics.size()) >= topics && readBack;
    });
    report("ReadHlp", readHlp, baseline);
    std::printf("# ReadHlp / compile_hlp = %.2f%s\n", compile > 0 ? readHlp / compile : 0.0, readBack ? "" : " (aide NON relue)");
    written = written && readBack;

    // The same project with COMPRESS=HIGH: LZ77 topic blocks.
    const QString packedHpj = dir.filePath(QStringLiteral("compresse.hpj"));
    QString packedHlp;
    {
        QFile in(hpjPath);
        QFile out(packedHpj);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll() + "[OPTIONS]\r\nCOMPRESS=HIGH\r\n") < 0)
            written = false;
    }
    const double packed = medianMs(3, nullptr, [&] {
        const hlp::CompileResult r = hlp::HlpCompiler().compile(packedHpj);
        written = r.written && written;
        packedHlp = r.hlpPath;
    });
    report("compile_hlp_compressed", packed, baseline);
    const qint64 plainSize = QFile(hlpPath).size();
    const qint64 packedSize = QFile(packedHlp).size();
    std::printf("# compile_hlp_compressed / ExportRtf = %.2f ; .hlp %lld octets, compressé %lld octets (%.2f)%s\n",
        rtf > 0 ? packed / rtf : 0.0, static_cast<long long>(plainSize), static_cast<long long>(packedSize),
        plainSize > 0 ? double(packedSize) / double(plainSize) : 0.0, written ? "" : " (aide NON écrite)");

    // The same project as HTML help, from the same .hpj and topic file.
    const QString projectFile = dir.filePath(QStringLiteral("synthese.hpa"));
    bool htmlWritten = true;
    const double html = medianMs(3, nullptr, [&] {
        htmlWritten = publish::writeHtmlHelp(lines, doc.PageCount, projectFile).written && htmlWritten;
    });
    report("html", html, baseline);
    // The median is a rebuild over the earlier site; the first write of a site makes every file.
    QElapsedTimer fresh;
    fresh.start();
    hlp::html::HtmlOptions options;
    options.contents = publish::htmlContents(lines, doc.PageCount);
    htmlWritten = hlp::html::writeHtmlHelp(hpjPath, dir.filePath(QStringLiteral("neuf-html")), options).written && htmlWritten;
    std::printf("# html dans un dossier neuf : %.0f ms\n", double(fresh.nsecsElapsed()) / 1e6);
    // The search index against the text it indexes (titles and text, as the topic file gives them).
    hlp::HelpDocument model;
    hlp::Diagnostics diag;
    QFile rtfFile(rtfPath);
    rtfFile.open(QIODevice::ReadOnly);
    hlp::RtfReader(model, diag).read(rtfFile.readAll(), QStringLiteral("synthese.rtf"));
    qint64 text = 0;
    for (const auto& t : model.topics) {
        text += t.title.size();
        for (const auto& p : t.paragraphs)
            for (const auto& it : p.items)
                text += it.kind == hlp::ItemKind::Text ? it.text.size() : 0;
    }
    const qint64 index = QFile(dir.filePath(QStringLiteral("synthese-html/recherche.js"))).size();
    std::printf("# html / compile_hlp = %.2f ; index de recherche %lld octets = %.1f %% du texte (%lld octets)%s\n",
        compile > 0 ? html / compile : 0.0, static_cast<long long>(index), text > 0 ? 100.0 * double(index) / double(text) : 0.0,
        static_cast<long long>(text), htmlWritten ? "" : " (aide HTML NON écrite)");

    // The same project as compiled HTML help: the site's pages packed and compressed in one file.
    bool chmWritten = true;
    const double chm = medianMs(3, nullptr, [&] {
        chmWritten = publish::writeChmHelp(lines, doc.PageCount, projectFile).written && chmWritten;
    });
    report("chm", chm, baseline);
    qint64 siteBytes = 0;
    for (const QFileInfo& f : QDir(dir.filePath(QStringLiteral("synthese-html"))).entryInfoList(QDir::Files))
        if (f.fileName() != QLatin1String("recherche.html") && f.fileName() != QLatin1String("recherche.js"))
            siteBytes += f.size();
    for (const QFileInfo& f : QDir(dir.filePath(QStringLiteral("synthese-html/images"))).entryInfoList(QDir::Files))
        siteBytes += f.size();
    const qint64 chmSize = QFile(dir.filePath(QStringLiteral("synthese.chm"))).size();
    std::printf("# chm / html = %.2f ; .chm %lld octets = %.1f %% des %lld octets du site sans sa recherche%s\n",
        html > 0 ? chm / html : 0.0, static_cast<long long>(chmSize), siteBytes > 0 ? 100.0 * double(chmSize) / double(siteBytes) : 0.0,
        static_cast<long long>(siteBytes), chmWritten ? "" : " (aide CHM NON écrite)");

    // The compiled help back to a site and to a project; the compressed help is the largest file made here.
    htmlWritten = bench::helpFileBenchmarks(hlpPath, {hlpPath, packedHlp}, dir.path(), html,
                      [&](const char* name, double ms) { report(name, ms, baseline); })
        && htmlWritten;
    return written && htmlWritten && chmWritten ? 0 : 1;
}
