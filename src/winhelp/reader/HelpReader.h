#pragma once
// The reader of help files made by other compilers, in parts, one file each: HelpReader.cpp
// runs the parts and reads |SYSTEM, |FONT, the window macros and the baggage; HelpPhrases.cpp
// the phrase tables; HelpTopics.cpp the topic blocks and the chain of topic links;
// HelpParagraphs.cpp the text and table records; HelpIndexes.cpp |CONTEXT, the keyword
// indexes, [MAP] and the other trees; HelpPictures.cpp the |bmN pictures; HelpNames.cpp the
// names given to topics and the targets of links.
#include "winhelp/model/LoadedHelp.h"
#include "winhelp/reader/HlpFileSystem.h"

#include <QHash>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace hlp {
class ByteReader;
}

namespace hlp::fileread {

// Many short texts in few allocations: each text is a QByteArray that shares a large block with
// the texts before it (as a copy of a QByteArray shares its bytes) and is followed there by a
// NUL. A help has a million of them; one allocation each would cost more than the reading.
// A text is copied the first time it is changed, as any shared QByteArray is.
class TextArena {
public:
    QByteArray add(const char* data, qsizetype size);

private:
    static constexpr qsizetype kBlock = 64 * 1024;
    QByteArray m_block;
    char* m_base = nullptr;
    qsizetype m_used = 0;
};

class HelpReader {
public:
    HelpReader(LoadedHelp& help, QStringList& warnings) : m_help(help), m_doc(help.document), m_project(help.project), m_warnings(warnings) {}
    // Throws Refusal when the file cannot be read.
    void run(const QByteArray& data, const QByteArray& contentsFile);

    // A link whose target is known only once every index is read.
    struct PendingLink {
        int topic = 0, paragraph = 0, item = 0;
        std::uint32_t value = 0; // context hash, or (WinHelp 3.0) topic number
        bool topicNumber = false;
        bool otherFile = false;
    };

private:
    struct TopicPlace {
        std::int32_t pos = 0;     // TOPICPOS of its header
        std::uint32_t offset = 0; // TOPICOFFSET (3.1 and later)
        std::int32_t browseBack = -1, browseFor = -1;
    };
    // A record of |TOPIC, its two parts unpacked.
    struct Record {
        std::int32_t pos = 0;
        unsigned type = 0;
        const char* ld1 = nullptr;
        int ld1Size = 0;
        QByteArray ld2;
    };

    // HelpReader.cpp
    void readSystem();
    void readWindow(const QByteArray& data);
    void chooseCodePage();
    void readFonts();
    void readWindowMacros();
    void readBaggage();
    void noteFacts();
    void warn(const QString& message);
    QString part(const char* name) const { return QString::fromLatin1(name); }

    // HelpPhrases.cpp
    void readPhrases();
    void readOldPhrases(const QByteArray& file);
    void readHallPhrases(const QByteArray& index, const QByteArray& image);
    QByteArray expandText(const char* stored, qsizetype size, qsizetype expanded, std::int32_t pos);

    // HelpTopics.cpp
    void readTopics();
    void unpackBlocks(const QByteArray& topicFile);
    const char* topicBytes(std::int32_t pos, qsizetype length);
    void topicHeader(const Record& r, std::uint32_t offset);

    // HelpParagraphs.cpp
    void textRecord(const Record& r);
    bool paragraph(ByteReader& ld1, const QByteArray& ld2, int& text, std::int32_t pos, int row, int cell);
    void tableRow(ByteReader& ld1, const QByteArray& ld2, std::int32_t pos);
    bool pictureCommand(ByteReader& ld1, unsigned command);
    void pushParagraph(Paragraph& para);
    void warnOnce(int kind, const QString& message);
    int metric(int value) const { return m_twips ? value : value * 10; }

    // HelpIndexes.cpp
    void readIndexes();
    int topicAtOffset(std::uint32_t offset) const;
    int topicAtPos(std::int32_t pos) const;
    void readContexts();
    void readKeywords(const QByteArray& treeName, char footnote);
    void readMap();
    void readTopicWindows();
    void readTopicNames();
    void readSourceFiles();
    void readTopicMap();
    template<class Entry> void forEachLeafEntry(const QByteArray& name, const Entry& entry);

    // HelpPictures.cpp
    int picture(int number);
    int embeddedPicture(const QByteArray& container);
    int addPicture(const QByteArray& container, const QByteArray& name, const QString& part);

    // HelpNames.cpp
    void nameTopics(const QByteArray& contentsFile);
    void gatherNames(const QByteArray& text);
    void offerName(const QByteArray& name);
    QByteArray nameFromTitle(const QByteArray& title, const QHash<std::int32_t, int>& taken, int topic) const;
    void resolveLinks();
    QByteArray nameForHash(std::int32_t hash) const;
    void browseSequences();
    void mapAndContents();

    LoadedHelp& m_help;
    HelpDocument& m_doc;
    HelpProject& m_project;
    QStringList& m_warnings;
    int m_warningCount = 0;
    FileSystem m_fs;

    // |SYSTEM
    int m_minor = 0;
    unsigned m_flags = 0;
    bool m_before31 = false; // WinHelp 3.0: topic numbers, no hashes, no TOPICOFFSET
    bool m_lz77 = false;
    int m_blockSize = 4096;
    int m_decompressSize = 0x4000;
    std::int64_t m_contentsOffset = -1;
    int m_defaultFontCharset = -1;
    // |FONT
    std::vector<CharFormat> m_fonts;
    bool m_twips = false; // metrics in twips (MediaView fonts), else half-points
    // phrases
    QByteArray m_phraseText;
    std::vector<std::uint32_t> m_phraseStart; // one more than phrases
    bool m_hall = false;
    qsizetype m_expandBudget = 0;
    // |TOPIC
    QByteArray m_flat;    // packed blocks once unpacked, one after the other
    QByteArray m_source;  // where the blocks' data is: m_flat, or the stored |TOPIC
    QByteArray m_scratch; // a link over several stored blocks, gathered
    std::vector<qsizetype> m_blockStart, m_blockLength;
    std::vector<TopicPlace> m_places;   // parallel to m_doc.topics
    CharFormat m_format;                // the current font while a topic is read
    std::uint32_t m_recordOffset = 0;   // TOPICOFFSET where the current record starts
    int m_nonScrollEnd = -1;            // TOPICPOS where the topic's scrolling region starts
    bool m_nonScroll = false;
    std::vector<PendingLink> m_links;
    std::vector<PendingLink> m_paragraphLinks; // of the paragraph being read (its index still unknown)
    bool m_hotspotOpen = false;
    std::vector<Item> m_items; // of the paragraph being read
    TextArena m_texts;
    QList<QByteArray> m_hotspotMacros; // of every macro hot spot: names of contexts may be in them
    unsigned m_warnedOnce = 0;
    int m_embedded = 0;
    // pictures: |bmN number -> index into m_doc.pictures (-1: unusable)
    QHash<int, int> m_pictures;
    // indexes
    std::vector<std::pair<std::int32_t, std::uint32_t>> m_contexts; // hash, TOPICOFFSET
    QHash<std::int32_t, QByteArray> m_names;                         // hash -> context string
    std::vector<std::pair<std::int32_t, QByteArray>> m_topicIds;     // TOPICOFFSET -> name (|TopicId)
    std::vector<std::int32_t> m_topicMap;                             // 3.0 |TOMAP
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_map;       // [MAP] number, TOPICOFFSET
    QHash<std::int32_t, int> m_hashTopic;                             // hash -> topic, once named
};

} // namespace hlp::fileread
