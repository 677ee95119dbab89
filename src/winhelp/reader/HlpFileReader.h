#pragma once
// Reads a .hlp file back and checks its structure the way a viewer depends on it: the internal
// directory, every B+ tree (sorted, index keys matching their children, leaf chain complete),
// TOPICPOS and TOPICOFFSET of every topic link, and the cross references between |TOPIC and the
// indexes, table records, pictures and their hot spots, LZ77-compressed topic blocks. The tests
// use it; it knows what this compiler writes (no phrase compression).
#include "winhelp/format/HelpPicture.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace hlp {

class ByteReader;

class HlpFile {
public:
    struct Link {
        std::uint8_t command = 0; // 0xE2, 0xE3, 0xC8 ...
        std::int32_t hash = 0;
        QByteArray macro;
        QByteArray text;          // the hot spot's text
    };
    struct Paragraph {
        unsigned bits = 0;        // paragraph info bits (0x0800 centred, 0x0100 border ...)
        std::uint8_t border = 0;
        QByteArray text;          // the strings, tabs as '\t', line breaks as '\n', a paragraph end
                                  // inside a table cell's shared format as '\r'
        QList<int> fonts;         // descriptors switched to, in order
        QList<int> pictures;      // |bmN numbers
        QList<std::uint8_t> pictureCommands;
        QList<int> pictureHotspots; // hot spots each picture command announces
        bool nonScroll = false;
        int row = -1;             // in a table: index into Topic::rows
        int column = -1;
    };
    struct TableRow {
        int columns = 0;
        int type = 0;             // 0/2 variable width, 1/3 fixed
        std::vector<std::pair<int, int>> widths; // the two values of each column
    };
    struct Topic {
        std::int32_t pos = 0;
        std::uint32_t offset = 0;
        int number = 0;
        QByteArray title;
        QList<QByteArray> macros;
        std::int32_t browseBack = -1, browseFor = -1;
        std::vector<Paragraph> paragraphs;
        std::vector<Link> links;
        std::vector<TableRow> rows;
    };
    struct Font {
        std::uint8_t attrs = 0, halfPoints = 0, family = 0;
        QByteArray face;
        std::uint8_t red = 0, green = 0, blue = 0;
    };
    struct Window {
        unsigned flags = 0;
        QByteArray type, name, caption;
        int x = 0, y = 0, width = 0, height = 0;
        unsigned maximize = 0;
        std::uint32_t colour = 0, nonScrollColour = 0;
    };
    struct System {
        unsigned minor = 0, major = 0, flags = 0;
        QByteArray title, copyright;
        std::optional<std::uint32_t> contents;
        QList<QByteArray> macros;
        std::vector<Window> windows;
        QByteArray icon;
        std::optional<unsigned> lcid;
        unsigned lcidExtra[2] = {0, 0};
        std::optional<unsigned> charset;
    };

    // Reads the file and checks everything; false when anything is wrong (see problems()).
    bool load(const QByteArray& data);
    const QStringList& problems() const { return m_problems; }

    QList<QByteArray> fileNames() const;
    bool hasFile(const QByteArray& name) const;
    QByteArray file(const QByteArray& name) const; // content, without its file header

    const std::vector<Topic>& topics() const { return m_topics; } // the terminating empty header excluded
    const System& system() const { return m_system; }
    const std::vector<Font>& fonts() const { return m_fonts; }

    // Lookups as a viewer makes them, through the B+ trees.
    std::optional<std::uint32_t> contextOffset(const QByteArray& context) const;
    QList<std::uint32_t> keywordOffsets(const QByteArray& keyword) const;
    std::optional<std::uint32_t> mapOffset(std::uint32_t number) const;
    QByteArray titleAt(std::uint32_t offset) const; // through |TTLBTREE
    QList<QByteArray> keywords() const;             // the |KWBTREE leaf chain, in order
    const Topic* topicAt(std::uint32_t offset) const;
    // The first picture of |bmN, as read and checked.
    const HelpPictureInfo* picture(int n) const;
    // Bytes of the topic blocks once unpacked (compressed files), or stored.
    qsizetype topicBytes() const { return m_topicBytes; }

private:
    enum class KeyKind { String, Signed, Unsigned, Keyword };
    struct TreeKind {
        KeyKind key;
        int leafExtra;  // bytes after the key in a leaf entry
    };
    struct TreeEntry {
        QByteArray key;
        std::int64_t number = 0;
        int at = 0; // offset of the leaf entry in the file's content
    };
    std::vector<TreeEntry> checkTree(const QByteArray& name, const TreeKind& kind, std::vector<int>* leafFirst = nullptr);
    const std::uint8_t* searchTree(const QByteArray& content, const TreeKind& kind, const QByteArray& key, std::int64_t number) const;
    int compareKeys(const TreeKind& kind, const QByteArray& a, std::int64_t an, const QByteArray& b, std::int64_t bn) const;
    bool readKey(const QByteArray& content, int& pos, const TreeKind& kind, QByteArray& key, std::int64_t& number) const;

    void readDirectory();
    void readSystem();
    void readFonts();
    void readTopics();
    QByteArray unpackTopic(const QByteArray& stored, std::vector<qsizetype>& blockStart, std::vector<qsizetype>& blockSize);
    bool readParagraph(ByteReader& p, const QByteArray& ld2, int& text, Paragraph& para, Topic& topic, std::int32_t pos, int& hotspots);
    void readPictures();
    void checkIndexes();
    void problem(const QString& text) { m_problems << text; }

    QByteArray m_data;
    QStringList m_problems;
    std::vector<std::pair<QByteArray, int>> m_files; // name, offset of the file header
    System m_system;
    std::vector<Font> m_fonts;
    std::vector<Topic> m_topics;
    std::vector<std::uint32_t> m_allHeaderOffsets; // terminator included
    std::vector<std::pair<int, HelpPictureInfo>> m_pictures;
    qsizetype m_topicBytes = 0;
};

} // namespace hlp
