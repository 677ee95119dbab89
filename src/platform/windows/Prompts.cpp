#include "platform/windows/Prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace {

class RealPrompts final : public Prompts {
public:
    Answer ask(QWidget* parent, const QString& text, Buttons buttons, Kind kind) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(QApplication::applicationDisplayName());
        box.setText(text);
        switch (kind) {
        case Kind::Information: box.setIcon(QMessageBox::Information); break;
        case Kind::Warning: box.setIcon(QMessageBox::Warning); break;
        case Kind::Confirmation: box.setIcon(QMessageBox::Question); break;
        case Kind::Error: box.setIcon(QMessageBox::Critical); break;
        }
        QMessageBox::StandardButtons set;
        switch (buttons) {
        case Buttons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
        case Buttons::YesNoCancel: set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
        case Buttons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
        case Buttons::Ok: set = QMessageBox::Ok; break;
        }
        box.setStandardButtons(set);
        if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("&Oui"));
        if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("&Non"));
        if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("Annuler"));
        if (buttons == Buttons::YesNo)
            box.setEscapeButton(QMessageBox::No);
        switch (box.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Ok: return Answer::Ok;
        default: return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
        }
    }

    QString openFileName(QWidget* parent, const QString& filter, const QString& initial,
        const QString& defaultExt, const QString& title) override
    {
        return fileName(parent, title.isEmpty() ? QStringLiteral("Ouvrir") : title, QFileDialog::AcceptOpen, filter,
            initial, defaultExt);
    }

    QString saveFileName(QWidget* parent, const QString& filter, const QString& initial,
        const QString& defaultExt, const QString& title) override
    {
        return fileName(parent, title.isEmpty() ? QStringLiteral("Enregistrer sous") : title, QFileDialog::AcceptSave,
            filter, initial, defaultExt);
    }

    int showModal(QDialog& dialog) override { return dialog.exec(); }

    bool chooseFont(QWidget* parent, QFont& font, QColor& colour) override
    {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, font, parent, QStringLiteral("Police"));
        if (ok)
            font = f;
        Q_UNUSED(colour);
        return ok;
    }

    static QString fileName(QWidget* parent, const QString& caption, QFileDialog::AcceptMode mode,
        const QString& filter, const QString& initial, const QString& defaultExt)
    {
        QFileDialog d(parent, caption, QString(), dialogFilter(filter));
        d.setAcceptMode(mode);
        if (mode == QFileDialog::AcceptSave)
            d.setOption(QFileDialog::DontConfirmOverwrite); // the program asks its own question
        else
            d.setFileMode(QFileDialog::AnyFile); // a name without a file is allowed: nothing is read
        d.setDefaultSuffix(defaultExt);
        if (!initial.isEmpty() && !initial.contains(QLatin1Char('*')))
            d.selectFile(initial);
        return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty() ? d.selectedFiles().first() : QString();
    }

    bool chooseColour(QWidget* parent, QColor& colour) override
    {
        const QColor c = QColorDialog::getColor(colour, parent, QStringLiteral("Couleur"));
        if (!c.isValid())
            return false;
        colour = c;
        return true;
    }
};

Prompts*& installed()
{
    static Prompts* p = nullptr;
    return p;
}

} // namespace

Prompts& prompts()
{
    static RealPrompts real;
    return installed() ? *installed() : real;
}

void setPrompts(Prompts* p)
{
    installed() = p;
}

QString dialogFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        out << (label.contains(QLatin1Char('(')) ? label : label + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}
