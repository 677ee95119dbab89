#include "tools/windows/TPocket.h"

#include "platform/windows/Prompts.h"
#include "tools/windows/ToolLook.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// The keypad: button number, caption, row and column (1-based, as in the Part's table).
struct KeySpec {
    int number;
    const char* caption;
    int row;
    int column;
};

constexpr KeySpec keypad[] = {
    {7, "7", 1, 1}, {8, "8", 1, 2}, {9, "9", 1, 3}, {12, "+", 1, 4}, {16, "1/x", 1, 5},
    {4, "4", 2, 1}, {5, "5", 2, 2}, {6, "6", 2, 3}, {13, "-", 2, 4}, {17, "sqr", 2, 5},
    {1, "1", 3, 1}, {2, "2", 3, 2}, {3, "3", 3, 3}, {14, "*", 3, 4}, {18, "C", 3, 5},
    {10, ",", 4, 1}, {0, "0", 4, 2}, {11, "=", 4, 3}, {15, "/", 4, 4}, {19, "Fermer", 4, 6},
};

// The character a key event types, Escape included.
QChar typedChar(const QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        return QChar(27);
    return event->text().isEmpty() ? QChar() : event->text().at(0);
}

} // namespace

TPocket::TPocket(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TPocket"));
    setWindowTitle(QStringLiteral("Calculatrice"));
    toollook::fixedDialog(this, 342, 219);
    toollook::fill(this, toollook::teal);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(10, 10, 264, 40);
    Panel1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    toollook::fill(Panel1, toollook::navy);

    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(6, 4, 252, 32);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setFont(toollook::arial(15, true));
    QPalette silverText = Label1->palette();
    silverText.setColor(QPalette::WindowText, toollook::silver);
    Label1->setPalette(silverText);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(286, 18, 46, 24);
    Label2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    toollook::fill(Label2, toollook::red);

    const int columnX[] = {0, 10, 60, 110, 160, 222, 280};
    const int rowY[] = {0, 62, 100, 138, 176};
    for (const KeySpec& k : keypad) {
        auto* b = new QPushButton(QString::fromUtf8(k.caption), this);
        b->setObjectName(QStringLiteral("Button%1").arg(k.number));
        b->setFont(toollook::arial(10, true));
        if (k.number == 19)
            b->setGeometry(columnX[5], rowY[k.row], 332 - columnX[5], 32); // wide: over columns 5 and 6
        else
            b->setGeometry(columnX[k.column], rowY[k.row], k.column == 5 ? 52 : 44, 32);
        m_buttons[k.number] = b;
        b->installEventFilter(this);
    }

    connect(m_buttons[0], &QPushButton::clicked, this, &TPocket::Button0Click);
    connect(m_buttons[1], &QPushButton::clicked, this, &TPocket::Button1Click);
    connect(m_buttons[2], &QPushButton::clicked, this, &TPocket::Button2Click);
    connect(m_buttons[3], &QPushButton::clicked, this, &TPocket::Button3Click);
    connect(m_buttons[4], &QPushButton::clicked, this, &TPocket::Button4Click);
    connect(m_buttons[5], &QPushButton::clicked, this, &TPocket::Button5Click);
    connect(m_buttons[6], &QPushButton::clicked, this, &TPocket::Button6Click);
    connect(m_buttons[7], &QPushButton::clicked, this, &TPocket::Button7Click);
    connect(m_buttons[8], &QPushButton::clicked, this, &TPocket::Button8Click);
    connect(m_buttons[9], &QPushButton::clicked, this, &TPocket::Button9Click);
    connect(m_buttons[10], &QPushButton::clicked, this, &TPocket::Button10Click);
    connect(m_buttons[11], &QPushButton::clicked, this, &TPocket::Button11Click);
    connect(m_buttons[12], &QPushButton::clicked, this, &TPocket::Button12Click);
    connect(m_buttons[13], &QPushButton::clicked, this, &TPocket::Button13Click);
    connect(m_buttons[14], &QPushButton::clicked, this, &TPocket::Button14Click);
    connect(m_buttons[15], &QPushButton::clicked, this, &TPocket::Button15Click);
    connect(m_buttons[16], &QPushButton::clicked, this, &TPocket::Button16Click);
    connect(m_buttons[17], &QPushButton::clicked, this, &TPocket::Button17Click);
    connect(m_buttons[18], &QPushButton::clicked, this, &TPocket::Button18Click);
    connect(m_buttons[19], &QPushButton::clicked, this, &TPocket::Button19Click);

    FormActivate();
}

QString TPocket::display() const
{
    return Label1->text();
}

void TPocket::run(PocketKey key)
{
    if (key == PocketKey::Close) {
        reject();
        return;
    }
    const QString failed = m_engine.press(key);
    Label1->setText(m_engine.display());
    if (!failed.isEmpty())
        prompts().tell(this, failed, Prompts::Kind::Error);
}

void TPocket::Button0Click() { run(PocketKey::Digit0); }
void TPocket::Button1Click() { run(PocketKey::Digit1); }
void TPocket::Button2Click() { run(PocketKey::Digit2); }
void TPocket::Button3Click() { run(PocketKey::Digit3); }
void TPocket::Button4Click() { run(PocketKey::Digit4); }
void TPocket::Button5Click() { run(PocketKey::Digit5); }
void TPocket::Button6Click() { run(PocketKey::Digit6); }
void TPocket::Button7Click() { run(PocketKey::Digit7); }
void TPocket::Button8Click() { run(PocketKey::Digit8); }
void TPocket::Button9Click() { run(PocketKey::Digit9); }
void TPocket::Button10Click() { run(PocketKey::Comma); }
void TPocket::Button11Click() { run(PocketKey::Equals); }
void TPocket::Button12Click() { run(PocketKey::Plus); }
void TPocket::Button13Click() { run(PocketKey::Minus); }
void TPocket::Button14Click() { run(PocketKey::Times); }
void TPocket::Button15Click() { run(PocketKey::Divide); }
void TPocket::Button16Click() { run(PocketKey::Reciprocal); }
void TPocket::Button17Click() { run(PocketKey::SquareRoot); }
void TPocket::Button18Click() { FormActivate(); }
void TPocket::Button19Click() { reject(); }

void TPocket::FormActivate()
{
    m_engine.reset();
    Label1->setText(m_engine.display());
    m_buttons[11]->setFocus();
}

bool TPocket::FormKeyPress(QChar typed)
{
    const std::optional<PocketKey> key = pocketKeyFor(typed);
    if (!key)
        return false;
    // The key stands for its button: run what a click of that button runs.
    switch (*key) {
    case PocketKey::Clear: Button18Click(); break;
    case PocketKey::Close: reject(); break;
    default: run(*key); break;
    }
    return true;
}

bool TPocket::Button11KeyDown(int key)
{
    if (key != Qt::Key_Escape)
        return false;
    reject();
    return true;
}

void TPocket::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TPocket::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyPress(typedChar(event)))
        QDialog::keyPressEvent(event);
}

bool TPocket::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_buttons[16] || watched == m_buttons[17]) {
        // These two do not pass their keys on: a mapped key does nothing at all here (the
        // button's own Space and Enter still press it).
        return pocketKeyFor(typedChar(key)).has_value();
    }
    if (watched == m_buttons[11] && Button11KeyDown(key->key()))
        return true;
    if (qobject_cast<QPushButton*>(watched) && FormKeyPress(typedChar(key)))
        return true;
    return QDialog::eventFilter(watched, event);
}
