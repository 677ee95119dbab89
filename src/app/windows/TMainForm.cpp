#include "app/windows/TMainForm.h"

#include "app/windows/ShellPictures.h"
#include "app/windows/TAboutBox.h"
#include "publish/windows/BuildCommands.h"
#include "publish/windows/CompileJob.h"
#include "publish/windows/TCompileReport.h"
#include "publish/windows/EditHpj.h"
#include "editor/windows/PagesHlp.h"
#include "platform/core/FrenchFormat.h"
#include "platform/core/TimeSource.h"
#include "platform/windows/Prompts.h"
#include "store/core/TextRules.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QProgressDialog>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString BaseCaption = QStringLiteral("Tyx Plumet");

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(BaseCaption);
    resize(489, 352);
    setContextMenuPolicy(Qt::NoContextMenu);

    ClientArea = new QMdiArea(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(ClientArea);

    createMenus();
    createSpeedPanel();
    createStatusLine();
    createRecentEntries();
    createHelpKey();
    FormCreate();

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (closed_ || !manager.allowsInteraction())
            return;
        const bool go = FormCloseQuery();
        manager.release();
        if (!go) {
            manager.cancel();
            return;
        }
        closed_ = true;
        FormClose();
    });
}

void TMainForm::FormCreate()
{
    CurrentFileName.clear();
    resize(width() - 10, height());
    setWindowState(Qt::WindowNoState);
}

void TMainForm::FormShow()
{
    resize(width() - 10, height());
    setWindowState(Qt::WindowNoState);
    StartDirectory = QDir::currentPath();
    qApp->setProperty("helpFile", QDir(StartDirectory).filePath(QStringLiteral("TyxHelp.hlp")));
    ChargeIni();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
}

QMenu* TMainForm::menu(const QString& name, const QString& caption, int helpContext)
{
    auto* m = new QMenu(caption, MainMenu);
    m->setObjectName(name);
    m->setProperty("helpContext", helpContext);
    m->menuAction()->setObjectName(name);
    m->menuAction()->setProperty("helpContext", helpContext);
    MainMenu->addMenu(m);
    return m;
}

QAction* TMainForm::entry(QMenu* m, const QString& name, const QString& caption, const QKeySequence& shortcut,
    const QString& hint, void (TMainForm::*handler)())
{
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setShortcut(shortcut);
    a->setStatusTip(hint);
    a->setProperty("helpContext", m->property("helpContext"));
    connect(a, &QAction::triggered, this, handler);
    m->addAction(a);
    return a;
}

void TMainForm::attachPagesHlp(TPagesHlp* pages)
{
    PagesHlp = pages;
    pagesWindow_ = new QMdiSubWindow(ClientArea, Qt::SubWindow | Qt::FramelessWindowHint);
    pagesWindow_->setObjectName(QStringLiteral("PagesHlpWindow"));
    pagesWindow_->setWidget(pages);
    pagesWindow_->setSystemMenu(nullptr);
    pagesWindow_->setWindowTitle(QString());
    pagesWindow_->installEventFilter(this);
    ClientArea->addSubWindow(pagesWindow_);
    pagesWindow_->showMaximized();
    pages->setWordWrap(WordWrap->isChecked()); // the body follows the menu's check mark
    connect(pages, &TPagesHlp::statusMessage, this, &TMainForm::status);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // The editor lives as long as the main window: its child window never closes on its own.
    if (watched == pagesWindow_ && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::ShowHint(const QString& hint)
{
    StatusBar->showMessage(hint);
}

void TMainForm::Timer1Timer()
{
    Panel1->setText(frenchformat::longTime(timesource::now().time()));
}

void TMainForm::editorCommand(const std::function<void()>& command)
{
    if (PagesHlp)
        PagesHlp->runCommand(command);
}

void TMainForm::modalCommand(const std::function<void()>& command)
{
    if (PagesHlp)
        PagesHlp->runCommand(command);
    else
        command();
}

void TMainForm::showTool(QDialog* tool)
{
    if (tool)
        modalCommand([tool] { prompts().showModal(*tool); });
}

void TMainForm::status(const QString& message)
{
    if (!message.isEmpty())
        StatusBar->showMessage(message);
}

void TMainForm::setFileCaption()
{
    setWindowTitle(BaseCaption + QStringLiteral(" - ") + store::fileNamePart(CurrentFileName));
}
