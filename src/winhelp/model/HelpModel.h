#pragma once
// What the readers make of the project and its topic files, and what the writers turn into a help
// file. Everything a help file shows is here, in the order the author wrote it: topics made of
// paragraphs (some of them cells of table rows), the characters of each paragraph with their
// format, hot spots with their targets and windows, pictures (files, or pictures the RTF holds)
// with the hot spots of .shg pictures, and the project's options and windows.
//
// Help text is kept as bytes in the project's code page (HelpProject::charset, usually 1252:
// CodePage turns them into characters); file names as QString. Lengths are twips as RTF gives
// them unless a member says otherwise.
#include "winhelp/format/CodePage.h"

#include <QByteArray>
#include <QHash>
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
// A hot spot leads to a topic (Jump: in place of the current one; Popup: over it) or runs macros.
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
    int picture = -1;    // Picture: index into HelpDocument::pictures
    // Text: the characters; Picture: the file name ({bmc name}), empty for a picture of the RTF;
    // HotspotBegin: the context string, or the macros (without the leading '!', ';' between them)
    QByteArray text;
};

// Where a link opens, besides its context string.
struct LinkTarget {
    QByteArray window; // secondary window name, if any
    QByteArray file;   // other help file, if any
};

// One row of a table: where its cells end. The texts of two neighbouring cells are 2 * gap
// apart; the first cell's text starts at left + gap.
struct TableCell {
    int right = 0;           // \cellx: the cell's right edge, from the left margin
    std::uint8_t border = 0; // BorderBits of the cell (\clbrdrt ...); 0: none
    bool operator==(const TableCell&) const = default;
};

struct TableRow {
    int left = 0; // \trleft
    int gap = 0;  // \trgaph
    std::vector<TableCell> cells;
    bool operator==(const TableRow&) const = default;
};

struct Paragraph {
    ParaFormat format;
    CharFormat markFormat; // the character format at the paragraph mark: the height of an empty line
    std::vector<Item> items;
    // In a table: index into Topic::rows, and the cell (0-based). A row's paragraphs follow each
    // other in cell order, every cell with at least one paragraph. -1: not in a table.
    int row = -1;
    int cell = 0;
};

// Keywords of another footnote letter than K: 'A' for the A-keywords that ALink finds, any other
// letter for the further keyword lists a help may have.
struct KeywordList {
    char footnote = 'A';
    QList<QByteArray> keywords;
};

struct Topic {
    QByteArray title;
    QList<QByteArray> contexts;
    QList<QByteArray> keywords;
    std::vector<KeywordList> otherKeywords;
    QByteArray window; // the window the topic opens in when a jump names none ('>' footnote); empty: main
    QByteArray browse;
    bool hasBrowse = false;
    QList<QByteArray> macros;
    std::vector<Paragraph> paragraphs;
    std::vector<LinkTarget> links; // see Item::linkTarget
    std::vector<TableRow> rows;    // see Paragraph::row
    QString sourceFile;

    // The window and file a HotspotBegin item of this topic names; both empty for most links.
    const LinkTarget& linkTarget(const Item& item) const
    {
        static const LinkTarget none;
        return item.linkTarget >= 0 ? links[static_cast<size_t>(item.linkTarget)] : none;
    }

    // How diagnostics name the topic: its title, else its first context string, in the
    // project's code page.
    QString displayName(const CodePage& codePage) const;
};

struct FontFace {
    QByteArray name;
    std::uint8_t family = 3; // 1 modern, 2 roman, 3 swiss, 4 script, 5 decorative
};

// A hot spot of a .shg picture: a rectangle of the picture that jumps, pops up or runs macros.
struct PictureHotspot {
    LinkKind link = LinkKind::Jump;
    bool plain = false;      // no visible mark (the .shg's "invisible" hot spots)
    int x = 0, y = 0, width = 0, height = 0; // pixels from the picture's top-left corner
    QByteArray name;         // the hot spot's own name in the drawing tool
    QByteArray target;       // context string, or the macro (without '!')
    QByteArray window;       // for a jump into a secondary window
    QByteArray file;         // for a jump into another help file
    std::uint8_t code[3] = {0, 0, 0}; // how the .shg stores the kind
};

