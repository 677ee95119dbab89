#pragma once
// The clock utility: a thin window over ClockEngine. The time and date refresh every
// second; "Set" freezes them so a field can be stepped with the spin button.
#include "tools/core/ClockEngine.h"

#include <QDialog>

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class SpinButton;

class THorloge : public QDialog {
    Q_OBJECT
public:
    explicit THorloge(QWidget* parent = nullptr);

    // RadioGroup1's choice: 0 "Hr", 1 "Mn", 2 "Jo", 3 "Mo", 4 "An", -1 none.
    int itemIndex() const;
    void setItemIndex(int index);

    QString timeText() const; // Label1
    QString dateText() const; // Label2
    bool adjustMode() const { return m_engine.adjustMode(); }
    bool timerActive() const;

public Q_SLOTS:
    void FormActivate();
    void Timer1Timer();
    void Button2Click(); // "Set"
    void SpinButton1UpClick();
    void SpinButton1DownClick();
    void Button1Click(); // "Fermer"

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(bool up);
    void apply(); // the engine's texts and timer state onto the widgets

    ClockEngine m_engine;
    QFrame* Panel1;
    QFrame* Panel2;
    QFrame* Panel3;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QGroupBox* RadioGroup1;
    QButtonGroup* m_fields;
    SpinButton* SpinButton1;
    QPushButton* Button1;
    QPushButton* Button2;
    QTimer* Timer1;
};
