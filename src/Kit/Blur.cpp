#include "Kit/Blur.h"

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kit {

namespace {

// The four 8-bit channels of a pixel, summed over a box window in 32-bit lanes (enough for any
// window), and the rounded mean of such sums as a pixel again. Each channel's mean is a monotonic
// function of its sum, so premultiplied pixels stay premultiplied.
#if defined(__SSE2__)
struct Sums {
    __m128i v;
};

inline Sums noSums() { return {_mm_setzero_si128()}; }

inline Sums channels(uint32_t p)
{
    const __m128i zero = _mm_setzero_si128();
    return {_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(p)), zero), zero)};
}

inline Sums plus(Sums s, Sums a) { return {_mm_add_epi32(s.v, a.v)}; }

// The window moved on by one: `in` enters it, `out` leaves it.
inline Sums slide(Sums s, Sums in, Sums out) { return {_mm_add_epi32(s.v, _mm_sub_epi32(in.v, out.v))}; }

// In single precision the rounded mean is exact for any window below 10000: a sum over an odd
// window is never a half away from a multiple of it, and the float error stays well below that.
struct Mean {
    explicit Mean(int window) : inverse(_mm_set1_ps(1.0f / float(window))) {}
    __m128i lanes(__m128i s) const { return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(s), inverse), _mm_set1_ps(0.5f))); }
    uint32_t operator()(Sums s) const
    {
        const __m128i words = _mm_packs_epi32(lanes(s.v), lanes(s.v));
        return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    }
    // Four pixels at once, packed together.
    __m128i four(__m128i a, __m128i b, __m128i c, __m128i d) const
    {
        return _mm_packus_epi16(_mm_packs_epi32(lanes(a), lanes(b)), _mm_packs_epi32(lanes(c), lanes(d)));
    }
    __m128 inverse;
};

// Four pixels entering the window and four leaving it, as the four pixels' changes to their sums
// (differences taken in 16 bits, then widened with their sign).
struct Changes {
    __m128i d0, d1, d2, d3;
};

inline Changes changes(const uint32_t *in, const uint32_t *out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(out));
    const __m128i low = _mm_sub_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i high = _mm_sub_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    return {_mm_srai_epi32(_mm_unpacklo_epi16(low, low), 16), _mm_srai_epi32(_mm_unpackhi_epi16(low, low), 16),
            _mm_srai_epi32(_mm_unpacklo_epi16(high, high), 16), _mm_srai_epi32(_mm_unpackhi_epi16(high, high), 16)};
}
#else
// Channels 0 and 2 in the two 32-bit lanes of `even`, 1 and 3 in those of `odd`: one add updates
// two channels.
struct Sums {
    uint64_t even = 0, odd = 0;
};

inline Sums noSums() { return {}; }

inline Sums channels(uint32_t p)
{
    return {(p & 0xff) | (uint64_t(p & 0xff0000) << 16), ((p >> 8) & 0xff) | (uint64_t(p >> 24) << 32)};
}

inline Sums plus(Sums s, Sums a) { return {s.even + a.even, s.odd + a.odd}; }

// Added before subtracting: `out` is part of the sum, so no lane ever borrows from its neighbour.
inline Sums slide(Sums s, Sums in, Sums out) { return {s.even + in.even - out.even, s.odd + in.odd - out.odd}; }

// A fixed-point reciprocal of the window; a lane's sum times it stays below 2^32, so one 64-bit
// multiply divides both lanes.
struct Mean {
    explicit Mean(int window) : scale((1u << 24) / uint32_t(window)) {}
    uint32_t operator()(Sums s) const
    {
        constexpr uint64_t half = (uint64_t(1) << 55) | (1u << 23), mask = 0x000000ff000000ffull;
        const uint64_t even = ((s.even * scale + half) >> 24) & mask, odd = ((s.odd * scale + half) >> 24) & mask;
        return uint32_t(even | (even >> 16) | (odd << 8) | (odd >> 8));
    }
    uint64_t scale;
};
#endif

