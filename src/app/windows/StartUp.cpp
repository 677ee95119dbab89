#include "app/windows/StartUp.h"

#include "app/windows/TAboutBox.h"
#include "app/windows/TMainForm.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/FixerHcp.h"
#include "publish/windows/CompileJob.h"
#include "publish/windows/Options.h"
#include "publish/windows/TCompileReport.h"
#include "publish/windows/TFichTxt.h"
#include "app/windows/ShellPictures.h"
#include "editor/windows/LienAussi.h"
#include "editor/windows/PagesHlp.h"
#include "editor/windows/Propriete.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"
#include "editor/windows/TLstPopUp.h"
#include "editor/windows/TPopUp.h"
#include "tools/windows/TCalendrier.h"
#include "tools/windows/THorloge.h"
#include "tools/windows/TPocket.h"
#include "viewer/windows/HelpViewer.h"

#include <QApplication>
#include <QToolButton>

std::unique_ptr<TMainForm> createWindows()
{
    auto mainForm = std::make_unique<TMainForm>();
    TMainForm* m = mainForm.get();
    m->AboutBox = new TAboutBox(m);
    m->Calendrier = new TCalendrier(m);
    m->Horloge = new THorloge(m);
    m->Pocket = new TPocket(m);
    auto* pages = new TPagesHlp;
    pages->setObjectName(QStringLiteral("PagesHlp"));
    m->attachPagesHlp(pages);
    m->PageListe = new TPageListe(m);
    m->PageOut = new TPageOut(m);
    m->FixerHcp = new TFixerHcp(m);
    m->FichTxt = new TFichTxt(m);
    m->FichTxt->CopyBtn->setIcon(shellpictures::glyph(shellpictures::Glyph::Copy));
    m->Options = new TOptions(m);
    m->EditHpj = new TEditHpj(m);
    m->LienAussi = new TLienAussi(m);
    m->Propriete = new TPropriete(m);
    pages->setLinkDialogs({m->PageListe, m->PageOut, m->LienAussi, m->Propriete});
    // Popup editor and popup list, after the properties dialog.
    m->PopUp = new TPopUp(m);
    m->LstPopUp = new TLstPopUp(m);
    pages->PopUp = m->PopUp;
    pages->LstPopUp = m->LstPopUp;
    m->CompileReport = new TCompileReport(m);
    m->Compilation = new CompileJob(m);
    QObject::connect(m->Compilation, &CompileJob::finished, m, [m](const hlp::CompileResult& r) { m->compileFinished(r); });
    pages->setOptionsHook([m, pages](QWidget*, TPagesHlp::OptionsExchange& x) {
        bool changed = false;
        const bool started = BuildCommands::Opt(*m->Options, *x.lines, x.projectFileName, x.title, x.body, &changed);
        if (changed)
            pages->doc().DocumentModified = true;
        return started;
    });
    m->assignHelpContexts();
    return mainForm;
}

int showHelpAlone(const QString& file, const QString& context)
{
    HelpViewer viewer;
    if (!viewer.openFile(file))
        return 1;
    if (!context.isEmpty())
        viewer.showContext(context);
    viewer.show();
    return QApplication::exec();
}
