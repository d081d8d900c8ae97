#include "Diagnostics/DebugFiles.h"


#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::debugfiles {

namespace {

uint32_t crc32(const char *data, size_t size, uint32_t crc = 0)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ uint8_t(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void appendBigEndian(QByteArray &out, uint32_t value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void appendChunk(QByteArray &out, const char type[4], const QByteArray &data)
{
    appendBigEndian(out, uint32_t(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    appendBigEndian(out, crc32(out.constData() + start, size_t(out.size() - start)));
}

}  // namespace

QByteArray png(const QImage &image)
{
    // An RGBA PNG written directly: every row with the "sub" filter and fast compression. The
    // general image writer tries every filter on every row, which alone takes longer than a film
    // frame's share of a writer.
    if (image.isNull())
        return {};
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    const int width = rgba.width(), height = rgba.height();
    const qsizetype rowBytes = qsizetype(width) * 4;
    QByteArray raw(qsizetype(height) * (rowBytes + 1), Qt::Uninitialized);
    char *out = raw.data();
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const uchar *>(rgba.constScanLine(y));
        *out++ = 1;  // sub: each byte minus the same byte of the pixel to its left
        for (qsizetype i = 0; i < 4 && i < rowBytes; ++i)
            *out++ = char(row[i]);
        for (qsizetype i = 4; i < rowBytes; ++i)
            *out++ = char(uchar(row[i] - row[i - 4]));
    }
    QByteArray header;
    appendBigEndian(header, uint32_t(width));
    appendBigEndian(header, uint32_t(height));
    header.append(char(8));  // bits per channel
    header.append(char(6));  // colour type: RGBA
    header.append(3, char(0));  // compression, filter method, no interlace
    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    appendChunk(bytes, "IHDR", header);
    // qCompress gives the zlib stream PNG wants, after its own 4-byte length.
    appendChunk(bytes, "IDAT", qCompress(raw, 1).mid(4));
    appendChunk(bytes, "IEND", {});
    return bytes;
}

bool replace(const std::string &path, const QByteArray &bytes)
{
    std::error_code ignored;
    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ignored);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data += n;
        left -= n;
    }
    ::fchmod(fd, 0644);
    const bool written = ::close(fd) == 0 && left == 0;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::string join(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace vesk::debugfiles
