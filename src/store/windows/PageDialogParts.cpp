#include "store/windows/PageDialogParts.h"

#include <QDialog>
#include <QPushButton>
#include <QToolButton>

namespace pagedialogs {

void makeFixed(QDialog* d, int width, int height)
{
    d->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    d->setFixedSize(width, height);
}

QWidget* topBar(QDialog* d)
{
    auto* bar = new QWidget(d);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setGeometry(0, 0, d->width(), BarHeight);
    return bar;
}

QToolButton* arrowButton(QWidget* bar, const char* name, Qt::ArrowType arrow, const QString& hint, int left)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setArrowType(arrow);
    b->setAutoRaise(true);
    // Tab reaches it and Space presses it: the dialog works from the keyboard alone.
    b->setFocusPolicy(Qt::TabFocus);
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setGeometry(left, 4, 25, 25);
    return b;
}

QPushButton* closeButton(QWidget* bar, const char* name)
{
    auto* b = new QPushButton(QStringLiteral("Fermer"), bar);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setGeometry(bar->width() - 83, 4, 75, 25);
    return b;
}

} // namespace pagedialogs
