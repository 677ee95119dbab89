#pragma once
// The picture container of help files, which is also the format of .shg and .mrb files:
//
//   u16 magic ('lP' 0x506C, or 'lp' 0x706C) · u16 count · u32 offset[count] (from the start)
//   each picture: u8 type (5 bitmap, 6 device-independent bitmap, 8 metafile) · u8 packing
//   (0 none, 1 run lengths, 2 LZ77, 3 run lengths then LZ77) · the type's header in compressed
//   integers · u32 data offset · u32 hot spot offset (both from the type byte) · palette · data
//
// Hot spots (.shg): u8 1 · u16 count · u32 macro bytes · count x 15 bytes (kind, rectangle,
// hash) · the macros · count x {name, target} as NUL-terminated strings.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace hlp {

struct HelpPictureHotspot {
    std::uint8_t code[3] = {0, 0, 0}; // 0xC8 macro, 0xE2/0xE3 popup/jump, 0xE6/0xE7 the same invisible ...
    int x = 0, y = 0, width = 0, height = 0;
    std::uint32_t hash = 0;
    QByteArray name;
    QByteArray target;
};

struct HelpPictureInfo {
    int type = 0;      // 5, 6 or 8
    int packing = 0;
    int width = 0, height = 0; // pixels; for a metafile the size it gives (0.01 mm)
    int bitCount = 0;
    int colours = 0;   // palette entries stored
    qsizetype dataSize = 0;  // bytes of picture data once unpacked
    int mapMode = 0;         // metafile: its mapping mode (8 anisotropic)
    std::vector<HelpPictureHotspot> hotspots;
    // Bitmaps (type 5 and 6): the palette (RGBQUAD entries) and the unpacked pixels, rows
    // bottom-up, each padded to 4 bytes. Metafiles: the unpacked records (METAHEADER first).
    QByteArray palette;
    QByteArray pixels;
};

// Reads the first picture of a container and its hot spots, unpacking the data to check its
// size. `pictures` tells how many the container holds (versions for other screens).
bool readHelpPicture(const QByteArray& container, HelpPictureInfo& info, int* pictures, QString* why);

} // namespace hlp
