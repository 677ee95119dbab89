#pragma once
// The RTF topic file: a fixed header, every topic in number order with its footnotes, the contents
// links of topic 0, see-also jumps, then every popup topic. Everything but the final write is a
// pure function of the document's lines, the two counts and the two field fonts; the document
// itself is never changed (the work happens on a copy, the scratch lines).
#include "build/core/BlockWalk.h"
#include "store/core/HeaderBlock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace build {

// The output text with its line ends, built piece by piece: some pieces end a file line, others
// are joined to the next piece on the same line.
class RtfOut {
public:
    template <typename Text> void line(const Text& s)
    {
        text_ += s;
        text_ += u"\r\n";
    }
    template <typename Text> void piece(const Text& s) { text_ += s; }
    void lineBreak() { text_ += u"\r\n"; }
    void reserve(qsizetype n) { text_.reserve(n); }
    const QString& text() const { return text_; }
    QString take() { return std::move(text_); }

private:
    QString text_;
};

// The link line Sommaire puts at the end of topic 0 for one topic (raw title, escaped later).
QString contentsLink(const QString& rawTitle, const QString& bodySize);

// Inserts, before the close tag of topic 0, one link line per topic 1, 2, ... in number order (up
// to the first missing number, below `pageCount`), then one line holding only the paragraph mark.
// Does nothing when topic 0 or its close tag is missing.
void Sommaire(QStringList& scratchLines, int pageCount, const store::FieldLook& body);

// Writes popups 0 .. popupCount-1 (up to the first missing number) as popup topics.
void EcritPopUp(RtfOut& out, const QStringList& scratchLines, const BlockWalk& walk, int popupCount);

// The whole topic file as text and as the bytes of the file (code page 1252, CR LF).
QString RtfText(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body);
QByteArray RtfBytes(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body);

// Writes the topic file to `rtfPath` (replacing it only once the whole file is written). False with
// the system's reason in `error` when it cannot be written.
bool ExportRtf(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& rtfPath, QString* error = nullptr);

} // namespace build
