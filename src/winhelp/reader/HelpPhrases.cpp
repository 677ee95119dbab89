// Phrase compression of the topic text, both schemes: the old |Phrases table (its text packed
// with LZ77 since 3.1) and Hall compression (|PhrIndex holds the phrase lengths as bits,
// |PhrImage their text).
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"

#include <cstring>

namespace hlp::fileread {

void HelpReader::readPhrases()
{
    if (const FileSystem::Entry* old = m_fs.find("|Phrases")) {
        readOldPhrases(m_fs.content(*old));
    } else if (m_fs.has("|PhrIndex")) {
        if (!m_fs.has("|PhrImage"))
            refuse(QStringLiteral("|PhrImage : fichier interne absent, le texte compressé est illisible"));
        readHallPhrases(m_fs.file("|PhrIndex"), m_fs.file("|PhrImage"));
    }
}

void HelpReader::readOldPhrases(const QByteArray& file)
{
    ByteReader r(file);
    int count = static_cast<int>(r.u16());
    unsigned hundred = r.u16();
    int headerSize = 4;
    if (count == 0x0800 && hundred != 0x0100) {
        // A variant with a leading 0x0800 and 30 bytes more.
        count = static_cast<int>(hundred);
        hundred = r.u16();
        r.u32();
        r.bytes(30);
        headerSize = 40;
    } else if (!m_before31) {
        headerSize = 8;
    }
    std::uint32_t unpacked = 0;
    if (headerSize == 8)
        unpacked = r.u32();
    const qsizetype tableAt = headerSize;
    if (!r.ok() || tableAt + 2 * qsizetype(count + 1) > file.size())
        refuse(QStringLiteral("|Phrases : table des phrases tronquée"));
    r.seek(static_cast<int>(tableAt));
    std::vector<std::uint32_t> offsets(static_cast<size_t>(count) + 1);
    for (std::uint32_t& o : offsets)
        o = r.u16();
    const std::uint32_t base = offsets.front();
    const qsizetype textAt = tableAt + 2 * qsizetype(count + 1);
    if (base != 2u * static_cast<std::uint32_t>(count + 1))
        refuse(QStringLiteral("|Phrases : table des phrases incohérente"));
    QByteArray text;
    if (headerSize == 4) {
        text = file.mid(textAt);
    } else {
        // The text never unpacks to more than 9 times its stored size.
        if (unpacked > static_cast<std::uint64_t>(file.size()) * 9 + 64)
            refuse(QStringLiteral("|Phrases : taille annoncée de %1 octets, impossible pour ce fichier").arg(unpacked));
        bool truncated = false;
        text = lz77DecodeAtMost(file.constData() + textAt, file.size() - textAt, unpacked, &truncated);
        if (truncated)
            refuse(QStringLiteral("|Phrases : texte compressé endommagé"));
    }
    m_phraseStart.resize(offsets.size());
    for (size_t i = 0; i < offsets.size(); ++i) {
        if (offsets[i] < base || offsets[i] - base > static_cast<std::uint64_t>(text.size()) || (i > 0 && offsets[i] < offsets[i - 1]))
            refuse(QStringLiteral("|Phrases : la phrase %1 est hors du texte des phrases").arg(i));
        m_phraseStart[i] = offsets[i] - base;
    }
    m_phraseText = text;
    m_hall = false;
}

void HelpReader::readHallPhrases(const QByteArray& index, const QByteArray& image)
{
    ByteReader r(index);
    r.u32();
    const std::uint32_t count = r.u32();
    r.u32();
    const std::uint32_t imageSize = r.u32();
    const std::uint32_t imageStored = r.u32();
    r.u32();
    const unsigned bits = r.u16() & 0x0F;
    r.u16();
    if (!r.ok())
        refuse(QStringLiteral("|PhrIndex : en-tête tronqué"));
    // Each phrase takes at least two bits of the index.
    const qsizetype bitBytes = index.size() - r.pos();
    if (count > static_cast<std::uint64_t>(bitBytes) * 4)
        refuse(QStringLiteral("|PhrIndex : %1 phrases annoncées, l'index n'en a pas la place").arg(count));
    if (imageSize > static_cast<std::uint64_t>(image.size()) * 9 + 64)
        refuse(QStringLiteral("|PhrImage : taille annoncée de %1 octets, impossible pour ce fichier").arg(imageSize));
    const auto* data = reinterpret_cast<const unsigned char*>(index.constData()) + r.pos();
    qsizetype bit = 0;
    const qsizetype bitCount = bitBytes * 8;
    auto next = [&]() {
        if (bit >= bitCount)
            refuse(QStringLiteral("|PhrIndex : index des phrases tronqué"));
        const bool set = (data[bit >> 3] >> (bit & 7)) & 1;
        ++bit;
        return set;
    };
    m_phraseStart.assign(static_cast<size_t>(count) + 1, 0);
    std::uint64_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint64_t n = 1;
        while (next()) {
            n += std::uint64_t(1) << bits;
            if (n > imageSize)
                refuse(QStringLiteral("|PhrIndex : la phrase %1 dépasse le texte des phrases").arg(i));
        }
        if (next())
            n += 1;
        for (unsigned b = 1; b < 5; ++b)
            if (bits > b && next())
                n += std::uint64_t(1) << b;
        at += n;
        if (at > imageSize)
            refuse(QStringLiteral("|PhrIndex : la phrase %1 dépasse le texte des phrases").arg(i));
        m_phraseStart[i + 1] = static_cast<std::uint32_t>(at);
    }
    if (imageStored != imageSize) {
        bool truncated = false;
        m_phraseText = lz77DecodeAtMost(image.constData(), image.size(), imageSize, &truncated);
        if (truncated)
            refuse(QStringLiteral("|PhrImage : texte compressé endommagé"));
    } else {
        m_phraseText = image.left(imageSize);
    }
    if (m_phraseText.size() < static_cast<qsizetype>(at))
        refuse(QStringLiteral("|PhrImage : texte des phrases tronqué (%1 octets au lieu de %2)").arg(m_phraseText.size()).arg(at));
    m_hall = true;
}