enum class PictureSource : std::uint8_t {
    File,     // a file named by {bmc name}: .bmp, or .shg/.mrb (already a help file picture)
    Dib,      // \dibitmap0: a device-independent bitmap (BITMAPINFOHEADER, palette, pixels)
    Ddb,      // \wbitmapN: the bits of a device-dependent bitmap (see the ddb members)
    Metafile, // \wmetafileN: Windows metafile records (METAHEADER first, no placeable header)
    Png,      // \pngblip: the bytes of a PNG file
    Jpeg,     // \jpegblip: the bytes of a JPEG file
};

struct Picture {
    PictureSource source = PictureSource::File;
    QByteArray name; // File: the name as the text writes it
    // The picture's bytes as its source holds them. File: the whole file, filled in by the
    // compiler when it finds the file (empty while it is not read or not found).
    QByteArray data;
    int width = 0, height = 0;         // \picw, \pich: pixels, for a metafile 0.01 mm
    int goalWidth = 0, goalHeight = 0; // \picwgoal, \pichgoal: the size shown in the document
    int mapMode = 8;                   // Metafile: the N of \wmetafileN (8 anisotropic)
    int ddbBitsPerPixel = 1, ddbPlanes = 1, ddbWidthBytes = 0; // Ddb
    std::vector<PictureHotspot> hotspots; // of a .shg/.mrb file, once read
};

struct HelpDocument {
    std::vector<FontFace> faces;
    std::vector<Topic> topics;
    std::vector<Picture> pictures; // see Item::picture
    int fontCharset = -1; // \fcharset of the first topic file's default font; -1 when not given

    int faceIndex(const QByteArray& name, std::uint8_t family);
    // The picture for a file name (without regard to case), added when it is new.
    int pictureFile(const QByteArray& name);

private:
    QHash<QByteArray, int> m_pictureFiles; // lower-cased name -> index
};

// A [WINDOWS] line: name = "caption", (x, y, width, height), state, (colour), (colour), flags.
// Every field may be left empty; the has... members tell which were given.
struct WindowDef {
    QByteArray name;    // "main" for the main window, else a secondary window (jumps name it: ctx>name)
    QByteArray caption;
    bool hasX = false, hasY = false, hasWidth = false, hasHeight = false;
    int x = 0, y = 0, width = 0, height = 0; // 0 to 1023: fractions of the screen
    int maximize = 0;   // the state number as written (1 maximized; larger values carry more bits)
    bool hasColour = false;
    std::uint32_t colour = 0;         // 0x00BBGGRR, scrolling region
    bool hasNonScrollColour = false;
    std::uint32_t nonScrollColour = 0;
    bool onTop = false;
    bool autoSizeHeight = false;
    QList<QByteArray> macros; // run when this window opens ([CONFIG-name] of the project)
    bool hasPosition() const { return hasX || hasY || hasWidth || hasHeight; }
};

// An [ALIAS] line: another name for a context string.
struct Alias {
    QByteArray alias;
    QByteArray context;
    int line = 0;
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
    std::uint16_t lcidExtra[2] = {0, 0}; // the second and third numbers of LCID=
    int charset = -1;            // CHARSET=, or -1 when the project does not say it
    // The character set the help text is in (0 Western, 204 Cyrillic ...): CHARSET=, else the
    // language of LCID=, else the topic files' fonts. Decided by the compiler.
    int textCharset = 0;
    bool compress = false;       // COMPRESS= asks for compression (LZ77 of topics and pictures)
    QStringList rootFolders;     // ROOT=, relative to the project folder
    QStringList bitmapFolders;   // BMROOT=
    QStringList files;           // [FILES]
    QStringList bitmaps;         // [BITMAPS]
    QList<QByteArray> configMacros;
    std::vector<WindowDef> windows;
    std::vector<MapEntry> map;
    std::vector<Alias> aliases;
    QStringList baggage;         // [BAGGAGE]: files stored in the help file as they are
};

} // namespace hlp
