#include "editor/windows/ImportProgress.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>

ImportProgress::ImportProgress(QWidget* parent, QPlainTextEdit* body, const QString& fileName)
    : QProgressDialog(parent), body_(body), fileName_(fileName), pieces_(new QTimer(this))
{
    setObjectName(QStringLiteral("ImportProgress"));
    setWindowTitle(QStringLiteral("Importer"));
    setLabelText(QString::fromUtf8("Importation du fichier « %1 »...").arg(QFileInfo(fileName).fileName()));
    setCancelButtonText(QStringLiteral("Annuler"));
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    setRange(0, 0); // reading: no measure yet
    pieces_->setInterval(0);
    connect(pieces_, &QTimer::timeout, this, &ImportProgress::insertPiece);
    // "Annuler" ends the showing like Escape and the close box.
    disconnect(this, &QProgressDialog::canceled, this, &QProgressDialog::cancel);
    connect(this, &QProgressDialog::canceled, this, &QDialog::reject);
}

ImportProgress::~ImportProgress()
{
    stop();
}

void ImportProgress::showEvent(QShowEvent* event)
{
    QProgressDialog::showEvent(event);
    if (state_ == State::Waiting)
        read();
}

void ImportProgress::read()
{
    state_ = State::Reading;
    reader_ = std::thread([this] {
        readOk_ = editor::readImport(fileName_, text_, &error_, &cancelled_);
        QMetaObject::invokeMethod(this, [this] {
            if (state_ != State::Reading)
                return;
            reader_.join();
            if (!readOk_) {
                state_ = State::Stopped;
                reject();
                return;
            }
            QTextCursor c = body_->textCursor();
            start_ = c.selectionStart();
            anchor_ = c.anchor();
            position_ = c.position();
            replacedText_ = c.selection().toPlainText();
            wasModified_ = body_->document()->isModified();
            cursor_ = c;
            // One edit for the whole file, which also keeps the layout for the end.
            cursor_.beginEditBlock();
            state_ = State::Inserting;
            setRange(0, 1000);
            setValue(0);
            pieces_->start();
        }, Qt::QueuedConnection);
    });
}

void ImportProgress::insertPiece()
{
    if (state_ != State::Inserting)
        return;
    const qsizetype total = text_.text.size();
    const qsizetype n = qMin(Piece, total - inserted_);
    if (n > 0)
        cursor_.insertText(QStringView(text_.text).mid(inserted_, n).toString());
    inserted_ += n;
    if (inserted_ >= total) {
        pieces_->stop();
        cursor_.endEditBlock();
        state_ = State::Done;
        body_->setTextCursor(cursor_);
        text_.text = QString();
    }
    // A modal progress dialog lets events through here: "Annuler" may end the import meanwhile.
    setValue(total > 0 ? int(inserted_ * 1000 / total) : 1000);
    if (state_ == State::Done) {
        accept();
        return;
    }
    if (state_ == State::Inserting)
        Q_EMIT pieceInserted(inserted_);
}

void ImportProgress::stop()
{
    cancelled_ = true;
    if (reader_.joinable())
        reader_.join();
    pieces_->stop();
    if (state_ == State::Inserting) {
        // The body as it was: the selection back in place of what went in, and its modified mark.
        cursor_.setPosition(start_);
        cursor_.setPosition(start_ + int(inserted_), QTextCursor::KeepAnchor);
        cursor_.insertText(replacedText_);
        cursor_.endEditBlock();
        QTextCursor back(body_->document());
        back.setPosition(anchor_);
        back.setPosition(position_, QTextCursor::KeepAnchor);
        body_->setTextCursor(back);
        body_->document()->setModified(wasModified_);
    }
    if (state_ != State::Done)
        state_ = State::Stopped;
}

void ImportProgress::done(int result)
{
    if (result != QDialog::Accepted)
        stop();
    QProgressDialog::done(result);
}
