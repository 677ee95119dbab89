#pragma once
// The calendar utility: one month as a grid of days under its French heading, stepped
// month by month. The only state is the grid's selected date, which survives closing.
#include <QDate>
#include <QDialog>

class QAbstractItemView;
class QCalendarWidget;
class QFrame;
class QLabel;
class QPushButton;

class TCalendrier : public QDialog {
    Q_OBJECT
public:
    explicit TCalendrier(QWidget* parent = nullptr);

    QDate selectedDate() const;
    void setSelectedDate(const QDate& date);
    QString heading() const; // Label1's text

public Q_SLOTS:
    void FormActivate();
    void Calendar1Change();
    void BitBtn1Click(); // previous month
    void BitBtn2Click(); // next month
    void Button1Click(); // close

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Page Down: next month; Page Up: previous month; Escape: close. True when the key was used.
    bool Calendar1KeyDown(int key);

    QFrame* Panel1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* Button1;
    QLabel* Label1;
    QCalendarWidget* Calendar1;
    QAbstractItemView* m_gridView = nullptr; // the grid inside Calendar1, which has the focus
};
