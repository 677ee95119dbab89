#include "tools/windows/THorloge.h"

#include "platform/core/TimeSource.h"
#include "platform/windows/Prompts.h"
#include "tools/windows/SpinButton.h"
#include "tools/windows/ToolLook.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel* displayLabel(QFrame* panel, const QString& name)
{
    auto* label = new QLabel(panel);
    label->setObjectName(name);
    label->setGeometry(3, 3, panel->width() - 6, panel->height() - 6);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(toollook::arial(16, true));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    return label;
}

QFrame* displayPanel(QWidget* parent, const QString& name, int x, int y)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setGeometry(x, y, 150, 40);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    toollook::fill(panel, toollook::silver);
    return panel;
}

} // namespace

THorloge::THorloge(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("THorloge"));
    setWindowTitle(QStringLiteral("Horloge"));
    toollook::fixedDialog(this, 277, 156);

    Panel1 = new QFrame(this); // the black face
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 277, 156);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    toollook::fill(Panel1, Qt::black);

    Panel2 = displayPanel(Panel1, QStringLiteral("Panel2"), 10, 10);
    Label1 = displayLabel(Panel2, QStringLiteral("Label1"));

    Label4 = new QLabel(Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(10, 57, 150, 2);
    toollook::fill(Label4, Qt::white);

    Panel3 = displayPanel(Panel1, QStringLiteral("Panel3"), 10, 66);
    Label2 = displayLabel(Panel3, QStringLiteral("Label2"));

    Label3 = new QLabel(QStringLiteral("TYX"), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(10, 114, 100, 34);
    Label3->setFont(toollook::arial(20, true, true));
    QPalette white = Label3->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label3->setPalette(white);

    RadioGroup1 = new QGroupBox(Panel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(170, 6, 60, 108);
    QPalette radioColours = RadioGroup1->palette();
    radioColours.setColor(QPalette::WindowText, Qt::white);
    radioColours.setColor(QPalette::Window, Qt::black);
    RadioGroup1->setPalette(radioColours);
    m_fields = new QButtonGroup(this);
    auto* column = new QVBoxLayout(RadioGroup1);
    column->setContentsMargins(6, 4, 2, 4);
    column->setSpacing(0);
    const char* const names[] = {"Hr", "Mn", "Jo", "Mo", "An"};
    for (int i = 0; i < 5; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(names[i]), RadioGroup1);
        radio->setObjectName(QStringLiteral("RadioGroup1_") + QString::fromLatin1(names[i]));
        radio->setFont(toollook::arial(9, true));
        radio->setPalette(radioColours);
        m_fields->addButton(radio, i);
        column->addWidget(radio);
        radio->installEventFilter(this);
    }

    SpinButton1 = new SpinButton(Panel1);
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));
    SpinButton1->setGeometry(240, 10, 26, 44);
    SpinButton1->installEventFilter(this);

    Button2 = new QPushButton(QStringLiteral("Set"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(236, 62, 34, 26);
    Button2->installEventFilter(this);

    Button1 = new QPushButton(QStringLiteral("Fermer"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(190, 120, 80, 28);
    Button1->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    connect(Timer1, &QTimer::timeout, this, &THorloge::Timer1Timer);
    connect(Button2, &QPushButton::clicked, this, &THorloge::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &THorloge::Button1Click);
    connect(SpinButton1, &SpinButton::upClick, this, &THorloge::SpinButton1UpClick);
    connect(SpinButton1, &SpinButton::downClick, this, &THorloge::SpinButton1DownClick);
}

int THorloge::itemIndex() const
{
    return m_fields->checkedId();
}

void THorloge::setItemIndex(int index)
{
    if (QAbstractButton* b = m_fields->button(index)) {
        b->setChecked(true);
        return;
    }
    // None: an exclusive group cannot uncheck its last button by itself.
    m_fields->setExclusive(false);
    for (QAbstractButton* b : m_fields->buttons())
        b->setChecked(false);
    m_fields->setExclusive(true);
}

QString THorloge::timeText() const
{
    return Label1->text();
}

QString THorloge::dateText() const
{
    return Label2->text();
}

bool THorloge::timerActive() const
{
    return Timer1->isActive();
}

void THorloge::apply()
{
    Label1->setText(m_engine.time());
    Label2->setText(m_engine.date());
    if (m_engine.timerEnabled() && !Timer1->isActive())
        Timer1->start();
    else if (!m_engine.timerEnabled() && Timer1->isActive())
        Timer1->stop();
}

void THorloge::FormActivate()
{
    m_engine.activate(timesource::now());
    apply();
}

void THorloge::Timer1Timer()
{
    m_engine.tick(timesource::now());
    apply();
}

void THorloge::Button2Click()
{
    m_engine.toggleAdjust(timesource::now());
    apply();
}

void THorloge::step(bool up)
{
    const QString failed = m_engine.step(ClockField(itemIndex()), up);
    apply();
    if (!failed.isEmpty())
        prompts().tell(this, failed, Prompts::Kind::Error);
}

void THorloge::SpinButton1UpClick()
{
    step(true);
}

void THorloge::SpinButton1DownClick()
{
    step(false);
}

void THorloge::Button1Click()
{
    reject();
}

void THorloge::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void THorloge::keyPressEvent(QKeyEvent* event)
{
    // FormKeyPress, for the window itself.
    if (event->key() == Qt::Key_Escape) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool THorloge::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        // Escape closes the clock from any of its controls, as it does the other tools.
        Button1Click();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !qobject_cast<QPushButton*>(watched))
        return true; // Enter on the field choice or the spin button presses no button

    return QDialog::eventFilter(watched, event);
}
