#pragma once
// The program's windows as start-up makes them, in a temporary working directory, with the
// scripted modal seam installed.
#include "app/windows/StartUp.h"
#include "app/windows/TMainForm.h"
#include "editor/windows/PagesHlp.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

struct ShellFixture {
    ShellFixture()
        : previousDirectory(QDir::currentPath())
    {
        QDir::setCurrent(dir.path());
        // No last projects from an earlier test (they live in the tests' own settings folder).
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "tyxplumet", "tyxplumet").clear();
        // Nor the settings file an earlier test wrote at its closing.
        QFile::remove(iniPath());
        main = createWindows();
        pages = main->PagesHlp;
    }
    ~ShellFixture()
    {
        main.reset();
        QDir::setCurrent(previousDirectory);
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    // The settings file the program writes at exit (in the desktop's configuration folder).
    static QString iniPath() { return shellsettings::configFilePath(); }
    QByteArray iniBytes() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A project file whose pages have the given titles and bodies "corps <title>".
    void writeProject(const QString& name, const QStringList& titles) const
    {
        QStringList lines{"<HPJ>", "[OPTIONS]", "</HPJ>"};
        for (int n = 0; n < titles.size(); ++n)
            lines << store::topicOpenTag(n) << "1\\" << titles[n] + store::TitleEndMark << "corps " + titles[n]
                  << store::topicCloseTag(n);
        textfile::writeLines(path(name), lines);
    }
    // Shows the main window active with the body focused, so that keys reach the menus' shortcuts
    // as they do for the author. False when the window could not become active.
    bool showActive() const
    {
        main->show();
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main.get()))
            return false;
        pages->Memo1->setFocus();
        return QApplication::focusWidget() == pages->Memo1;
    }
    // The document gets an unsaved change, as typing in the body does.
    void typeInBody(const QString& text) const
    {
        pages->Memo1->moveCursor(QTextCursor::End);
        QTest::keyClicks(pages->Memo1, text);
    }
    QByteArray bytes(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool exists(const QString& name) const { return QFile::exists(path(name)); }

    QTemporaryDir dir;
    QString previousDirectory;
    ScriptedPrompts prompts;
    std::unique_ptr<TMainForm> main;
    TPagesHlp* pages = nullptr;
};
