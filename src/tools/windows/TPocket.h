#pragma once
// The pocket calculator utility: a thin window over PocketEngine. Reset at every
// showing; keys go through FormKeyPress from the window and every button but "1/x" and "sqr".
#include "tools/core/PocketEngine.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TPocket : public QDialog {
    Q_OBJECT
public:
    explicit TPocket(QWidget* parent = nullptr);

    const PocketEngine& engine() const { return m_engine; }
    QString display() const; // Label1's text

public Q_SLOTS:
    void Button0Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click(); // ","
    void Button11Click(); // "="
    void Button12Click(); // "+"
    void Button13Click(); // "-"
    void Button14Click(); // "*"
    void Button15Click(); // "/"
    void Button16Click(); // "1/x"
    void Button17Click(); // "sqr"
    void Button18Click(); // "C"
    void Button19Click(); // "Fermer"
    void FormActivate();

public:
    // The keyboard map; true when `typed` is one of its keys.
    bool FormKeyPress(QChar typed);
    // Escape on the "=" button closes the window; true when used.
    bool Button11KeyDown(int key);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(PocketKey key);

    PocketEngine m_engine;
    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* m_buttons[20]; // Button0 .. Button19
};
