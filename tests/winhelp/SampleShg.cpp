// The .shg picture of the feature projects, on its own so that other rooms' tests can draw it.
#include "FeatureProjects.h"

#include "winhelp/format/HlpBytes.h"

namespace hlptest {

QByteArray sampleShg()
{
    constexpr int width = 96, height = 64;
    const unsigned char palette[16][3] = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
                                          {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
                                          {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    QByteArray pixels;
    const int stride = width / 2;
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row; // stored bottom-up
        for (int x = 0; x < width; x += 2) {
            auto colour = [y](int px) {
                if (px % 48 == 0 || px % 48 == 47 || y % 32 == 0 || y % 32 == 31)
                    return 15; // white frame of each quadrant
                return px < 48 ? (y < 32 ? 12 : 10) : (y < 32 ? 9 : 11);
            };
            pixels.append(static_cast<char>((colour(x) << 4) | colour(x + 1)));
        }
    }
    Q_ASSERT(pixels.size() == stride * height);

    struct Spot {
        std::uint8_t code[3];
        int x, y;
        QByteArray name, target, hashed;
    };
    const Spot spots[] = {{{0xE7, 0x04, 0x00}, 0, 0, "saut", "IDH_CIBLE", "IDH_CIBLE"},
                          {{0xE6, 0x04, 0x00}, 48, 0, "note", "IDH_NOTE", "IDH_NOTE"},
                          {{0xEF, 0x04, 0x00}, 0, 32, "seconde", "IDH_SECONDAIRE>second", "IDH_SECONDAIRE"},
                          {{0xC8, 0x00, 0x00}, 48, 32, "macro", "JI(`',`IDH_CIBLE')", QByteArray()}};
    hlp::ByteWriter macros;
    for (const Spot& s : spots)
        if (s.code[0] == 0xC8)
            macros.stringz(s.target);
    hlp::ByteWriter hot;
    hot.u8(1);
    hot.u16(4);
    hot.u32(static_cast<std::uint32_t>(macros.size()));
    for (const Spot& s : spots) {
        hot.u8(s.code[0]);
        hot.u8(s.code[1]);
        hot.u8(s.code[2]);
        hot.u16(static_cast<unsigned>(s.x));
        hot.u16(static_cast<unsigned>(s.y));
        hot.u16(48);
        hot.u16(32);
        hot.u32(s.hashed.isEmpty() ? 1u : static_cast<std::uint32_t>(hlp::contextHash(s.hashed)));
    }
    hot.raw(macros.bytes);
    for (const Spot& s : spots) {
        hot.stringz(s.name);
        hot.stringz(s.target);
    }

    hlp::ByteWriter head;
    head.u8(6);
    head.u8(0);
    head.culong(96);
    head.culong(96);
    head.cushort(1);
    head.cushort(4);
    head.culong(width);
    head.culong(height);
    head.culong(16);
    head.culong(0);
    head.culong(static_cast<std::uint32_t>(pixels.size()));
    head.culong(static_cast<std::uint32_t>(hot.size()));
    const std::uint32_t dataAt = static_cast<std::uint32_t>(head.size() + 8 + 16 * 4);
    head.u32(dataAt);
    head.u32(dataAt + static_cast<std::uint32_t>(pixels.size()));
    for (const auto& c : palette) {
        head.u8(c[2]);
        head.u8(c[1]);
        head.u8(c[0]);
        head.u8(0);
    }
    head.raw(pixels);
    head.raw(hot.bytes);
    hlp::ByteWriter shg;
    shg.u16(0x506C);
    shg.u16(1);
    shg.u32(8);
    shg.raw(head.bytes);
    return shg.bytes;
}

} // namespace hlptest
