#pragma once
// "E&xporter...": every topic to a plain text file, or to an RTF topic file when the chosen name
// ends in ".rtf" in any letter case.
#include "store/core/HeaderBlock.h"

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

struct ExportSource {
    const QStringList* lines = nullptr; // read after `storePage` ran
    int pageCount = 0;
    int popupCount = 0;
    store::FieldLook title;
    store::FieldLook body;
    QString projectFile;                // the open project's file, never written over (may be empty)
    std::function<void()> storePage;    // stores the page on screen into `lines`
};

// Asks for the name, asks "Ce fichier existe déjà" before replacing a file, refuses the open
// project's own file, stores the page on screen, then writes the whole file at once (a failure leaves
// any old file as it was and says why). Returns true when a file was written.
bool Exporter(QWidget* parent, const ExportSource& source);
