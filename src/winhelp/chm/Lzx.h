#pragma once
// LZX compression as compiled help files store their compressed section: the data is cut into
// 32 KB frames, each frame one verbatim block (LZ77 matches and literals under Huffman trees sent
// with the block), ending on a 16-bit boundary so that a reader can start decoding at any frame
// the reset table lists. The coder forgets everything (window, repeated offsets, trees) every
// `resetFrames` frames: a reader decodes at most that many frames to reach one.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <deque>
#include <future>
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

// The same for data that comes in pieces: every whole run of reset intervals is compressed on a
// thread of its own while the next pieces are made (the intervals share nothing, so their streams
// just follow one another). finish() gives what lzxCompress() gives for all the data at once.
class LzxStream {
public:
    explicit LzxStream(int windowBits = 16, int resetFrames = 2);
    ~LzxStream();
    LzxStream(const LzxStream&) = delete;
    LzxStream& operator=(const LzxStream&) = delete;

    void append(QByteArrayView data);
    std::uint64_t size() const { return m_size; } // bytes appended so far
    LzxOutput finish();

private:
    void launch(qsizetype bytes);
    void collect(size_t keep);

    int m_windowBits;
    int m_resetFrames;
    std::uint64_t m_size = 0;
    QByteArray m_pending;
    std::deque<std::future<LzxOutput>> m_jobs;
    LzxOutput m_done;
};

// Lengths of a complete prefix code for the frequencies, none longer than `maxBits`. At least two
// symbols get a code (readers refuse a tree of one code).
std::vector<std::uint8_t> codeLengths(const std::uint32_t* frequencies, int count, int maxBits);

} // namespace hlp::chm