// One box of width 2r+1 along a row of `w` pixels, edges extended, into `to`. `padded` has room
// for the row with its edge pixel repeated r times before it and r + 1 times after it.
void boxAlong(const uint32_t *from, uint32_t *to, int w, int r, const Mean &mean, uint32_t *padded)
{
    const int window = 2 * r + 1;
    std::fill_n(padded, r, from[0]);
    std::copy_n(from, w, padded + r);
    std::fill_n(padded + r + w, r + 1, from[w - 1]);
    Sums s = noSums();
    for (int i = 0; i < window; ++i)
        s = plus(s, channels(padded[i]));
    int x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= w; x += 4) {
        const Changes d = changes(padded + x + window, padded + x);
        const __m128i s0 = s.v, s1 = _mm_add_epi32(s0, d.d0), s2 = _mm_add_epi32(s1, d.d1), s3 = _mm_add_epi32(s2, d.d2);
        s.v = _mm_add_epi32(s3, d.d3);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + x), mean.four(s0, s1, s2, s3));
    }
#endif
    for (; x < w; ++x) {
        to[x] = mean(s);
        s = slide(s, channels(padded[x + window]), channels(padded[x]));
    }
}

// One step down the columns: row `to` from the column sums, which then take in row `in` and let
// row `out` go.
void boxDown(Sums *sums, const uint32_t *in, const uint32_t *out, uint32_t *to, int w, const Mean &mean)
{
    int x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= w; x += 4) {
        const Changes d = changes(in + x, out + x);
        Sums *s = sums + x;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + x), mean.four(s[0].v, s[1].v, s[2].v, s[3].v));
        s[0].v = _mm_add_epi32(s[0].v, d.d0);
        s[1].v = _mm_add_epi32(s[1].v, d.d1);
        s[2].v = _mm_add_epi32(s[2].v, d.d2);
        s[3].v = _mm_add_epi32(s[3].v, d.d3);
    }
#endif
    for (; x < w; ++x) {
        to[x] = mean(sums[x]);
        sums[x] = slide(sums[x], channels(in[x]), channels(out[x]));
    }
}

// The sums of a box pass kept in 32-bit lanes, for a window of any width.
struct WideBox {
    WideBox(int w, int r) : w(w), r(r), mean(2 * r + 1), padded(size_t(w + 2 * r + 1)), sums(size_t(w), noSums()) {}
    void along(const uint32_t *from, uint32_t *to) { boxAlong(from, to, w, r, mean, padded.data()); }
    void take(const uint32_t *row)
    {
        for (int x = 0; x < w; ++x)
            sums[size_t(x)] = plus(sums[size_t(x)], channels(row[x]));
    }
    void down(const uint32_t *in, const uint32_t *out, uint32_t *to) { boxDown(sums.data(), in, out, to, w, mean); }
    int w, r;
    Mean mean;
    std::vector<uint32_t> padded;
    std::vector<Sums> sums;
};

#if defined(__SSE2__)
// For all but very wide windows the sums fit 16-bit lanes, eight channels a register, and the
// rounded mean is a 16-bit multiply-high and a shift: with t = s + (window - 1) / 2 it is
// floor(t / window), which floor(t * m / 2^(16 + shift)) equals for every t up to the largest when
// that t times m's excess (m * window - 2^(16 + shift)) stays below 2^(16 + shift).
struct NarrowMean {
    explicit NarrowMean(int window) : half((window - 1) / 2)
    {
        const uint64_t most = 255 * uint64_t(window) + half;
        for (int j = 15; j >= 0 && !exact && most < 65536; --j) {
            const uint64_t k = uint64_t(1) << (16 + j), m = (k + uint64_t(window) - 1) / uint64_t(window);
            if (m <= 65535) {
                exact = most * (m * uint64_t(window) - k) < k;
                multiplier = uint32_t(m);
                shift = j;
            }
        }
        halves = _mm_set1_epi16(short(half));
        multipliers = _mm_set1_epi16(short(multiplier));
        shiftCount = _mm_cvtsi32_si128(shift);
    }
    uint32_t operator()(uint32_t s) const { return ((s + half) * multiplier) >> (16 + shift); }
    __m128i lanes(__m128i s) const { return _mm_srl_epi16(_mm_mulhi_epu16(_mm_add_epi16(s, halves), multipliers), shiftCount); }
    uint32_t half, multiplier = 0;
    int shift = 0;
    bool exact = false;
    __m128i halves, multipliers, shiftCount;
};

