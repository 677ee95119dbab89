#pragma once
// LZX compression as compiled help files store their compressed section: the data is cut into
// 32 KB frames, each frame one verbatim block (LZ77 matches and literals under Huffman trees sent
// with the block), ending on a 16-bit boundary so that a reader can start decoding at any frame
// the reset table lists. The coder forgets everything (window, repeated offsets, trees) every
// `resetFrames` frames: a reader decodes at most that many frames to reach one.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <vector>

namespace hlp::chm {

constexpr int LzxFrameSize = 0x8000;

struct LzxOutput {
    QByteArray data;
    std::vector<std::uint64_t> frameStarts; // where every frame starts in `data`; the first is 0
};

// `windowBits` 15 to 21; the window must hold `resetFrames` frames. The last frame is padded with
// zero bytes to a whole frame, since some readers always decode whole frames.
LzxOutput lzxCompress(QByteArrayView input, int windowBits = 16, int resetFrames = 2);

// Lengths of a complete prefix code for the frequencies, none longer than `maxBits`. At least two
// symbols get a code (readers refuse a tree of one code).
std::vector<std::uint8_t> codeLengths(const std::uint32_t* frequencies, int count, int maxBits);

} // namespace hlp::chm
