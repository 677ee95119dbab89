#include "tools/windows/SpinButton.h"

#include <QKeyEvent>
#include <QToolButton>

namespace {

QToolButton* makeArrow(QWidget* parent, Qt::ArrowType arrow, const QString& name, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setAccessibleName(hint);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setAutoRepeatDelay(400);
    b->setAutoRepeatInterval(100);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent)
    , m_up(makeArrow(this, Qt::UpArrow, QStringLiteral("UpButton"), QStringLiteral("Augmenter")))
    , m_down(makeArrow(this, Qt::DownArrow, QStringLiteral("DownButton"), QStringLiteral("Diminuer")))
{
    connect(m_up, &QToolButton::clicked, this, &SpinButton::upClick);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::downClick);
    setFocusPolicy(Qt::TabFocus);
    resize(20, 40);
}

void SpinButton::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

void SpinButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        m_up->click();
    else if (event->key() == Qt::Key_Down)
        m_down->click();
    else
        QWidget::keyPressEvent(event);
}
