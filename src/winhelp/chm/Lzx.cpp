#include "winhelp/chm/Lzx.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <queue>

namespace hlp::chm {

namespace {

constexpr int NumChars = 256;
constexpr int PretreeSize = 20;
constexpr int LengthTreeSize = 249;
constexpr int MaxMatch = 257;
constexpr int HashBits = 15;
constexpr int MaxChain = 48;
constexpr int GoodEnough = 96; // a match this long ends the search

// The position slots: the base of each slot's offsets and how many footer bits follow it.
struct Slots {
    std::array<std::uint32_t, 51> base{};
    std::array<std::uint8_t, 51> bits{};
    Slots()
    {
        std::uint32_t b = 0;
        for (int i = 0; i < 51; ++i) {
            bits[i] = static_cast<std::uint8_t>(i < 4 ? 0 : std::min((i - 2) / 2, 17));
            base[i] = b;
            b += 1u << bits[i];
        }
    }
};
const Slots slots;

int slotCount(int windowBits)
{
    return windowBits == 21 ? 50 : windowBits == 20 ? 42 : windowBits * 2;
}

int slotOf(std::uint32_t formatted)
{
    if (formatted < 4)
        return static_cast<int>(formatted);
    int top = 31;
    while (!(formatted >> top))
        --top;
    const int slot = 2 * top + static_cast<int>((formatted >> (top - 1)) & 1);
    return std::min(slot, 50);
}

// Bits go out in 16-bit little-endian words, the first bit in the word's highest place.
class BitWriter {
public:
    explicit BitWriter(QByteArray& out) : m_out(out) {}
    void put(std::uint32_t value, int count)
    {
        if (count == 0)
            return;
        m_buffer = (m_buffer << count) | (value & ((1ull << count) - 1));
        m_count += count;
        while (m_count >= 16) {
            m_count -= 16;
            const auto word = static_cast<std::uint16_t>(m_buffer >> m_count);
            m_out.append(static_cast<char>(word & 0xFF));
            m_out.append(static_cast<char>(word >> 8));
        }
    }
    void align()
    {
        if (m_count > 0)
            put(0, 16 - m_count);
    }

private:
    QByteArray& m_out;
    std::uint64_t m_buffer = 0;
    int m_count = 0;
};

struct Code {
    std::vector<std::uint8_t> lengths;
    std::vector<std::uint16_t> codes;
};

// Canonical codes: shorter codes first, symbols in order within one length.
Code canonical(std::vector<std::uint8_t> lengths)
{
    Code c;
    c.codes.assign(lengths.size(), 0);
    std::array<std::uint32_t, 18> next{};
    std::array<std::uint32_t, 18> count{};
    for (std::uint8_t l : lengths)
        ++count[l];
    count[0] = 0;
    std::uint32_t code = 0;
    for (int bits = 1; bits < 18; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    for (size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s])
            c.codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
    c.lengths = std::move(lengths);
    return c;
}

// One symbol of a frame: a literal, or a match with its length and position footers.
struct Symbol {
    std::uint16_t main;
    std::int16_t lengthFooter; // -1: none
    std::uint32_t positionFooter;
    std::uint8_t positionBits;
};

// The lengths of one tree sent through a pretree, as changes from the tree of the block before.
void writeLengths(BitWriter& bits, const std::vector<std::uint8_t>& lengths, std::vector<std::uint8_t>& previous, int first,
    int last)
{
    struct Op {
        std::uint8_t code;
        std::uint8_t extraBits;
        std::uint8_t extra;
        std::int8_t then; // the code after a run of same lengths (19), else -1
    };
    std::vector<Op> ops;
    std::array<std::uint32_t, PretreeSize> freq{};
    const auto delta = [&](int x, int value) { return static_cast<std::uint8_t>((previous[x] - value + 17) % 17); };
    for (int x = first; x < last;) {
        const int value = lengths[x];
        int run = 1;
        while (x + run < last && lengths[x + run] == value)
            ++run;
        if (value == 0 && run >= 20) {
            run = std::min(run, 51);
            ops.push_back({18, 5, static_cast<std::uint8_t>(run - 20), -1});
        } else if (value == 0 && run >= 4) {
            run = std::min(run, 19);
            ops.push_back({17, 4, static_cast<std::uint8_t>(run - 4), -1});
        } else if (run >= 4) {
            run = std::min(run, 5);
            const std::uint8_t d = delta(x, value);
            ops.push_back({19, 1, static_cast<std::uint8_t>(run - 4), static_cast<std::int8_t>(d)});
            ++freq[d];
        } else {
            run = 1;
            ops.push_back({delta(x, value), 0, 0, -1});
        }
        ++freq[ops.back().code];
        x += run;
    }
    const Code pre = canonical(codeLengths(freq.data(), PretreeSize, 15));
    for (int i = 0; i < PretreeSize; ++i)
        bits.put(pre.lengths[static_cast<size_t>(i)], 4);
    for (const Op& op : ops) {
        bits.put(pre.codes[op.code], pre.lengths[op.code]);
        bits.put(op.extra, op.extraBits);
        if (op.then >= 0)
            bits.put(pre.codes[static_cast<size_t>(op.then)], pre.lengths[static_cast<size_t>(op.then)]);
    }
    std::copy(lengths.begin() + first, lengths.begin() + last, previous.begin() + first);
}

class Encoder {
public:
    Encoder(QByteArrayView input, int windowBits, int resetFrames)
        : m_in(reinterpret_cast<const std::uint8_t*>(input.data())), m_size(input.size()), m_resetFrames(resetFrames), m_mainSize(NumChars + slotCount(windowBits) * 8),
          m_maxDistance((1 << windowBits) - 3), m_head(1 << HashBits), m_bits(m_out.data)
    {
    }

