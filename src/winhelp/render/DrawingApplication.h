#pragma once
// The application object of a command-line program that may draw pictures (the metafiles of a
// help site): text in a picture needs fonts, and fonts a Gui application. It runs on the offscreen
// platform, so it never needs a display.
#include <QGuiApplication>
#include <memory>

namespace hlp {

// What Qt says while it starts (a missing runtime folder) is left out of the program's messages.
std::unique_ptr<QGuiApplication> drawingApplication(int& argc, char** argv);

} // namespace hlp
