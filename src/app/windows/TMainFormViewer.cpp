// The program's help viewer and the preview beside the editor.
#include "app/windows/TMainForm.h"

#include "editor/windows/PagesHlp.h"
#include "platform/windows/Prompts.h"
#include "publish/core/BraceCheck.h"
#include "publish/core/BuildNames.h"
#include "publish/core/RtfWriter.h"
#include "store/core/BlockWalk.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"
#include "viewer/windows/HelpPreview.h"
#include "viewer/windows/HelpViewer.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

HelpViewer* TMainForm::helpViewer()
{
    if (!Viewer) {
        Viewer = new HelpViewer(this);
        Viewer->setProperty("helpContext", 17); // F1 in the viewer: how to use it
    }
    return Viewer;
}

bool TMainForm::viewHelp(const QString& file, const QString& context)
{
    HelpViewer* v = helpViewer();
    // F1 and the Aide menu on the help already shown: no second read, and its history stays.
    const bool read = !v->shows(file);
    if (read && !v->openFile(file))
        return false;
    if (context.isEmpty() ? !read : !v->showContext(context))
        v->showTopic(v->session()->contentsTopic()); // a new read shows it already
    v->show();
    v->raise();
    v->activateWindow();
    return true;
}

void TMainForm::reloadViewer(const QString& file)
{
    if (!Viewer || !Viewer->isVisible() || !Viewer->session())
        return;
    if (QFileInfo(Viewer->session()->path()).canonicalFilePath() != QFileInfo(file).canonicalFilePath())
        return;
    const int topic = Viewer->currentTopic();
    if (Viewer->openFile(file) && topic >= 0 && topic < Viewer->session()->topicCount())
        Viewer->showTopic(topic);
}

void TMainForm::OuvrirAide1Click()
{
    modalCommand([this] {
        const QString name = prompts().openFileName(this, HelpViewer::fileFilter(), QStringLiteral("*.hlp"),
            QStringLiteral("hlp"), QStringLiteral("Ouvrir une aide"));
        if (!name.isEmpty())
            viewHelp(name);
    });
}

void TMainForm::VisionneuseExterne1Click()
{
    OutsideViewer = VisionneuseExterne1->isChecked();
}

// ---- The preview ----

void TMainForm::createPreview()
{
    PreviewDock = new QDockWidget(QStringLiteral("Aperçu"), this);
    PreviewDock->setObjectName(QStringLiteral("PreviewDock"));
    PreviewDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    PreviewDock->setAllowedAreas(Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    Preview = new HelpPreview(PreviewDock);
    Preview->setMinimumWidth(200);
    PreviewDock->setWidget(Preview);
    addDockWidget(Qt::RightDockWidgetArea, PreviewDock);
    PreviewDock->hide();
    Preview->setProvider([this] {
        HelpPreview::Source s;
        previewSource(s.rtf, s.folder, s.problems, s.places);
        return s;
    });
    // Closed by its own box, the menu's mark follows.
    connect(PreviewDock, &QDockWidget::visibilityChanged, this, [this](bool) {
        if (!isVisible())
            return;
        Apercu1->setChecked(!PreviewDock->isHidden());
    });
    connect(Preview, &HelpPreview::jumpRequested, this, &TMainForm::goToContext);
    connect(Preview, &HelpPreview::problemChosen, this, [this](const QPoint& place) {
        if (!PagesHlp)
            return;
        const QTextBlock block = PagesHlp->Memo1->document()->findBlockByNumber(place.y());
        if (!block.isValid())
            return;
        QTextCursor c(block);
        c.setPosition(block.position() + qMin(place.x(), block.length() - 1));
        PagesHlp->Memo1->setTextCursor(c);
        PagesHlp->Memo1->setFocus();
    });
}

void TMainForm::previewFollowsEditor()
{
    const auto changed = [this] { Preview->sourceChanged(); };
    connect(PagesHlp->Memo1, &QPlainTextEdit::textChanged, Preview, changed);
    connect(PagesHlp->Edit1, &QLineEdit::textChanged, Preview, changed);
    connect(PagesHlp->Edit2, &QLineEdit::textChanged, Preview, changed);
    connect(PagesHlp, &TPagesHlp::pageShown, Preview, changed);
}

void TMainForm::previewSource(QByteArray& rtf, QString& folder, QStringList& problems, QList<QPoint>& places) const
{
    if (!PagesHlp)
        return;
    const store::DocumentStore& d = PagesHlp->doc();
    const store::TopicFields fields = PagesHlp->fields();
    rtf = publish::topicRtf(d.DocumentLines, d.CurrentPage, fields, d.PageCount, PagesHlp->titleLook(), PagesHlp->bodyLook());
    folder = CurrentFileName.isEmpty() ? StartDirectory : QFileInfo(CurrentFileName).absolutePath();
    for (const publish::TextProblem& p : publish::textProblems(fields.body)) {
        problems << p.message;
        places << QPoint(p.column, p.line);
    }
}

void TMainForm::Apercu1Click()
{
    PreviewChoice = Apercu1->isChecked() ? 1 : 0;
    PreviewDock->setVisible(Apercu1->isChecked());
    if (Apercu1->isChecked())
        resizeDocks({PreviewDock}, {width() * 2 / 5}, Qt::Horizontal);
}

void TMainForm::applyPreviewChoice()
{
    const bool on = shellsettings::previewShown(PreviewChoice, width());
    Apercu1->setChecked(on);
    PreviewDock->setVisible(on);
    if (on)
        resizeDocks({PreviewDock}, {width() * 2 / 5}, Qt::Horizontal);
}

void TMainForm::goToContext(const QByteArray& context)
{
    if (!PagesHlp || !context.startsWith("IDH_"))
        return;
    const QString key = QString::fromLatin1(context.mid(4));
    editorCommand([this, &key, &context] {
        PagesHlp->EcritFiche();
        auto& d = PagesHlp->doc();
        const store::BlockWalk walk(d.DocumentLines);
        for (int n = 0; n < d.PageCount; ++n) {
            const store::BlockSpan s = walk.topic(n);
            if (!s.found())
                break;
            // The build names a topic after its title, and the viewer finds names without their case.
            if (store::ContextKey(store::topicTitle(d.DocumentLines, s.open)).compare(key, Qt::CaseInsensitive) == 0) {
                d.CurrentPage = n;
                PagesHlp->LitFiche();
                return;
            }
        }
        status(QStringLiteral("La rubrique « %1 » n'existe pas dans ce projet.").arg(QString::fromLatin1(context)));
    });
}
