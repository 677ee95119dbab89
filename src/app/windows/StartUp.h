#pragma once
// Makes every window of the program once, in start-up order. The main window comes first and owns
// all the others; the topic editor is its one child.
#include <QString>
#include <memory>

class TMainForm;

std::unique_ptr<TMainForm> createWindows();

// The help viewer alone ("tyxplumet AIDE.hlp", "--aide AIDE.hlp --contexte N"): runs until it is
// closed; 1 when the file could not be read (said in French).
int showHelpAlone(const QString& file, const QString& context);
