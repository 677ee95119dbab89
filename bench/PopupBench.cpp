#include "PopupBench.h"

#include "BenchTiming.h"
#include "editor/windows/PagesHlp.h"
#include "editor/windows/TLstPopUp.h"
#include "editor/windows/TPopUp.h"
#include "platform/windows/Prompts.h"
#include "store/core/PopupBlocks.h"

#include <QDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QQueue>
#include <cstdio>

namespace bench {

namespace {

// Dialogs are driven by queued functions; questions answered "Oui".
class DrivenPrompts final : public Prompts {
public:
    DrivenPrompts() { setPrompts(this); }
    ~DrivenPrompts() override { setPrompts(nullptr); }
    QQueue<std::function<int(QDialog&)>> dialogs;
    Answer ask(QWidget*, const QString&, Buttons, Kind) override { return Answer::Yes; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    int showModal(QDialog& d) override { return dialogs.isEmpty() ? int(QDialog::Rejected) : dialogs.dequeue()(d); }
    bool chooseFont(QWidget*, QFont&, QColor&) override { return false; }
    bool chooseColour(QWidget*, QColor&) override { return false; }
};

} // namespace

void popupBenchmarks(TPagesHlp& pages, const QString& projectPath,
    const std::function<void(const char* name, double ms)>& report)
{
    DrivenPrompts prompts;
    TPopUp popUp;
    TLstPopUp list;
    pages.PopUp = &popUp;
    pages.LstPopUp = &list;
    pages.Charge(projectPath);

    const auto close = [](QDialog& d) { d.accept(); return int(QDialog::Accepted); };
    report("PopupNew", medianMs(21, [&] {
        QTextCursor c = pages.Memo1->textCursor();
        c.setPosition(0);
        c.setPosition(5, QTextCursor::KeepAnchor);
        pages.Memo1->setTextCursor(c);
        prompts.dialogs.enqueue(close);
    }, [&] { pages.LienPopUp(); }));

    report("PopupList", medianMs(21, nullptr, [&] { list.Init(pages.doc().DocumentLines); }));

    report("PopupRemove", medianMs(5, [&] {
        pages.Charge(projectPath);
        prompts.dialogs.enqueue([](QDialog& d) {
            auto& l = static_cast<TLstPopUp&>(d);
            l.ListBox1->setCurrentRow(0);
            l.Button1->click();
            return d.result();
        });
        prompts.dialogs.enqueue([](QDialog& d) {
            auto& p = static_cast<TPopUp&>(d);
            p.Button3->click();
            p.Button1->click();
            return d.result();
        });
    }, [&] { pages.ListePopUp(); }));
    // The measure is worth something only if the popup really went.
    std::printf("# PopupRemove: %d PopUp apres suppression, %d liens vers Pp0000\n",
        store::countPopupBlocks(pages.doc().DocumentLines), store::planPopupRemoval(pages.doc().DocumentLines, 0).plainLinks);

    pages.PopUp = nullptr;
    pages.LstPopUp = nullptr;
}

} // namespace bench