    LzxOutput run()
    {
        const qsizetype frameBytes = LzxFrameSize;
        const qsizetype chunkBytes = frameBytes * m_resetFrames;
        m_prev.resize(static_cast<size_t>(chunkBytes));
        // Empty data still makes one (padded) frame.
        qsizetype start = 0;
        do {
            const qsizetype end = std::min(m_size, start + chunkBytes);
            resetChunk(start);
            qsizetype frame = start;
            do {
                encodeFrame(frame, std::min(end, frame + frameBytes), frame == start);
                frame += frameBytes;
            } while (frame < end);
            start = end;
        } while (start < m_size);
        return std::move(m_out);
    }

private:
    void resetChunk(qsizetype start)
    {
        m_chunk = start;
        m_r = {1, 1, 1};
        m_prevMain.assign(static_cast<size_t>(m_mainSize), 0);
        m_prevLength.assign(LengthTreeSize, 0);
        std::fill(m_head.begin(), m_head.end(), -1);
    }

    std::uint32_t hashAt(qsizetype p) const
    {
        const std::uint32_t v = m_in[p] | (m_in[p + 1] << 8) | (static_cast<std::uint32_t>(m_in[p + 2]) << 16);
        return (v * 2654435761u) >> (32 - HashBits);
    }

    void insert(qsizetype p, qsizetype end)
    {
        if (p + 2 >= end)
            return;
        const std::uint32_t h = hashAt(p);
        m_prev[static_cast<size_t>(p - m_chunk)] = m_head[h];
        m_head[h] = static_cast<std::int32_t>(p - m_chunk);
    }

    int matchLength(qsizetype a, qsizetype b, int limit) const
    {
        int n = 0;
        while (n + 8 <= limit) {
            std::uint64_t x, y;
            std::memcpy(&x, m_in + a + n, 8);
            std::memcpy(&y, m_in + b + n, 8);
            if (x != y)
                return n + (__builtin_ctzll(x ^ y) >> 3);
            n += 8;
        }
        while (n < limit && m_in[a + n] == m_in[b + n])
            ++n;
        return n;
    }

