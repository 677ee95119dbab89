#include "publish/windows/Options.h"

#include "platform/windows/ColourWords.h"
#include "platform/windows/FieldText.h"
#include "platform/windows/FixedDialog.h"
#include "platform/windows/Prompts.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

#include <climits>

namespace {

QPushButton* plainButton(const QString& text, const char* name, QWidget* parent, QRect geometry)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    // Enter confirms only in the title field.
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setGeometry(geometry);
    return b;
}

QLabel* label(const QString& text, QWidget* parent, QRect geometry)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

QFrame* swatch(const char* name, QWidget* parent, QRect geometry)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f->setLineWidth(2);
    f->setAutoFillBackground(true);
    f->setCursor(Qt::PointingHandCursor);
    f->setToolTip(QStringLiteral("Cliquer pour choisir la couleur"));
    f->setGeometry(geometry);
    return f;
}

QSpinBox* spin(const char* name, int value, QWidget* parent, QRect geometry)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(INT_MIN, INT_MAX);
    s->setValue(value);
    s->setGeometry(geometry);
    return s;
}

void paintSwatch(QFrame* f, quint32 word)
{
    QPalette p = f->palette();
    p.setColor(QPalette::Window, colourwords::toColor(word));
    f->setPalette(p);
}

QString describe(const store::FieldLook& look)
{
    return look.fontName + QStringLiteral(", ") + QString::number(look.fontSize);
}

} // namespace

