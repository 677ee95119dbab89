#pragma once
// A scripted modal seam for tests: answers, file names and dialog drivers are queued in advance,
// and every question asked is recorded.
#include "platform/windows/Prompts.h"

#include <QDialog>
#include <QQueue>
#include <QStringList>
#include <functional>

class ScriptedPrompts final : public Prompts {
public:
    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }

    QQueue<Answer> answers;           // next answers to ask(); Ok/No by default when empty
    QQueue<QString> fileNames;        // next names for open/save dialogs; empty = cancelled
    QQueue<std::function<int(QDialog&)>> dialogs; // drive a shown dialog; rejected when empty
    QQueue<std::function<bool(QFont&, QColor&)>> fonts;
    QQueue<std::function<bool(QColor&)>> colours;
    QStringList asked;                // every text shown through ask()/tell()
    QStringList filters;              // every filter of a file dialog
    QStringList initialNames;         // every preset name of a file dialog
    QStringList titles;               // every caption given to a file dialog (empty: the usual one)
    QStringList defaultExts;          // every default extension of an open dialog
    QStringList shownDialogs;         // objectName or class of every dialog shown

    Answer ask(QWidget*, const QString& text, Buttons buttons, Kind) override
    {
        asked << text;
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::No;
    }
    QString openFileName(QWidget*, const QString& filter, const QString& initial, const QString& defaultExt,
        const QString& title) override
    {
        titles << title;
        defaultExts << defaultExt;
        filters << filter;
        initialNames << initial;
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QString saveFileName(QWidget*, const QString& filter, const QString& initial, const QString&,
        const QString& title) override
    {
        titles << title;
        filters << filter;
        initialNames << initial;
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    int showModal(QDialog& d) override
    {
        shownDialogs << (d.objectName().isEmpty() ? QString::fromLatin1(d.metaObject()->className()) : d.objectName());
        if (dialogs.isEmpty())
            return QDialog::Rejected;
        return dialogs.dequeue()(d);
    }
    bool chooseFont(QWidget*, QFont& f, QColor& c) override
    {
        return fonts.isEmpty() ? false : fonts.dequeue()(f, c);
    }
    bool chooseColour(QWidget*, QColor& c) override
    {
        return colours.isEmpty() ? false : colours.dequeue()(c);
    }
};