    void encodeFrame(qsizetype begin, qsizetype end, bool afterReset)
    {
        m_out.frameStarts.push_back(static_cast<std::uint64_t>(m_out.data.size()));
        // The last frame is a whole frame for the readers that always decode 32 KB: the missing
        // bytes are zeros, which cost a few matches.
        const qsizetype frameLength = LzxFrameSize;
        const qsizetype realEnd = end;
        std::vector<Symbol> symbols;
        symbols.reserve(static_cast<size_t>(end - begin));
        std::vector<std::uint32_t> mainFreq(static_cast<size_t>(m_mainSize), 0);
        std::array<std::uint32_t, LengthTreeSize> lengthFreq{};

        const auto literal = [&](std::uint8_t byte) {
            symbols.push_back({byte, -1, 0, 0});
            ++mainFreq[byte];
        };
        const auto match = [&](int length, int slot, std::uint32_t footer) {
            const int header = std::min(length - 2, 7);
            Symbol s{static_cast<std::uint16_t>(NumChars + slot * 8 + header), -1, footer, slots.bits[static_cast<size_t>(slot)]};
            if (header == 7) {
                s.lengthFooter = static_cast<std::int16_t>(length - 9);
                ++lengthFreq[static_cast<size_t>(length - 9)];
            }
            symbols.push_back(s);
            ++mainFreq[s.main];
        };

        for (qsizetype p = begin; p < realEnd;) {
            const int limit = static_cast<int>(std::min<qsizetype>(MaxMatch, realEnd - p));
            int best = 0;
            int bestRepeat = -1;
            std::uint32_t bestDistance = 0;
            if (limit >= 2) {
                for (int r = 0; r < 3; ++r) {
                    const qsizetype from = p - m_r[static_cast<size_t>(r)];
                    if (from < m_chunk)
                        continue;
                    const int len = matchLength(p, from, limit);
                    if (len > best) {
                        best = len;
                        bestRepeat = r;
                    }
                }
            }
            if (limit >= 3 && best < GoodEnough) {
                int chainBest = 0;
                std::uint32_t chainDistance = 0;
                std::int32_t cand = p + 2 < realEnd ? m_head[hashAt(p)] : -1;
                for (int depth = 0; cand >= 0 && depth < MaxChain; ++depth) {
                    const qsizetype at = m_chunk + cand;
                    const auto distance = static_cast<std::uint32_t>(p - at);
                    if (distance > m_maxDistance)
                        break;
                    if (m_in[at + chainBest] == m_in[p + chainBest]) {
                        const int len = matchLength(p, at, limit);
                        if (len > chainBest) {
                            chainBest = len;
                            chainDistance = distance;
                            if (len >= GoodEnough || len == limit)
                                break;
                        }
                    }
                    cand = m_prev[static_cast<size_t>(cand)];
                }
                // A new offset costs its footer: it must win by more than a repeated one.
                if (chainBest >= 3 && chainBest > best + 1 && !(chainBest == 3 && chainDistance > 4096)) {
                    best = chainBest;
                    bestRepeat = -1;
                    bestDistance = chainDistance;
                }
            }
            if (best >= 3 || (best == 2 && bestRepeat == 0)) {
                if (bestRepeat >= 0) {
                    if (bestRepeat == 1)
                        std::swap(m_r[0], m_r[1]);
                    else if (bestRepeat == 2)
                        std::swap(m_r[0], m_r[2]);
                    match(best, bestRepeat, 0);
                } else {
                    const std::uint32_t formatted = bestDistance + 2;
                    const int slot = slotOf(formatted);
                    match(best, slot, formatted - slots.base[static_cast<size_t>(slot)]);
                    m_r[2] = m_r[1];
                    m_r[1] = m_r[0];
                    m_r[0] = bestDistance;
                }
                for (int i = 0; i < best; ++i)
                    insert(p + i, realEnd);
                p += best;
            } else {
                literal(m_in[p]);
                insert(p, realEnd);
                ++p;
            }
        }
        // Zeros up to a whole frame, as matches of the last byte (or one zero first).
        qsizetype filled = realEnd - begin;
        if (filled < frameLength) {
            qsizetype pad = frameLength - filled;
            if (filled == 0 || m_in[realEnd - 1] != 0) {
                literal(0);
                --pad;
            }
            while (pad > 0) {
                int len = static_cast<int>(std::min<qsizetype>(MaxMatch, pad));
                if (len == 1) {
                    literal(0);
                    break;
                }
                // Offset 1: slot 3, no footer bits.
                match(len, 3, 0);
                m_r[2] = m_r[1];
                m_r[1] = m_r[0];
                m_r[0] = 1;
                pad -= len;
            }
        }

        const Code mainCode = canonical(codeLengths(mainFreq.data(), m_mainSize, 16));
        const Code lengthCode = canonical(codeLengths(lengthFreq.data(), LengthTreeSize, 16));
        if (afterReset)
            m_bits.put(0, 1); // no x86 call translation
        m_bits.put(1, 3);     // verbatim block
        m_bits.put(static_cast<std::uint32_t>(frameLength), 24);
        writeLengths(m_bits, mainCode.lengths, m_prevMain, 0, NumChars);
        writeLengths(m_bits, mainCode.lengths, m_prevMain, NumChars, m_mainSize);
        writeLengths(m_bits, lengthCode.lengths, m_prevLength, 0, LengthTreeSize);
        for (const Symbol& s : symbols) {
            m_bits.put(mainCode.codes[s.main], mainCode.lengths[s.main]);
            if (s.lengthFooter >= 0)
                m_bits.put(lengthCode.codes[static_cast<size_t>(s.lengthFooter)], lengthCode.lengths[static_cast<size_t>(s.lengthFooter)]);
            m_bits.put(s.positionFooter, s.positionBits);
        }
        m_bits.align();
    }

