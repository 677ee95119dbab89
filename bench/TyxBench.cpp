// Measures the store's operations on a synthetic project and prints one line per operation:
// name, median in milliseconds, ratio to the raw read+write of the same bytes.
#include "BenchTiming.h"
#include "HelpFileBench.h"
#include "PopupBench.h"
#include "SyntheticProject.h"

#include "publish/core/BraceCheck.h"
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
#include "viewer/windows/HelpPreview.h"
#include "viewer/windows/HelpViewer.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"
#include "platform/core/TextFile.h"
#include "platform/core/MemoryUse.h"
#include "store/core/ProjectBlock.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QThread>
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

// The lines to measure (all when empty): `tyxbench 10000 ExportRtf,html` for a profile of two.
QStringList selected;

bool wanted(const char* name)
{
    return selected.isEmpty() || selected.contains(QLatin1String(name));
}

// Importer's file is the log, and its progress dialog runs to its end.
class ImportingPrompts final : public Prompts {
public:
    explicit ImportingPrompts(const QString& file) : file_(file) {}
    Answer ask(QWidget*, const QString& text, Buttons, Kind) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return Answer::Ok;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return file_; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    int showModal(QDialog& d) override { return d.exec(); }
    bool chooseFont(QWidget*, QFont&, QColor&) override { return false; }
    bool chooseColour(QWidget*, QColor&) override { return false; }

private:
    QString file_;
};

void report(const char* name, double ms, double baseline)
{
    if (!wanted(name))
        return;
    std::printf("%s\t%.3f\t%.2f\n", name, ms, baseline > 0 ? ms / baseline : 0.0);
    std::fflush(stdout);
}

// The median of a line that is measured; a line left out runs once when a later one needs what
// it does, and not at all otherwise.
double measure(const char* name, int runs, const std::function<void()>& prepare, const std::function<void()>& op,
    bool needed = false)
{
    if (wanted(name))
        return medianMs(runs, prepare, op);
    if (needed) {
        if (prepare)
            prepare();
        op();
    }
    return 0;
}