// The sums of a box pass in 16-bit lanes (wrapping is harmless: every window's true sum fits).
// Along a row the window sums are differences of running totals, which keeps the serial part to
// one add a pixel.
struct NarrowBox {
    NarrowBox(int w, int r, const NarrowMean &mean)
        : w(w), r(r), mean(mean), padded(size_t(w + 2 * r + 1)), totals(4 * size_t(w + 2 * r + 2)), sums(4 * size_t(w))
    {
    }
    static __m128i load(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }
    static void store(void *p, __m128i v) { _mm_storeu_si128(static_cast<__m128i *>(p), v); }
    void along(const uint32_t *from, uint32_t *to)
    {
        const NarrowMean mean = this->mean;  // a local copy, which the stores below cannot alias
        const int window = 2 * r + 1, n = w + 2 * r + 1;
        std::fill_n(padded.data(), r, from[0]);
        std::copy_n(from, w, padded.data() + r);
        std::fill_n(padded.data() + r + w, r + 1, from[w - 1]);
        // totals[4i + c]: channel c summed over padded[0, i).
        const __m128i zero = _mm_setzero_si128();
        uint16_t *t = totals.data();
        _mm_storel_epi64(reinterpret_cast<__m128i *>(t), zero);
        __m128i carry = zero;  // the total so far, in both halves
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            const __m128i v = load(padded.data() + i);
            __m128i low = _mm_unpacklo_epi8(v, zero), high = _mm_unpackhi_epi8(v, zero);
            low = _mm_add_epi16(_mm_add_epi16(low, _mm_slli_si128(low, 8)), carry);
            high = _mm_add_epi16(_mm_add_epi16(high, _mm_slli_si128(high, 8)), _mm_unpackhi_epi64(low, low));
            carry = _mm_unpackhi_epi64(high, high);
            store(t + 4 * (i + 1), low);
            store(t + 4 * (i + 3), high);
        }
        const auto *bytes = reinterpret_cast<const uint8_t *>(padded.data());
        for (; i < n; ++i)
            for (int c = 0; c < 4; ++c)
                t[4 * (i + 1) + c] = uint16_t(t[4 * i + c] + bytes[4 * i + c]);
        int x = 0;
        for (; x + 4 <= w; x += 4) {
            const uint16_t *a = t + 4 * (x + window), *b = t + 4 * x;
            const __m128i s0 = _mm_sub_epi16(load(a), load(b)), s1 = _mm_sub_epi16(load(a + 8), load(b + 8));
            store(to + x, _mm_packus_epi16(mean.lanes(s0), mean.lanes(s1)));
        }
        for (; x < w; ++x) {
            uint32_t v = 0;
            for (int c = 0; c < 4; ++c)
                v |= mean(uint16_t(t[4 * (x + window) + c] - t[4 * x + c])) << (8 * c);
            to[x] = v;
        }
    }
    void take(const uint32_t *row)
    {
        const auto *bytes = reinterpret_cast<const uint8_t *>(row);
        uint16_t *s = sums.data();
        const __m128i zero = _mm_setzero_si128();
        const int n = 4 * w;
        int k = 0;
        for (; k + 16 <= n; k += 16) {
            const __m128i v = load(bytes + k);
            store(s + k, _mm_add_epi16(load(s + k), _mm_unpacklo_epi8(v, zero)));
            store(s + k + 8, _mm_add_epi16(load(s + k + 8), _mm_unpackhi_epi8(v, zero)));
        }
        for (; k < n; ++k)
            s[k] = uint16_t(s[k] + bytes[k]);
    }
    void down(const uint32_t *in, const uint32_t *out, uint32_t *to)
    {
        const NarrowMean mean = this->mean;
        const auto *a = reinterpret_cast<const uint8_t *>(in), *b = reinterpret_cast<const uint8_t *>(out);
        auto *o = reinterpret_cast<uint8_t *>(to);
        uint16_t *s = sums.data();
        const __m128i zero = _mm_setzero_si128();
        const int n = 4 * w;
        int k = 0;
        for (; k + 16 <= n; k += 16) {
            __m128i s0 = load(s + k), s1 = load(s + k + 8);
            store(o + k, _mm_packus_epi16(mean.lanes(s0), mean.lanes(s1)));
            const __m128i va = load(a + k), vb = load(b + k);
            s0 = _mm_sub_epi16(_mm_add_epi16(s0, _mm_unpacklo_epi8(va, zero)), _mm_unpacklo_epi8(vb, zero));
            s1 = _mm_sub_epi16(_mm_add_epi16(s1, _mm_unpackhi_epi8(va, zero)), _mm_unpackhi_epi8(vb, zero));
            store(s + k, s0);
            store(s + k + 8, s1);
        }
        for (; k < n; ++k) {
            o[k] = uint8_t(mean(s[k]));
            s[k] = uint16_t(s[k] + a[k] - b[k]);
        }
    }
    int w, r;
    NarrowMean mean;
    std::vector<uint32_t> padded;
    std::vector<uint16_t> totals, sums;
};
#endif