    const std::uint8_t* m_in;
    qsizetype m_size;
    int m_resetFrames;
    int m_mainSize;
    std::uint32_t m_maxDistance;
    qsizetype m_chunk = 0;
    std::array<std::uint32_t, 3> m_r{1, 1, 1};
    std::vector<std::uint8_t> m_prevMain, m_prevLength;
    std::vector<std::int32_t> m_head;
    std::vector<std::int32_t> m_prev;
    LzxOutput m_out;
    BitWriter m_bits;
};

} // namespace

std::vector<std::uint8_t> codeLengths(const std::uint32_t* frequencies, int count, int maxBits)
{
    std::vector<std::uint32_t> freq(frequencies, frequencies + count);
    int used = static_cast<int>(std::count_if(freq.begin(), freq.end(), [](std::uint32_t f) { return f > 0; }));
    for (int s = 0; used < 2 && s < count; ++s)
        if (freq[static_cast<size_t>(s)] == 0) {
            freq[static_cast<size_t>(s)] = 1;
            ++used;
        }
    std::vector<std::uint8_t> lengths(static_cast<size_t>(count), 0);
    for (;;) {
        // Huffman's construction over the used symbols; nodes past `count` are the joins.
        std::vector<int> parent(static_cast<size_t>(count) * 2, -1);
        using Item = std::pair<std::uint64_t, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
        for (int s = 0; s < count; ++s)
            if (freq[static_cast<size_t>(s)])
                queue.push({freq[static_cast<size_t>(s)], s});
        int next = count;
        while (queue.size() > 1) {
            const Item a = queue.top();
            queue.pop();
            const Item b = queue.top();
            queue.pop();
            parent[static_cast<size_t>(a.second)] = next;
            parent[static_cast<size_t>(b.second)] = next;
            queue.push({a.first + b.first, next++});
        }
        int longest = 0;
        for (int s = 0; s < count; ++s) {
            if (!freq[static_cast<size_t>(s)])
                continue;
            int depth = 0;
            for (int n = s; parent[static_cast<size_t>(n)] >= 0; n = parent[static_cast<size_t>(n)])
                ++depth;
            lengths[static_cast<size_t>(s)] = static_cast<std::uint8_t>(depth);
            longest = std::max(longest, depth);
        }
        if (longest <= maxBits)
            return lengths;
        // Too deep: flatten the frequencies and build again (no used symbol drops out).
        for (std::uint32_t& f : freq)
            if (f)
                f = (f >> 1) | 1;
    }
}

LzxOutput lzxCompress(QByteArrayView input, int windowBits, int resetFrames)
{
    return Encoder(input, windowBits, resetFrames).run();
}

namespace {
constexpr int IntervalsPerJob = 16;
}

LzxStream::LzxStream(int windowBits, int resetFrames) : m_windowBits(windowBits), m_resetFrames(resetFrames) {}

LzxStream::~LzxStream()
{
    for (std::future<LzxOutput>& job : m_jobs)
        job.wait();
}

void LzxStream::append(QByteArrayView data)
{
    m_pending.append(data.data(), data.size());
    m_size += static_cast<std::uint64_t>(data.size());
    const qsizetype job = qsizetype(LzxFrameSize) * m_resetFrames * IntervalsPerJob;
    if (m_pending.size() >= job) {
        launch(m_pending.size() / job * job);
        collect(2);
    }
}

void LzxStream::launch(qsizetype bytes)
{
    QByteArray piece = m_pending.left(bytes);
    m_pending.remove(0, bytes);
    m_jobs.push_back(std::async(std::launch::async, [piece = std::move(piece), bits = m_windowBits, frames = m_resetFrames] {
        return lzxCompress(piece, bits, frames);
    }));
}

void LzxStream::collect(size_t keep)
{
    while (m_jobs.size() > keep) {
        LzxOutput part = m_jobs.front().get();
        m_jobs.pop_front();
        const auto base = static_cast<std::uint64_t>(m_done.data.size());
        for (std::uint64_t start : part.frameStarts)
            m_done.frameStarts.push_back(base + start);
        m_done.data += part.data;
    }
}

LzxOutput LzxStream::finish()
{
    // The rest, even when empty: the stream always has a frame.
    if (!m_pending.isEmpty() || (m_jobs.empty() && m_done.frameStarts.empty()))
        launch(m_pending.size());
    collect(0);
    return std::move(m_done);
}

} // namespace hlp::chm
