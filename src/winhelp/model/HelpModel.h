#pragma once
// What the readers make of the project and its topic files, and what the writer turns into a
// .hlp file. Help text is kept as code page 1252 bytes; file names as QString.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace hlp {

enum FontAttr : std::uint8_t {
    AttrBold = 0x01,
    AttrItalic = 0x02,
    AttrUnderline = 0x04,
    AttrStrike = 0x08,
    AttrDoubleUnderline = 0x10,
    AttrSmallCaps = 0x20,
};

struct CharFormat {
    int face = 0;         // index into HelpDocument::faces
    int halfPoints = 24;
    std::uint8_t attrs = 0;
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const CharFormat&) const = default;
};

struct TabStop {
    int position = 0; // twips
    int kind = 0;     // 0 left, 1 right, 2 centre
    bool operator==(const TabStop&) const = default;
};

enum BorderBits : std::uint8_t {
    BorderBox = 0x01,
    BorderTop = 0x02,
    BorderLeft = 0x04,
    BorderBottom = 0x08,
    BorderRight = 0x10,
    BorderThick = 0x20,
    BorderDouble = 0x40,
};

enum class Align : std::uint8_t { Left, Centre, Right };

struct ParaFormat {
    // twips, as RTF gives them
    int spaceBefore = 0, spaceAfter = 0, lineSpacing = 0;
    int leftIndent = 0, rightIndent = 0, firstIndent = 0;
    Align align = Align::Left;
    std::uint8_t border = 0;
    bool keepWithNext = false; // \keepn: the non-scrolling region when it opens a topic
    bool noWrap = false;
    std::vector<TabStop> tabs;
    bool operator==(const ParaFormat&) const = default;
};

enum class ItemKind : std::uint8_t { Text, LineBreak, Tab, NbSpace, Picture, HotspotBegin, HotspotEnd };
enum class LinkKind : std::uint8_t { Jump, Popup, Macro };
enum class Placement : std::uint8_t { Character, Left, Right };

// The small members come first so that they share one word: there are very many items, so they
// are kept small (the rare window and file names of a link live in the topic, see Topic::links).
struct Item {
    ItemKind kind = ItemKind::Text;
    LinkKind link = LinkKind::Jump;
    bool plainLink = false;      // hot spot drawn without the viewer's colour and underline
    Placement placement = Placement::Character;
    CharFormat format;
    int linkTarget = -1; // HotspotBegin: index into Topic::links when the link names a window or file
    QByteArray text; // Text: the characters; Picture: the file name; HotspotBegin: target or macro
};

// Where a link opens, besides its context string.
struct LinkTarget {
    QByteArray window; // secondary window name, if any
    QByteArray file;   // other help file, if any
};

struct Paragraph {
    ParaFormat format;
    CharFormat markFormat; // the character format at the paragraph mark: the height of an empty line
    std::vector<Item> items;
};

struct Topic {
    QByteArray title;
    QList<QByteArray> contexts;
    QList<QByteArray> keywords;
    QByteArray browse;
    bool hasBrowse = false;
    QList<QByteArray> macros;
    std::vector<Paragraph> paragraphs;
    std::vector<LinkTarget> links; // see Item::linkTarget
    QString sourceFile;

    // The window and file a HotspotBegin item of this topic names; both empty for most links.
    const LinkTarget& linkTarget(const Item& item) const
    {
        static const LinkTarget none;
        return item.linkTarget >= 0 ? links[static_cast<size_t>(item.linkTarget)] : none;
    }

    // How diagnostics name the topic: its title, else its first context string.
    QString displayName() const;
};

struct FontFace {
    QByteArray name;
    std::uint8_t family = 3; // 1 modern, 2 roman, 3 swiss, 4 script, 5 decorative
};

struct HelpDocument {
    std::vector<FontFace> faces;
    std::vector<Topic> topics;

    int faceIndex(const QByteArray& name, std::uint8_t family);
};

struct WindowDef {
    QByteArray name;
    QByteArray caption;
    bool hasPosition = false;
    int x = 0, y = 0, width = 0, height = 0;
    int maximize = 0;
    bool hasColour = false;
    std::uint32_t colour = 0;         // 0x00BBGGRR, scrolling region
    bool hasNonScrollColour = false;
    std::uint32_t nonScrollColour = 0;
    bool onTop = false;
};

struct MapEntry {
    QByteArray context;
    std::uint32_t number = 0;
    int line = 0;
};

struct HelpProject {
    QString folder;              // the .hpj's folder
    QByteArray title;
    QByteArray copyright;
    QByteArray citation;
    QByteArray contents;         // context string of the contents topic
    QString icon;
    bool hasLcid = false;
    std::uint16_t lcid = 0;
    QStringList rootFolders;     // ROOT=, relative to the project folder
    QStringList bitmapFolders;   // BMROOT=
    QStringList files;           // [FILES]
    QStringList bitmaps;         // [BITMAPS]
    QList<QByteArray> configMacros;
    std::vector<WindowDef> windows;
    std::vector<MapEntry> map;
};

} // namespace hlp