// One box pass of width 2r+1 along the rows and then down the columns, edges extended. The column
// sums advance a row at a time so that memory is read in order; the rows they take in are passed
// along first into a ring of the last 2r+2, which is all the column pass needs, so the image can be
// written in place.
template <class Box>
void sweep(QImage &image, int r, Box &box)
{
    const int w = image.width(), h = image.height();
    const size_t stride = size_t(image.bytesPerLine() / 4);
    auto *bits = reinterpret_cast<uint32_t *>(image.bits());
    const int ringRows = std::min(2 * r + 2, h);
    std::vector<uint32_t> ring(size_t(ringRows) * size_t(w));
    int passed = 0;  // rows [0, passed) have been passed along
    // Row `y` passed along, edges extended; rows are asked for in increasing order.
    auto along = [&](int y) -> const uint32_t * {
        y = std::clamp(y, 0, h - 1);
        for (; passed <= y; ++passed)
            box.along(bits + size_t(passed) * stride, ring.data() + size_t(passed % ringRows) * size_t(w));
        return ring.data() + size_t(y % ringRows) * size_t(w);
    };
    for (int i = -r; i <= r; ++i)
        box.take(along(i));
    // Row y + r + 1 is passed along before row y is written: it is below it, or already kept.
    for (int y = 0; y < h; ++y)
        box.down(along(y + r + 1), along(y - r), bits + size_t(y) * stride);
}

void boxPass(QImage &image, int r)
{
    if (r <= 0)
        return;
#if defined(__SSE2__)
    if (const NarrowMean mean(2 * r + 1); mean.exact) {
        NarrowBox box(image.width(), r, mean);
        sweep(image, r, box);
        return;
    }
#endif
    WideBox box(image.width(), r);
    sweep(image, r, box);
}

void boxBlur(QImage &image, double sigma)
{
    // Three boxes whose variances add up to sigma² (the usual ideal-width construction).
    const int n = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int wl = int(std::floor(ideal));
    if (wl % 2 == 0)
        --wl;
    const int wu = wl + 2;
    const int m = int(std::round((12 * sigma * sigma - n * wl * wl - 4 * n * wl - 3 * n) / (-4 * wl - 4)));
    for (int i = 0; i < n; ++i) {
        const int width = i < m ? wl : wu;
        const int r = (width - 1) / 2;
        boxPass(image, r);
    }
}