// Another program writing a large file on the same file system, as a build beside this one
// would: its dirty pages are what a sync of the whole file system waits for.
int writeLargeFile(const QString& path)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    const QByteArray chunk(8 << 20, 'x');
    for (;;) {
        for (int i = 0; i < 64; ++i) { // 512 MB, then again from the start
            if (out.write(chunk) != chunk.size())
                return 1;
            QThread::msleep(40);
        }
        out.resize(0);
        out.seek(0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    memoryuse::keepLargeBuffers(); // as the programs measured do
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    if (argc == 3 && QByteArray(argv[1]) == "--writer")
        return writeLargeFile(QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    const int topics = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    if (argc > 2)
        selected = QString::fromLocal8Bit(argv[2]).split(QLatin1Char(','), Qt::SkipEmptyParts);
    // TYXBENCH_DIR keeps the project and what is made of it there, to compare outputs.
    QTemporaryDir temporary;
    const QString kept = qEnvironmentVariable("TYXBENCH_DIR");
    if (!kept.isEmpty())
        QDir().mkpath(kept);
    const QDir dir(kept.isEmpty() ? temporary.path() : kept);
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
    report("Charge", measure("Charge", 5, nullptr, [&] { pages.Charge(path); }, true), baseline);
    report("Sauve", measure("Sauve", 5, nullptr, [&] { pages.Sauve(copy); }), baseline);
    report("Suivant", measure("Suivant", 21, [&] {
        pages.Memo1->insertPlainText(QStringLiteral("x"));
    }, [&] { pages.Suivant(); }), baseline);
    report("Supprime", measure("Supprime", 5, [&] { pages.doc().CurrentPage = 0; pages.LitFiche(); }, [&] { pages.Supprime(); }), baseline);
    // Undo of a deletion of page 0 (every later tag renumbered), then its redo.
    report("Undo", measure("Undo", 5, [&] { pages.doc().CurrentPage = 0; pages.LitFiche(); pages.Supprime(); }, [&] { pages.Annuler(); }),
        baseline);
    report("Redo", measure("Redo", 5, [&] { pages.Annuler(); }, [&] { pages.Retablir(); }), baseline);
    if (wanted("Undo") || wanted("Redo")) {
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
    report("CreMap", measure("CreMap", 11, nullptr, [&] { store::CreMap(pages.doc().DocumentLines, pages.doc().PageCount); }), baseline);
    if (wanted("PopupNew") || wanted("PopupList") || wanted("PopupRemove"))
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
        report("PageIndex", measure("PageIndex", 5, nullptr, [&] { index.Init(loaded); }), baseline);
        // The worst case: the whole order reversed, every topic changing its number.
        QStringList lines;
        bool modified = false;
        report("Renumber", measure("Renumber", 5, [&] {
            lines = loaded;
            lines.detach(); // the document is the editor's own, never shared while it is renumbered
            index.Init(lines);
            QList<QListWidgetItem*> items;
            while (index.ListBox1->count() > 0)
                items << index.ListBox1->takeItem(index.ListBox1->count() - 1);
            for (QListWidgetItem* item : items)
                index.ListBox1->addItem(item);
        }, [&] { index.Result(lines, modified); }), baseline);
        report("Hierarchy", measure("Hierarchy", 5, nullptr, [&] { outline.Init(loaded); }), baseline);
        pages.doc().CurrentPage = pages.doc().PageCount / 2;
        pages.LitFiche();
        report("Properties", measure("Properties", 21, nullptr, [&] { pages.Proprietes(); }), baseline);
        pages.setLinkDialogs({});
        setPrompts(nullptr);
    }

    // The help build of the same project: topic file, then the compile of the .hpj written with it.
    pages.Charge(path);
    const auto& doc = pages.doc();

    // Search and replace over every topic: a text found nowhere is a whole sweep; the word replaced
    // occurs in every body line of every topic.
    report("SearchSweep", measure("SearchSweep", 11, nullptr, [&] {
        editor::SearchPosition pos = editor::searchStart(doc.DocumentLines);
        if (editor::searchStep(doc.DocumentLines, pos, QStringLiteral("introuvable")))
            std::fprintf(stderr, "SearchSweep: trouvé ?\n");
    }), baseline);
    QStringList replaced;
    // The editor's lines are its own: a copy sharing them would make the sweep pay for fresh
    // memory the real command never asks for, so each run works on a deep copy.
    report("ReplaceAll", measure("ReplaceAll", 5, [&] {
        replaced.clear();
        replaced.reserve(doc.DocumentLines.size());
        for (const QString& l : doc.DocumentLines)
            replaced.append(QString(l.constData(), l.size()));
    }, [&] {
        editor::replaceAll(replaced, QString::fromUtf8("élève"), QStringLiteral("auteur"));
    }), baseline);
    replaced.clear();
    const QString textPath = dir.filePath(QStringLiteral("pages.txt"));
    report("ExportText", measure("ExportText", 5, nullptr, [&] {
        textfile::writeBytes(textPath, publish::exportText(doc.DocumentLines, doc.PageCount));
    }), baseline);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("titres.pdf")));
    report("PrintTitles", measure("PrintTitles", 3, nullptr, [&] {
        Printing::printLines(printer, pages.bodyLook(), publish::titleListLines(doc.DocumentLines, doc.PageCount), nullptr);
    }), baseline);
    // A 50 MB log: the text viewer reads, decodes and makes rows (the window lays out only what
    // it shows); Importer puts it into the body of an empty page, under its progress dialog.
    if (wanted("ViewLargeText") || wanted("ImportLargeText")) {
        const QString log = dir.filePath(QStringLiteral("journal.log"));
        QFile out(log);
        out.open(QIODevice::WriteOnly);
        QByteArray chunk;
        for (int i = 0; chunk.size() < (1 << 20); ++i)
            chunk += "2024-01-01 12:00:00 [info] ligne de journal n\xB0" + QByteArray::number(i) + " : tout va bien\r\n";
        while (out.size() < 50 * (1 << 20))
            out.write(chunk);
        out.close();
        if (wanted("ViewLargeText")) {
            TFichTxt viewer;
            report("ViewLargeText", measure("ViewLargeText", 3, nullptr, [&] { viewer.Ouvre(log); }), baseline);
        }
        if (wanted("ImportLargeText")) {
            ImportingPrompts importing(log);
            setPrompts(&importing);
            TPagesHlp page;
            page.show();
            // The longest time the window did not answer: the widest gap between two turns of a
            // timer that asks for every turn of the event loop.
            QTimer tick;
            tick.setInterval(0);
            QElapsedTimer sinceTick;
            double worst = 0;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                worst = std::max(worst, double(sinceTick.nsecsElapsed()) / 1e6);
                sinceTick.start();
            });
            std::vector<double> freezes;
            const double ms = measure("ImportLargeText", 3, [&] { page.LitFiche(); }, [&] {
                worst = 0;
                sinceTick.start();
                tick.start();
                page.Importer();
                tick.stop();
                freezes.push_back(worst);
            });
            setPrompts(nullptr);
            report("ImportLargeText", ms, baseline);
            std::sort(freezes.begin(), freezes.end());
            std::printf("# ImportLargeText : %lld caractères, le plus long gel %.0f ms (médiane des essais)\n",
                static_cast<long long>(page.Memo1->document()->characterCount()), freezes[freezes.size() / 2]);
        }
        QFile::remove(log);
    }

    const QString rtfPath = dir.filePath(QStringLiteral("synthese.rtf"));
    const double rtf = measure("ExportRtf", 5, nullptr, [&] {
        publish::ExportRtf(doc.DocumentLines, doc.PageCount, doc.PopupCount, pages.titleLook(), pages.bodyLook(), rtfPath);
    }, true);
    report("ExportRtf", rtf, baseline);
    QStringList lines = doc.DocumentLines;
    const QString hpjPath = dir.filePath(QStringLiteral("synthese.hpj"));
    store::ExportHpj(lines, doc.PageCount, hpjPath);
    bool written = true;
    QString hlpPath;
    const double compile = measure("compile_hlp", 3, nullptr, [&] {
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpjPath);
        written = r.written && written;
        hlpPath = r.hlpPath;
    }, true);
    report("compile_hlp", compile, baseline);
    if (wanted("compile_hlp"))
        std::printf("# compile_hlp / ExportRtf = %.2f%s\n", rtf > 0 ? compile / rtf : 0.0, written ? "" : " (aide NON écrite)");

    // The compiled help read back into the help model, as the viewer and the converters read it.
    bool readBack = true;
    const double readHlp = measure("ReadHlp", 3, nullptr, [&] {
        const hlp::HelpFileRead r = hlp::readHelpFile(hlpPath);
        readBack = r.help && int(r.help->document.topics.size()) >= topics && readBack;
    });
    report("ReadHlp", readHlp, baseline);
    if (wanted("ReadHlp"))
        std::printf("# ReadHlp / compile_hlp = %.2f%s\n", compile > 0 ? readHlp / compile : 0.0, readBack ? "" : " (aide NON relue)");
    written = written && readBack;

    // The viewer on that help: read, then its contents topic drawn in the window.
    {
        ClosingPrompts closing;
        setPrompts(&closing);
        bool opened = true;
        HelpViewer viewer;
        report("ViewerOpen", medianMs(3, nullptr, [&] { opened = viewer.openFile(hlpPath) && opened; }), baseline);
        setPrompts(nullptr);
        if (!opened)
            std::printf("# ViewerOpen : aide NON ouverte\n");
        written = written && opened;
    }

    // The preview of one topic as the author types: its RTF, the compiler's reader, the renderer.
    {
        pages.doc().CurrentPage = doc.PageCount / 2;
        pages.LitFiche();
        HelpPreview preview;
        preview.setProvider([&pages] {
            const auto& d = pages.doc();
            HelpPreview::Source s;
            s.rtf = publish::topicRtf(d.DocumentLines, d.CurrentPage, pages.fields(), d.PageCount, pages.titleLook(), pages.bodyLook());
            for (const publish::TextProblem& p : publish::textProblems(pages.fields().body))
                s.problems << p.message;
            return s;
        });
        report("Preview", medianMs(21, nullptr, [&] { preview.refreshNow(); }), baseline);
    }

    // The same project with COMPRESS=HIGH: LZ77 topic blocks.
    const QString packedHpj = dir.filePath(QStringLiteral("compresse.hpj"));
    QString packedHlp;
    {
        QFile in(hpjPath);
        QFile out(packedHpj);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll() + "[OPTIONS]\r\nCOMPRESS=HIGH\r\n") < 0)
            written = false;
    }
    const double packed = measure("compile_hlp_compressed", 3, nullptr, [&] {
        const hlp::CompileResult r = hlp::HlpCompiler().compile(packedHpj);
        written = r.written && written;
        packedHlp = r.hlpPath;
    }, wanted("HlpToHtml") || wanted("HlpToHpa"));
    report("compile_hlp_compressed", packed, baseline);
    const qint64 plainSize = QFile(hlpPath).size();
    const qint64 packedSize = QFile(packedHlp).size();
    if (wanted("compile_hlp_compressed"))
        std::printf("# compile_hlp_compressed / ExportRtf = %.2f ; .hlp %lld octets, compressé %lld octets (%.2f)%s\n",
            rtf > 0 ? packed / rtf : 0.0, static_cast<long long>(plainSize), static_cast<long long>(packedSize),
            plainSize > 0 ? double(packedSize) / double(plainSize) : 0.0, written ? "" : " (aide NON écrite)");

    // The same project as HTML help, from the same .hpj and topic file.
    const QString projectFile = dir.filePath(QStringLiteral("synthese.hpa"));
    bool htmlWritten = true;
    // A user's first build: the site into a folder that did not exist, while another program
    // writes a large file on the same file system. Measured before the rebuilds of the html line
    // and its folders removed only at the end: each rebuild removes the earlier site, and some
    // file systems (ext4 without a journal) scan the inodes freed in the last minutes at every
    // file they make, which a user's first build does not meet.
    double first = 0;
    int newFolders = 0;
    if (wanted("html_new_folder")) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), dir.filePath(QStringLiteral("gros.bin"))});
        writer.waitForStarted();
        QThread::msleep(500); // its first dirty pages
        hlp::html::HtmlOptions options;
        options.contents = publish::htmlContents(lines, doc.PageCount);
        // A folder of its own for each run.
        first = medianMs(3, nullptr, [&] {
            const QString fresh = dir.filePath(QStringLiteral("neuf-html-%1").arg(++newFolders));
            htmlWritten = hlp::html::writeHtmlHelp(hpjPath, fresh, options).written && htmlWritten;
        });
        writer.kill();
        writer.waitForFinished();
        QFile::remove(dir.filePath(QStringLiteral("gros.bin")));
    }
    const double html = measure("html", 3, nullptr, [&] {
        htmlWritten = publish::writeHtmlHelp(lines, doc.PageCount, projectFile).written && htmlWritten;
    }, wanted("chm"));
    report("html", html, baseline);
    if (wanted("html_new_folder")) {
        report("html_new_folder", first, baseline);
        std::printf("# html_new_folder / html = %.2f\n", html > 0 ? first / html : 0.0);
    }
    // The search index against the text it indexes (titles and text, as the topic file gives them).
    if (wanted("html")) {
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
    }

    // The same project as compiled HTML help: the site's pages packed and compressed in one file.
    bool chmWritten = true;
    const double chm = measure("chm", 3, nullptr, [&] {
        chmWritten = publish::writeChmHelp(lines, doc.PageCount, projectFile).written && chmWritten;
    });
    report("chm", chm, baseline);
    if (wanted("chm")) {
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
    }

    // The compiled help back to a site and to a project; the compressed help is the largest file made here.
    if (wanted("HlpToHtml") || wanted("HlpToHpa"))
        htmlWritten = bench::helpFileBenchmarks(hlpPath, {hlpPath, packedHlp}, dir.path(), html,
                          [&](const char* name, double ms) { report(name, ms, baseline); })
            && htmlWritten;
    for (int i = 1; i <= newFolders; ++i)
        QDir(dir.filePath(QStringLiteral("neuf-html-%1").arg(i))).removeRecursively();
    return written && htmlWritten && chmWritten ? 0 : 1;
}
