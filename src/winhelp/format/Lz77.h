#pragma once
// The compression of WinHelp files: the LZ77 variant of topic blocks and pictures, and the run
// length coding of pictures.
//
// An LZ77 stream is a sequence of groups: a flag byte, then up to eight items, bit i of the flag
// telling item i (lowest bit first): 0 a literal byte, 1 a match stored as a u16 whose low 12 bits
// are the distance - 1 (1 to 4096 bytes back) and high 4 bits the length - 3 (3 to 18 bytes).
// Every unit (a topic block, a picture) starts with an empty window.
#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

namespace hlp {

// Decodes a whole stream. `truncated`, when given, tells whether the stream ended inside a match.
QByteArray lz77Decode(const char* data, qsizetype size, bool* truncated = nullptr);
// The same, stopping after `limit` bytes of output (a unit never unpacks to more than its format
// allows: a damaged stream must not make it grow past that). `truncated` is also set when a
// match reaches before the start; `overflow`, when given, when there was more than `limit`.
QByteArray lz77DecodeAtMost(const char* data, qsizetype size, qsizetype limit, bool* truncated = nullptr,
                            bool* overflow = nullptr);

// One unit, compressed at once (a picture).
QByteArray lz77Encode(const QByteArray& data);

// Run length coding: a byte n, then n & 0x7F literal bytes when n & 0x80 is set, else one byte
// repeated n times.
QByteArray rleEncode(const QByteArray& data);
QByteArray rleDecode(const QByteArray& data);
// The same, stopping after `limit` bytes of output; `overflow` tells whether there was more.
QByteArray rleDecodeAtMost(const QByteArray& data, qsizetype limit, bool* overflow = nullptr);

// Compresses a unit that grows at its end while it is compressed (a topic block, record by
// record), so that the caller learns after each record how much room is left.
//
// Bytes marked in `later` are values the caller knows only after the layout: they are stored as
// literals, never matched and never matched against, so that the caller can write them into the
// output afterwards (patchAt) without changing its size.
class Lz77Encoder {
public:
    Lz77Encoder();

    // Starts a new unit: an empty window and no output.
    void start();

    // Encodes data[done(), end). `data` and `later` are the unit's bytes from its first one; the
    // caller may have reallocated them since the last call.
    void encode(const char* data, const std::uint8_t* later, qsizetype end);

    // Encodes from done() towards `end`, stopping when the output is exactly `outputSize` bytes
    // (possibly ending with a flag byte that announces nothing). Returns false when the data
    // ended first; done() then equals `end`.
    bool fill(const char* data, const std::uint8_t* later, qsizetype end, qsizetype outputSize);

    qsizetype done() const { return m_done; }      // raw bytes encoded
    qsizetype size() const { return static_cast<qsizetype>(m_out.size()); }

    // The state after the last encode: rewind() to it drops what was encoded since. After a
    // rewind only the output may be used (no further encode in the same unit).
    struct Mark {
        qsizetype done = 0, out = 0, flagAt = -1;
        int bits = 8;
        std::uint8_t flag = 0;
        size_t patches = 0;
    };
    Mark mark() const;
    void rewind(const Mark& mark);

    const std::string& output() const { return m_out; }
    // Where each byte marked in `later` is in the output: (raw position, output position), in
    // raw order.
    const std::vector<std::pair<qsizetype, qsizetype>>& patches() const { return m_patches; }

private:
    void literal(char c, qsizetype raw, bool patched);
    void match(int distance, int length);
    int findMatch(const char* data, const std::uint8_t* later, qsizetype pos, qsizetype end, int& distance);
    void insert(const char* data, qsizetype pos, qsizetype end);
    static unsigned hash3(const char* p);

    static constexpr int kHashBits = 13;
    static constexpr int kWindow = 4096;
    std::vector<std::int32_t> m_head; // hash -> last absolute position
    std::vector<std::int32_t> m_prev; // absolute position & (kWindow - 1) -> previous with the same hash
    std::int32_t m_base = 0;          // absolute position of the unit's first byte
    qsizetype m_done = 0;
    std::string m_out;
    qsizetype m_flagAt = -1;
    int m_bits = 8; // items in the current group; 8: a new group must start
    std::vector<std::pair<qsizetype, qsizetype>> m_patches; // raw position, output position
};

} // namespace hlp