// Halves the image, each pixel the mean of a 2 x 2 block (odd edges repeat their last pixel).
QImage halve(const QImage &src)
{
    const int w = std::max(1, src.width() / 2), h = std::max(1, src.height() / 2);
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        const auto *a = reinterpret_cast<const uint32_t *>(src.constScanLine(std::min(2 * y, src.height() - 1)));
        const auto *b = reinterpret_cast<const uint32_t *>(src.constScanLine(std::min(2 * y + 1, src.height() - 1)));
        auto *o = reinterpret_cast<uint32_t *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int x0 = std::min(2 * x, src.width() - 1), x1 = std::min(2 * x + 1, src.width() - 1);
            const uint32_t p[4] = {a[x0], a[x1], b[x0], b[x1]};
            uint32_t v = 0;
            for (int c = 0; c < 32; c += 8) {
                const uint32_t sum = ((p[0] >> c) & 0xff) + ((p[1] >> c) & 0xff) + ((p[2] >> c) & 0xff) + ((p[3] >> c) & 0xff);
                v |= ((sum + 2) / 4) << c;
            }
            o[x] = v;
        }
    }
    return out;
}

// Where output pixel `i` of `outLength` samples a source of `inLength`, pixel centres aligned and
// edge pixels repeated: the two source pixels around it and the second one's weight out of 256.
struct Taps {
    int first, second;
    uint16_t weight;
};

std::vector<Taps> tapsFor(int inLength, int outLength)
{
    std::vector<Taps> taps(size_t(std::max(0, outLength)));
    const double f = double(inLength) / outLength;
    for (int i = 0; i < outLength; ++i) {
        const double at = std::clamp((i + 0.5) * f - 0.5, 0.0, double(inLength - 1));
        const int first = int(at);
        taps[size_t(i)] = {first, std::min(first + 1, inLength - 1), uint16_t(std::lround((at - first) * 256))};
    }
    return taps;
}

// Each channel of `count` pixels mixed as (a·(256 − w) + b·w + 128) / 256, w from `weight(i)`. Both
// terms fit 16 bits, and a premultiplied pair mixes to a premultiplied pixel.
template <typename A, typename B, typename W>
void mixPixels(uint32_t *out, int count, A a, B b, W weight)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128), whole = _mm_set1_epi16(256);
    for (; i + 2 <= count; i += 2) {
        const __m128i pa = _mm_unpacklo_epi8(_mm_set_epi32(0, 0, int(a(i + 1)), int(a(i))), zero);
        const __m128i pb = _mm_unpacklo_epi8(_mm_set_epi32(0, 0, int(b(i + 1)), int(b(i))), zero);
        const short w0 = short(weight(i)), w1 = short(weight(i + 1));
        const __m128i w = _mm_set_epi16(w1, w1, w1, w1, w0, w0, w0, w0);
        const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(pa, _mm_sub_epi16(whole, w)), _mm_mullo_epi16(pb, w)), half);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(_mm_srli_epi16(sum, 8), zero));
    }
#endif
    for (; i < count; ++i) {
        const uint32_t pa = a(i), pb = b(i), w = weight(i);
        uint32_t v = 0;
        for (int shift = 0; shift < 32; shift += 8)
            v |= ((((pa >> shift) & 0xff) * (256 - w) + ((pb >> shift) & 0xff) * w + 128) >> 8) << shift;
        out[i] = v;
    }
}

