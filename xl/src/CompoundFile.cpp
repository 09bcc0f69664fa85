#include "CompoundFile.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace xl::detail {
namespace {

// Readers of this format expect the workbook stream to fill at least one
// regular sector run rather than live in the small-stream area.
constexpr size_t kMinStreamSize = 4096;

class GsfSink final : public ByteSink {
public:
    explicit GsfSink(GsfOutput* out) : out_(out) { buffer_.reserve(kChunk); }

    void write(const uint8_t* data, size_t size) override
    {
        count_ += size;
        while (size > 0) {
            const size_t n = std::min(size, kChunk - buffer_.size());
            buffer_.insert(buffer_.end(), data, data + n);
            data += n;
            size -= n;
            if (buffer_.size() == kChunk)
                flush();
        }
    }
    uint64_t position() const override { return count_; }

    bool finish()
    {
        if (count_ < kMinStreamSize) {
            const std::vector<uint8_t> pad(kMinStreamSize - count_, 0);
            write(pad.data(), pad.size());
        }
        flush();
        return ok_;
    }

private:
    static constexpr size_t kChunk = 1 << 16;

    void flush()
    {
        if (ok_ && !buffer_.empty())
            ok_ = gsf_output_write(out_, buffer_.size(), buffer_.data());
        buffer_.clear();
    }

    GsfOutput* out_;
    std::vector<uint8_t> buffer_;
    uint64_t count_ = 0;
    bool ok_ = true;
};

std::string gsfError(GsfOutput* out, const char* fallback)
{
    const GError* err = out ? gsf_output_error(out) : nullptr;
    return err && err->message ? err->message : fallback;
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens a new, unique temporary file beside path (created with the usual
// permissions, so the renamed file gets them too).
int openTemporary(const std::string& path, std::string& tmpPath)
{
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.%08x.tmp", static_cast<long>(getpid()),
                      counter.fetch_add(1), rd());
        std::string dir = directoryOf(path);
        tmpPath = (dir == "/" ? "" : dir) + "/." + baseOf(path) + suffix;
        const int fd = ::open(tmpPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

struct ObjectRef {
    GObject* object = nullptr;
    ~ObjectRef()
    {
        if (object)
            g_object_unref(object);
    }
};

} // namespace

bool saveCompoundFile(const std::string& path, const std::function<bool(ByteSink&)>& produce,
                      std::string& error)
{
    if (path.empty() || path.back() == '/') {
        error = "no file name given";
        return false;
    }
    std::string tmpPath;
    const int fd = openTemporary(path, tmpPath);
    if (fd < 0) {
        error = "cannot create a file in " + directoryOf(path) + ": " + std::strerror(errno);
        return false;
    }
    FILE* file = ::fdopen(fd, "w+b");
    if (!file) {
        error = std::string("cannot open the temporary file: ") + std::strerror(errno);
        ::close(fd);
        ::unlink(tmpPath.c_str());
        return false;
    }

    bool ok = true;
    {
        // keep_open: the FILE is flushed, synced and closed below.
        ObjectRef sink{G_OBJECT(gsf_output_stdio_new_FILE(tmpPath.c_str(), file, TRUE))};
        if (!sink.object) {
            error = "cannot open the output";
            ok = false;
        }
        ObjectRef ole;
        if (ok) {
            ole.object = G_OBJECT(gsf_outfile_msole_new(GSF_OUTPUT(sink.object)));
            ok = ole.object != nullptr;
            if (!ok)
                error = "cannot create the compound file";
        }
        if (ok) {
            ObjectRef stream{G_OBJECT(gsf_outfile_new_child(GSF_OUTFILE(ole.object), "Workbook", FALSE))};
            if (!stream.object) {
                error = "cannot create the workbook stream";
                ok = false;
            } else {
                GsfSink bytes(GSF_OUTPUT(stream.object));
                if (!produce(bytes)) {
                    error = "the workbook is too large for the file format";
                    ok = false;
                } else if (!bytes.finish()) {
                    error = gsfError(GSF_OUTPUT(stream.object), "cannot write the workbook stream");
                    ok = false;
                }
                if (!gsf_output_close(GSF_OUTPUT(stream.object)) && ok) {
                    error = gsfError(GSF_OUTPUT(stream.object), "cannot finish the workbook stream");
                    ok = false;
                }
            }
            if (!gsf_output_close(GSF_OUTPUT(ole.object)) && ok) {
                error = gsfError(GSF_OUTPUT(ole.object), "cannot finish the compound file");
                ok = false;
            }
        }
        if (sink.object && !gsf_output_is_closed(GSF_OUTPUT(sink.object))
            && !gsf_output_close(GSF_OUTPUT(sink.object)) && ok) {
            error = gsfError(GSF_OUTPUT(sink.object), "cannot write the file");
            ok = false;
        }
    }

    // Data must be on disk before the name points at it.
    if (std::fflush(file) != 0 && ok) {
        error = std::string("cannot write the file: ") + std::strerror(errno);
        ok = false;
    }
    if (ok && ::fsync(fileno(file)) != 0) {
        error = std::string("cannot write the file: ") + std::strerror(errno);
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        error = std::string("cannot write the file: ") + std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(tmpPath.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok)
        ::unlink(tmpPath.c_str());
    return ok;
}

} // namespace xl::detail
