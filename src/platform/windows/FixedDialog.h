#pragma once
// The frame of a dialog that is neither minimised nor resized: a title bar with a close box only,
// and one size. Window managers that follow the window's hints then offer nothing else.
#include <QSize>

class QDialog;

namespace fixeddialog {

void apply(QDialog* dialog, QSize size);

} // namespace fixeddialog