// Two rows mixed with one weight for the whole row.
void mixRows(const uint32_t *top, const uint32_t *bottom, uint32_t *out, int count, uint16_t weight)
{
    if (weight == 0) {
        std::copy_n(top, count, out);
        return;
    }
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i w = _mm_set1_epi16(short(weight)), rest = _mm_set1_epi16(short(256 - weight));
    for (; i + 4 <= count; i += 4) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i *>(top + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bottom + i));
        const auto mix = [&](__m128i tt, __m128i bb) {
            return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(tt, rest), _mm_mullo_epi16(bb, w)), half), 8);
        };
        const __m128i low = mix(_mm_unpacklo_epi8(t, zero), _mm_unpacklo_epi8(b, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(t, zero), _mm_unpackhi_epi8(b, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(low, high));
    }
#endif
    mixPixels(out + i, count - i, [&](int k) { return top[i + k]; }, [&](int k) { return bottom[i + k]; },
              [&](int) { return weight; });
}

}  // namespace

// Scales `src` up into `out` (already `out`'s size) with bilinear filtering, pixel centres
// aligned. Each source row is stretched along once, into a ring of two, and every output row mixes
// the two stretched rows about it.
void enlargeInto(const QImage &src, QImage &out)
{
    const int w = out.width(), h = out.height();
    const std::vector<Taps> across = tapsFor(src.width(), w), down = tapsFor(src.height(), h);
    std::vector<uint32_t> stretched(2 * size_t(w));
    int held[2] = {-1, -1};
    const auto row = [&](int y) -> const uint32_t * {
        uint32_t *slot = stretched.data() + size_t(y % 2) * size_t(w);
        if (held[y % 2] != y) {
            const auto *from = reinterpret_cast<const uint32_t *>(src.constScanLine(y));
            mixPixels(slot, w, [&](int x) { return from[across[size_t(x)].first]; },
                      [&](int x) { return from[across[size_t(x)].second]; }, [&](int x) { return across[size_t(x)].weight; });
            held[y % 2] = y;
        }
        return slot;
    };
    for (int y = 0; y < h; ++y) {
        const Taps &t = down[size_t(y)];
        const uint32_t *top = row(t.first);
        const uint32_t *bottom = t.second == t.first ? top : row(t.second);
        mixRows(top, bottom, reinterpret_cast<uint32_t *>(out.scanLine(y)), w, t.weight);
    }
}

QImage enlarged(const QImage &image, QSize size)
{
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    if (!source.isNull() && !out.isNull())
        enlargeInto(source, out);
    return out;
}

QImage blurredReduced(const QImage &source, double sigma)
{
    QImage image = source.format() == QImage::Format_ARGB32_Premultiplied
                       ? source
                       : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (sigma < 0.1 || image.isNull())
        return image;
    // A wide blur loses nothing visible at a lower resolution: blur a copy reduced by a power of
    // two (keeping at least 4 pixels of sigma); the caller scales it back up as it draws it.
    int factor = 1;
    while (sigma / (factor * 2) >= 4 && factor < 8 && image.width() / (factor * 2) >= 8 && image.height() / (factor * 2) >= 8)
        factor *= 2;
    for (int f = 1; f < factor; f *= 2)
        image = halve(image);
    boxBlur(image, sigma / factor);
    return image;
}

void gaussianBlur(QImage &image, double sigma)
{
    if (sigma < 0.1 || image.isNull())
        return;
    const QSize full = image.size();
    QImage blurred = blurredReduced(image, sigma);
    image = blurred.size() == full ? blurred : enlarged(blurred, full);
}

void alphaThreshold(QImage &image, double min, double max, const QColor &color)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb solid = qPremultiply(color.rgba());
    const int lo = int(std::ceil(min * 255)), hi = int(std::floor(max * 255));
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = qAlpha(row[x]);
            row[x] = (a >= lo && a <= hi) ? solid : 0;
        }
    }
}

int blurReduction(double sigma)
{
    int reduction = 1;
    while (sigma / (reduction * 2) >= 2 && reduction < 8)
        reduction *= 2;
    return reduction;
}

}  // namespace kit
