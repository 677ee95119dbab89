#pragma once
// The RTF topic file: a fixed header, every topic in number order with its footnotes, the contents
// links of topic 0, see-also jumps, then every popup topic. Everything but the final write is a
// pure function of the document's lines, the two counts and the two field fonts; the document is
// only read, never changed.
#include "publish/core/BlockWalk.h"
#include "store/core/HeaderBlock.h"
#include "store/core/TopicRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstring>

namespace publish {

// The bytes of the file as they are made: some pieces end a file line, others are joined to the
// next piece on the same line. Text pieces are written in code page 1252.
class RtfOut {
public:
    template <typename Text> void line(const Text& s)
    {
        piece(s);
        lineBreak();
    }
    void piece(const QString& s);
    void piece(const char* ascii) { raw(ascii, qsizetype(std::strlen(ascii))); }
    void piece(QByteArrayView ascii) { raw(ascii.data(), ascii.size()); }
    void piece(const QByteArray& ascii) { raw(ascii.constData(), ascii.size()); }
    template <typename Text> void piece(const Text& s) { piece(QString(s)); }
    // Appends the escaped line without a final paragraph mark; true when it had one. The author's
    // text is contained (containRtf) with its open groups so far in `depth`; the writer's own
    // lines pass no `depth`.
    bool escapedLine(QStringView raw, int* depth = nullptr);
    void lineBreak() { raw("\r\n", 2); }
    void reserve(qsizetype n) { room(n); }
    QByteArray take();

private:
    // The bytes are written through a pointer into a buffer larger than what it holds.
    void raw(const char* s, qsizetype n)
    {
        room(n);
        std::memcpy(at_, s, size_t(n));
        at_ += n;
    }
    void room(qsizetype n)
    {
        if (end_ - at_ < n)
            grow(n);
    }
    void grow(qsizetype n);

    QByteArray bytes_;
    char* at_ = nullptr;
    char* end_ = nullptr;
};

// The link line of the contents of topic 0 for one topic (raw title, escaped when written).
QString contentsLink(const QString& rawTitle, const QString& bodySize);

// The lines that end the body of topic 0: one link line per topic 1, 2, ... in number order (up to
// the first missing number, below `pageCount`), then one line holding only the paragraph mark.
// Empty when topic 0 or its close tag is missing.
QStringList Sommaire(const QStringList& lines, const BlockWalk& walk, int pageCount, const store::FieldLook& body);

// Writes popups 0 .. popupCount-1 (up to the first missing number) as popup topics.
void EcritPopUp(RtfOut& out, const QStringList& lines, const BlockWalk& walk, int popupCount);

// The topic file of one topic as the build writes it, for a preview: the header, the topic from
// its fields (page `page`, with its see-also, and after topic 0 the contents links of
// `documentLines`), then every popup its text links to. Empty of topics when the title is blank.
QByteArray topicRtf(const QStringList& documentLines, int page, const store::TopicFields& fields, int pageCount,
    const store::FieldLook& title, const store::FieldLook& body);

// The whole topic file: code page 1252, lines ended by CR LF.
QByteArray RtfBytes(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body);

// Writes the topic file to `rtfPath`, replacing an old file only once the new one is complete.
// False with the system's reason in `error` when it cannot be written.
bool ExportRtf(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& rtfPath, QString* error = nullptr);

} // namespace publish
