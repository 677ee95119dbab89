#include "platform/windows/FixedDialog.h"

#include <QDialog>

namespace fixeddialog {

void apply(QDialog* dialog, QSize size)
{
    // Customised: the platform adds no minimise or maximise button of its own.
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(size);
}

} // namespace fixeddialog