// LinkData2 of a record: stored as it is when the record says it is no larger, else with its
// phrases to put back. `expanded` is the length the record gives.
QByteArray HelpReader::expandText(const char* stored, qsizetype size, qsizetype expanded, std::int32_t pos)
{
    // Stored as it is: read in place (the caller keeps nothing of it without a copy).
    if (expanded <= size)
        return QByteArray::fromRawData(stored, qMax<qsizetype>(0, expanded));
    if (m_phraseStart.empty()) {
        warn(QStringLiteral("|TOPIC : l'enregistrement 0x%1 annonce un texte compressé, mais le fichier n'a pas de phrases.")
                 .arg(static_cast<quint32>(pos), 0, 16));
        return QByteArray::fromRawData(stored, size);
    }
    m_expandBudget -= expanded;
    if (m_expandBudget < 0)
        refuse(QStringLiteral("|TOPIC : le texte décompressé serait démesuré pour un fichier de cette taille"));
    QByteArray out(expanded, Qt::Uninitialized);
    char* o = out.data();
    qsizetype n = 0;
    const int phrases = static_cast<int>(m_phraseStart.size()) - 1;
    const char* text = m_phraseText.constData();
    auto tooLong = [pos]() {
        refuse(QStringLiteral("|TOPIC : le texte de l'enregistrement 0x%1 est plus long qu'annoncé").arg(static_cast<quint32>(pos), 0, 16));
    };
    auto phrase = [&](int number) {
        if (number < 0 || number >= phrases)
            refuse(QStringLiteral("|TOPIC : l'enregistrement 0x%1 cite la phrase %2, la table n'en a que %3")
                       .arg(static_cast<quint32>(pos), 0, 16)
                       .arg(number)
                       .arg(phrases));
        const std::uint32_t from = m_phraseStart[static_cast<size_t>(number)];
        const qsizetype length = m_phraseStart[static_cast<size_t>(number) + 1] - from;
        if (n + length > expanded)
            tooLong();
        std::memcpy(o + n, text + from, static_cast<size_t>(length));
        n += length;
    };
    auto put = [&](char c, qsizetype times) {
        if (n + times > expanded)
            tooLong();
        std::memset(o + n, c, static_cast<size_t>(times));
        n += times;
    };
    const auto* p = reinterpret_cast<const unsigned char*>(stored);
    const unsigned char* const end = p + size;
    if (!m_hall) {
        while (p < end) {
            const unsigned c = *p++;
            if (c > 0 && c < 16 && p < end) {
                const unsigned code = 256 * (c - 1) + *p++;
                phrase(static_cast<int>(code / 2));
                if (code & 1)
                    put(' ', 1);
            } else {
                put(static_cast<char>(c), 1);
            }
        }
    } else {
        while (p < end) {
            const unsigned c = *p++;
            if ((c & 1) == 0) {
                phrase(static_cast<int>(c / 2));
            } else if ((c & 3) == 1) {
                if (p >= end)
                    break;
                phrase(static_cast<int>(128 + (c / 4) * 256 + *p++));
            } else if ((c & 7) == 3) {
                const qsizetype count = c / 8 + 1;
                if (end - p < count)
                    tooLong();
                if (n + count > expanded)
                    tooLong();
                std::memcpy(o + n, p, static_cast<size_t>(count));
                n += count;
                p += count;
            } else if ((c & 15) == 7) {
                put(' ', c / 16 + 1);
            } else {
                put('\0', c / 16 + 1);
            }
        }
    }
    // Shorter than announced: the rest reads as empty strings.
    std::memset(o + n, 0, static_cast<size_t>(expanded - n));
    return out;
}

} // namespace hlp::fileread
