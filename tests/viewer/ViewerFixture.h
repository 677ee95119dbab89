#pragma once
// A small help project read as the viewer reads a help: a contents topic with a non-scrolling
// region, a jump, a popup, a jump into a secondary window and macro hot spots; two topics in a
// browse sequence sharing a keyword; [WINDOWS] and [MAP]. Helpers click and tab to hot spots.
#include "support/ScriptedPrompts.h"
#include "viewer/windows/HelpViewer.h"
#include "viewer/windows/TopicView.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace viewertest {

inline const QByteArray Rtf = R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\fmodern Courier New;}}
{\colortbl;\red255\green0\blue0;}
#{\footnote IDH_Sommaire}${\footnote Sommaire}K{\footnote accueil}
\keepn\b Sommaire de l'essai\b0\par\pard
Voir {\uldb Deuxi\'e8me}{\v IDH_Deux} et {\ul D\'e9finition}{\v IDH_Def}.\par
Aussi {\uldb Fen\'eatre}{\v IDH_Trois>sec}, {\uldb Macro}{\v !JumpId(`', `IDH_Trois')} et {\uldb Inconnue}{\v !ExecProgram(`calc.exe', 0)}.\par
\page
#{\footnote IDH_Deux}${\footnote Deuxi\'e8me rubrique}K{\footnote commun;deux}+{\footnote suite:1}
Texte de la deuxi\'e8me rubrique avec le mot raret\'e9.\par
\page
#{\footnote IDH_Trois}${\footnote Troisi\'e8me rubrique}K{\footnote commun}+{\footnote suite:2}
Texte de la troisi\'e8me, qui parle de la deuxi\'e8me.\par
\page
#{\footnote IDH_Def}${\footnote D\'e9finition}
Une d\'e9finition en fen\'eatre surgissante.\par
})";

inline const QByteArray Hpj = "[OPTIONS]\r\nTITLE=Aide d'essai\r\nCONTENTS=IDH_Sommaire\r\n[FILES]\r\nessai.rtf\r\n"
                              "[WINDOWS]\r\nmain=\"Aide d'essai\",(0,0,600,600),,(255,255,255),(192,192,192)\r\n"
                              "sec=\"Fen\xEAtre secondaire\",(512,0,400,400),,(255,255,224)\r\n"
                              "[MAP]\r\nIDH_Sommaire 1\r\nIDH_Deux 2\r\nIDH_Trois 3\r\n";

enum Topic { Contents = 0, Second = 1, Third = 2, Definition = 3 };

struct ViewerFixture {
    ViewerFixture()
    {
        write("essai.rtf", Rtf);
        write("essai.hpj", Hpj);
    }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    QString hpj() const { return dir.filePath(QStringLiteral("essai.hpj")); }
    // The viewer on the project, shown and active.
    bool open()
    {
        if (!viewer.openFile(hpj()))
            return false;
        viewer.show();
        viewer.activateWindow();
        return QTest::qWaitForWindowActive(&viewer);
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    HelpViewer viewer;
};

// The first place of `text` in the browser, or a null cursor.
inline QTextCursor find(QTextBrowser* b, const QString& text)
{
    return b->document()->find(text);
}

// Clicks inside the hot spot whose text is `text`, as the mouse does.
inline bool clickText(QTextBrowser* b, const QString& text)
{
    const QTextCursor found = find(b, text);
    if (found.isNull())
        return false;
    QTextCursor inside(b->document());
    inside.setPosition(found.selectionStart() + 1);
    const QPoint at = b->cursorRect(inside).center();
    QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, at);
    return true;
}

// Tabs from the start of the text to the hot spot `text`, then presses Entrée on it.
inline bool tabToAndEnter(QTextBrowser* b, const QString& text)
{
    b->setFocus();
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(b, Qt::Key_Tab);
        if (b->textCursor().selectedText() == text) {
            QTest::keyClick(b, Qt::Key_Return);
            return true;
        }
    }
    return false;
}

} // namespace viewertest
