#include "tools/windows/TCalendrier.h"

#include "platform/core/TimeSource.h"
#include "tools/core/MonthStep.h"
#include "tools/windows/ToolLook.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTextCharFormat>

TCalendrier::TCalendrier(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TCalendrier"));
    setWindowTitle(QStringLiteral("Calendrier"));
    toollook::fixedDialog(this, 377, 274);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 377, 96);
    Panel1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // the double lowered bevel
    toollook::fill(Panel1, toollook::teal);

    BitBtn1 = new QPushButton(toollook::arrowGlyph(true), QStringLiteral("Mois"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(24, 12, 89, 30);

    BitBtn2 = new QPushButton(toollook::arrowGlyph(false), QStringLiteral("Mois"), Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setLayoutDirection(Qt::RightToLeft); // the glyph after the caption
    BitBtn2->setGeometry(144, 12, 89, 30);

    Button1 = new QPushButton(QStringLiteral("Fermer"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(264, 12, 89, 30);

    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(2, 50, 372, 40);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(toollook::arial(20, true));
    QPalette labelColours = Label1->palette();
    labelColours.setColor(QPalette::WindowText, toollook::red);
    Label1->setPalette(labelColours);

    Calendar1 = new QCalendarWidget(this);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    Calendar1->setGeometry(0, 96, 377, 178);
    Calendar1->setLocale(QLocale(QLocale::French, QLocale::France)); // French day names
    Calendar1->setFirstDayOfWeek(Qt::Sunday);
    Calendar1->setNavigationBarVisible(false);
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar1->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    Calendar1->setGridVisible(true);
    QPalette grid = Calendar1->palette();
    grid.setColor(QPalette::Base, toollook::lime);
    grid.setColor(QPalette::AlternateBase, toollook::lime);
    Calendar1->setPalette(grid);
    QTextCharFormat plainDays; // the original's grid draws every day alike
    plainDays.setForeground(Qt::black);
    Calendar1->setWeekdayTextFormat(Qt::Saturday, plainDays);
    Calendar1->setWeekdayTextFormat(Qt::Sunday, plainDays);
    Calendar1->setSelectedDate(timesource::now().date());

    connect(Calendar1, &QCalendarWidget::selectionChanged, this, &TCalendrier::Calendar1Change);
    // The grid can turn to another month by itself (the mouse wheel): the selected date and the
    // heading go with it, as with the month buttons.
    connect(Calendar1, &QCalendarWidget::currentPageChanged, this, [this](int year, int month) {
        const QDate selected = Calendar1->selectedDate();
        const int months = (year - selected.year()) * 12 + (month - selected.month());
        if (months != 0)
            Calendar1->setSelectedDate(monthstep::step(selected, months));
    });
    connect(BitBtn1, &QPushButton::clicked, this, &TCalendrier::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TCalendrier::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &TCalendrier::Button1Click);

    // Calendar1KeyDown is bound to the grid and the three buttons.
    Calendar1->installEventFilter(this);
    m_gridView = Calendar1->findChild<QAbstractItemView*>();
    if (m_gridView)
        m_gridView->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtn2), static_cast<QWidget*>(Button1)})
        w->installEventFilter(this);

    Calendar1->setFocus();
    FormActivate();
}

QDate TCalendrier::selectedDate() const
{
    return Calendar1->selectedDate();
}

void TCalendrier::setSelectedDate(const QDate& date)
{
    Calendar1->setSelectedDate(date);
}

QString TCalendrier::heading() const
{
    return Label1->text();
}

void TCalendrier::FormActivate()
{
    Calendar1Change();
}

void TCalendrier::Calendar1Change()
{
    Label1->setText(monthstep::heading(Calendar1->selectedDate()));
    Label1->resize(372, Label1->height()); // centred over the whole band
}

void TCalendrier::BitBtn1Click()
{
    Calendar1->setSelectedDate(monthstep::previousMonth(Calendar1->selectedDate()));
}

void TCalendrier::BitBtn2Click()
{
    Calendar1->setSelectedDate(monthstep::nextMonth(Calendar1->selectedDate()));
}

void TCalendrier::Button1Click()
{
    reject();
}

bool TCalendrier::Calendar1KeyDown(int key)
{
    switch (key) {
    case Qt::Key_PageDown: BitBtn2Click(); return true;
    case Qt::Key_PageUp: BitBtn1Click(); return true;
    case Qt::Key_Escape: Button1Click(); return true;
    default: return false;
    }
}

void TCalendrier::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

bool TCalendrier::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        if (Calendar1KeyDown(static_cast<QKeyEvent*>(event)->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