TOptions::TOptions(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TOptions"));
    setWindowTitle(QStringLiteral("Options du projet"));
    fixeddialog::apply(this, QSize(467, 341));

    QLabel* titleLabel = label(QStringLiteral("Titre de l'aide"), this, {14, 16, 110, 20});
    Edit1 = new QLineEdit(this);
    titleLabel->setBuddy(Edit1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(publish::MaxTitleLength);
    Edit1->setGeometry(126, 14, 327, 24);
    Edit1->installEventFilter(this);
    fieldtext::keepOnOneLine(Edit1);
    fieldtext::keepToTheDocument(Edit1);

    auto* titleGroup = new QGroupBox(QStringLiteral("Fenêtre de titre"), this);
    titleGroup->setGeometry(14, 52, 214, 100);
    label(QStringLiteral("Police"), titleGroup, {10, 28, 44, 20});
    titleFontName_ = label(QString(), titleGroup, {56, 28, 112, 20});
    Button3 = plainButton(QStringLiteral("..."), "Button3", titleGroup, {172, 26, 32, 24});
    Button3->setAccessibleName(QStringLiteral("Police de la fenêtre de titre"));
    label(QStringLiteral("Couleur fond"), titleGroup, {10, 64, 90, 20});
    Panel1 = swatch("Panel1", titleGroup, {112, 62, 92, 24});

    auto* mainGroup = new QGroupBox(QStringLiteral("Fenêtre principale"), this);
    mainGroup->setGeometry(240, 52, 213, 232);
    label(QStringLiteral("Police"), mainGroup, {10, 28, 44, 20});
    bodyFontName_ = label(QString(), mainGroup, {56, 28, 112, 20});
    Button4 = plainButton(QStringLiteral("..."), "Button4", mainGroup, {171, 26, 32, 24});
    Button4->setAccessibleName(QStringLiteral("Police de la fenêtre principale"));
    label(QStringLiteral("Couleur fond"), mainGroup, {10, 64, 90, 20});
    Panel3 = swatch("Panel3", mainGroup, {111, 62, 92, 24});
    SpinEdit2 = spin("SpinEdit2", 800, mainGroup, {111, 100, 92, 24});
    label(QStringLiteral("Largeur"), mainGroup, {10, 102, 90, 20})->setBuddy(SpinEdit2);
    SpinEdit1 = spin("SpinEdit1", 800, mainGroup, {111, 132, 92, 24});
    label(QStringLiteral("Hauteur"), mainGroup, {10, 134, 90, 20})->setBuddy(SpinEdit1);
    SpinEdit3 = spin("SpinEdit3", 100, mainGroup, {111, 164, 92, 24});
    label(QStringLiteral("Gauche"), mainGroup, {10, 166, 90, 20})->setBuddy(SpinEdit3);
    SpinEdit4 = spin("SpinEdit4", 5, mainGroup, {111, 196, 92, 24});
    label(QStringLiteral("Haut"), mainGroup, {10, 198, 90, 20})->setBuddy(SpinEdit4);

    CheckBox1 = new QCheckBox(QStringLiteral("Boutons [«] et [»]"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(16, 168, 212, 22);

    QLabel* iconLabel = label(QStringLiteral("Icône"), this, {16, 206, 100, 20});
    Edit2 = new QLineEdit(this);
    iconLabel->setBuddy(Edit2);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(16, 228, 172, 24);
    fieldtext::keepOnOneLine(Edit2);
    fieldtext::keepToTheDocument(Edit2);
    Button5 = plainButton(QStringLiteral("..."), "Button5", this, {196, 228, 32, 24});
    Button5->setAccessibleName(QStringLiteral("Choisir l'icône"));

    Button1 = plainButton(QStringLiteral("OK"), "Button1", this, {280, 300, 80, 28});
    Button2 = plainButton(QStringLiteral("Annuler"), "Button2", this, {373, 300, 80, 28});

    Panel1->installEventFilter(this);
    Panel3->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, &TOptions::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TOptions::Button2Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &TOptions::Edit1KeyPress);
    connect(Button3, &QPushButton::clicked, this, &TOptions::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TOptions::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TOptions::Button5Click);
    showLooks();
}

bool TOptions::Init(const QStringList& lines, const QString& projectFileName, const store::FieldLook& title,
    const store::FieldLook& body)
{
    confirmed_ = false;
    const publish::WindowPlace current{SpinEdit3->value(), SpinEdit4->value(), SpinEdit1->value(), SpinEdit2->value()};
    const publish::OptionsScan scan = publish::scanOptions(lines, projectFileName, current);
    if (!scan.ok) {
        prompts().tell(parentWidget(), scan.error, Prompts::Kind::Error);
        return false;
    }
    titleLook_ = title;
    bodyLook_ = body;
    DefaultHelpTitle = publish::defaultHelpTitle(projectFileName);
    TopicFileName = publish::topicFileName(projectFileName);
    Edit1->setText(scan.fields.title);
    Edit2->setText(scan.fields.icon);
    iconShown_ = scan.fields.icon;
    iconAsWritten_ = scan.iconAsWritten;
    CheckBox1->setChecked(scan.fields.browseButtons);
    SpinEdit3->setValue(scan.fields.place.left);
    SpinEdit4->setValue(scan.fields.place.top);
    SpinEdit1->setValue(scan.fields.place.height);
    SpinEdit2->setValue(scan.fields.place.width);
    showLooks();
    return true;
}

publish::OptionsFields TOptions::fields() const
{
    publish::OptionsFields f;
    f.title = Edit1->text();
    // A name cut for showing is written whole again as long as the field was left alone.
    f.icon = Edit2->text() == iconShown_ && !iconAsWritten_.isEmpty() ? iconAsWritten_ : Edit2->text();
    f.browseButtons = CheckBox1->isChecked();
    f.place = {SpinEdit3->value(), SpinEdit4->value(), SpinEdit1->value(), SpinEdit2->value()};
    return f;
}

void TOptions::Result(QStringList& lines, store::FieldLook& title, store::FieldLook& body) const
{
    title = titleLook_;
    body = bodyLook_;
    if (!confirmed_)
        return;
    const QStringList block = publish::optionsBlock(fields(), TopicFileName, bodyLook_.background,
        titleLook_.background, [](quint32 word) { return colourwords::fromColor(colourwords::toColor(word)); });
    // The same options: the block stays, its [MAP] section with it, and the document unchanged.
    if (store::projectBlockWithoutMap(lines) == block)
        return;
    publish::replaceProjectBlock(lines, block);
}

void TOptions::Button1Click()
{
    Edit1Exit();
    confirmed_ = true;
    accept();
}

void TOptions::Button2Click()
{
    confirmed_ = false;
    reject();
}

void TOptions::Edit1KeyPress()
{
    Button1Click();
}

void TOptions::Edit1Exit()
{
    if (Edit1->text().isEmpty())
        Edit1->setText(DefaultHelpTitle);
}

bool TOptions::chooseFont(store::FieldLook& look)
{
    QFont font(look.fontName);
    if (look.fontSize > 0)
        font.setPointSize(look.fontSize);
    const QColor before = colourwords::toColor(look.fontColour);
    QColor colour = before;
    if (!prompts().chooseFont(this, font, colour))
        return false;
    if (!font.family().isEmpty())
        look.fontName = font.family();
    const int points = qRound(font.pointSizeF());
    if (points > 0)
        look.fontSize = points;
    // A system colour stays a reference unless another colour was really chosen.
    if (colour.isValid() && colour != before)
        look.fontColour = colourwords::fromColor(colour);
    return true;
}

bool TOptions::chooseColour(quint32& word)
{
    const QColor before = colourwords::toColor(word);
    QColor colour = before;
    if (!prompts().chooseColour(this, colour) || !colour.isValid())
        return false;
    if (colour != before)
        word = colourwords::fromColor(colour);
    return true;
}

void TOptions::Button3Click()
{
    if (chooseFont(titleLook_))
        showLooks();
}

void TOptions::Button4Click()
{
    if (chooseFont(bodyLook_))
        showLooks();
}

void TOptions::Panel1Click()
{
    if (chooseColour(titleLook_.background))
        showLooks();
}

void TOptions::Panel3Click()
{
    if (chooseColour(bodyLook_.background))
        showLooks();
}

void TOptions::Button5Click()
{
    const QString chosen = prompts().openFileName(this, QStringLiteral("Icones (*.ico)|*.ico"),
        QStringLiteral("*.ico"), QStringLiteral("ico"));
    if (!chosen.isEmpty())
        Edit2->setText(store::fileNamePart(chosen));
}

void TOptions::showLooks()
{
    paintSwatch(Panel1, titleLook_.background);
    paintSwatch(Panel3, bodyLook_.background);
    titleFontName_->setText(describe(titleLook_));
    titleFontName_->setToolTip(describe(titleLook_));
    bodyFontName_->setText(describe(bodyLook_));
    bodyFontName_->setToolTip(describe(bodyLook_));
}

bool TOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Panel1) {
            Panel1Click();
            return true;
        }
        if (watched == Panel3) {
            Panel3Click();
            return true;
        }
    }
    if (watched == Edit1 && event->type() == QEvent::FocusOut)
        Edit1Exit();
    return QDialog::eventFilter(watched, event);
}

void TOptions::showEvent(QShowEvent* event)
{
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    Edit1->setFocus();
    QDialog::showEvent(event);
}
