#pragma once
// Makes every window of the program once, in start-up order. The main window comes first and owns
// all the others; the topic editor is its one child.
#include <memory>

class TMainForm;

std::unique_ptr<TMainForm> createWindows();
