#pragma once
// The platform's spin button: an up arrow over a down arrow that report clicks, repeating while
// held (first repeat after 400 ms, then every 100 ms). With the focus, the Up and Down keys click
// the arrows.
#include <QWidget>

class QToolButton;

class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    void upClick();
    void downClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};
