#pragma once
// The window shown while the program creates its windows; it has no behaviour of its own.
#include <QWidget>

class QFrame;
class QLabel;

class TSplash : public QWidget {
    Q_OBJECT
public:
    explicit TSplash(QWidget* parent = nullptr);

    // Shows the window centred on the screen and paints it at once.
    void showNow();

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
};
