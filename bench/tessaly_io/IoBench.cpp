// Side-by-side timings, best of three runs each:
//  1. copying a file (256 MB by default) through BufferedInputStream ->
//     BufferedOutputStream, against `cp` of the same file;
//  2. UTF-8 encoding and decoding of 100 MB of UTF-8 text with UTF8Encoding,
//     against iconv doing the same conversions.
#include <iconv.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tessaly/io/BufferedInputStream.h"
#include "tessaly/io/BufferedOutputStream.h"
#include "tessaly/io/File.h"
#include "tessaly/io/FileInputStream.h"
#include "tessaly/io/FileOutputStream.h"
#include "tessaly/text/UTF8Encoding.h"

using namespace tessaly;
using Clock = std::chrono::steady_clock;

namespace {

double bestOf(int runs, const std::function<void()>& body)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        body();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

void streamCopy(const std::string& from, const std::string& to)
{
    ::unlink(to.c_str()); // the output stream appends
    io::BufferedInputStream in(new io::FileInputStream(io::File(core::String(from.c_str()))), true);
    io::BufferedOutputStream out(new io::FileOutputStream(io::File(core::String(to.c_str()))), true);
    std::vector<char> buf(65536);
    int n;
    while ((n = in.read(buf.data(), static_cast<int>(buf.size()))) > 0)
        out.write(buf.data(), n);
}

std::string iconvRun(const char* to, const char* from, const char* data, std::size_t n, std::size_t outFactor)
{
    iconv_t cd = iconv_open(to, from);
    std::string out(n * outFactor + 16, '\0');
    char* src = const_cast<char*>(data);
    char* dst = out.data();
    std::size_t inLeft = n, outLeft = out.size();
    iconv(cd, &src, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    const long megabytes = argc > 2 ? std::atol(argv[2]) : 256;
    const std::string src = dir + "/tessaly_io_bench.src";
    const std::string dstStream = dir + "/tessaly_io_bench.stream";
    const std::string dstCp = dir + "/tessaly_io_bench.cp";

    {
        std::FILE* f = std::fopen(src.c_str(), "wb");
        if (!f) {
            std::perror(src.c_str());
            return 1;
        }
        std::vector<char> block(1 << 20);
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 131 + i / 4093);
        for (long i = 0; i < megabytes; ++i)
            std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
    }
    const double tStream = bestOf(3, [&] { streamCopy(src, dstStream); });
    const double tCp = bestOf(3, [&] {
        const std::string cmd = "cp '" + src + "' '" + dstCp + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "cp failed\n");
    });
    const bool same = std::system(("cmp -s '" + src + "' '" + dstStream + "'").c_str()) == 0;
    std::printf("copy %ld MB: buffered streams %.3f s, cp %.3f s, ratio %.2f (%s)\n", megabytes, tStream, tCp,
                tStream / tCp, same ? "identical" : "DIFFERENT");
    ::unlink(src.c_str());
    ::unlink(dstStream.c_str());
    ::unlink(dstCp.c_str());

    // 100 MB of mixed-width UTF-8 text.
    const std::string sample = "station 7 gw01 \xe6\xb8\xa9\xe5\xba\xa6 23.5\xc2\xb0" "C \xf0\x9f\x93\x88 ok\n";
    std::string utf8;
    utf8.reserve(100u << 20);
    while (utf8.size() + sample.size() <= (100u << 20))
        utf8 += sample;
    text::UTF8Encoding enc;
    core::WideString wide;
    const double tDecode = bestOf(3, [&] { wide = enc.convertToUnicode(utf8.data(), static_cast<int>(utf8.size())); });
    std::string wideRef;
    const double tDecodeIconv = bestOf(3, [&] { wideRef = iconvRun("WCHAR_T", "UTF-8", utf8.data(), utf8.size(), 4); });
    core::String back;
    const double tEncode = bestOf(3, [&] { back = enc.convertFromUnicode(wide.text(), static_cast<int>(wide.length())); });
    std::string backRef;
    const double tEncodeIconv = bestOf(3, [&] {
        backRef = iconvRun("UTF-8", "WCHAR_T", reinterpret_cast<const char*>(wide.text()), wide.length() * sizeof(wchar_t), 1);
    });
    const bool decodeSame = wideRef.size() == wide.length() * sizeof(wchar_t) &&
                            std::memcmp(wideRef.data(), wide.text(), wideRef.size()) == 0;
    const bool encodeSame = back.length() == utf8.size() && std::memcmp(back.text(), utf8.data(), utf8.size()) == 0;
    std::printf("UTF-8 decode %zu MB: UTF8Encoding %.3f s, iconv %.3f s, ratio %.2f (%s)\n", utf8.size() >> 20,
                tDecode, tDecodeIconv, tDecode / tDecodeIconv, decodeSame ? "identical" : "DIFFERENT");
    std::printf("UTF-8 encode %zu MB: UTF8Encoding %.3f s, iconv %.3f s, ratio %.2f (%s)\n", utf8.size() >> 20,
                tEncode, tEncodeIconv, tEncode / tEncodeIconv, encodeSame ? "identical" : "DIFFERENT");
    return 0;
}
