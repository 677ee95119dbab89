#include "editor/windows/Propriete.h"

#include "editor/core/TopicProperties.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

TPropriete::TPropriete(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TPropriete"));
    setWindowTitle(QString::fromUtf8("Propriétés de la rubrique"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(360, 320);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 8, 344, 262);
    ListBox1->installEventFilter(this);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(142, 282, 75, 27);
    Button1->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, &TPropriete::Button1Click);
}

void TPropriete::Init(const QStringList& lines, int page)
{
    ListBox1->clear();
    ListBox1->addItems(editor::topicProperties(lines, page));
}

void TPropriete::Button1Click()
{
    accept();
}

namespace {
bool closesTheDialog(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}
} // namespace

bool TPropriete::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && closesTheDialog(static_cast<QKeyEvent*>(event)->key())) {
        Button1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TPropriete::keyPressEvent(QKeyEvent* event)
{
    if (closesTheDialog(event->key()))
        Button1Click();
    else
        QDialog::keyPressEvent(event);
}
