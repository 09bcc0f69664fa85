#include "FileLogAppenders.h"

#include "FileLogText.h"

#include <filesystem>
#include <system_error>

namespace pellorn::filelog {

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 throughout (on Windows a plain std::string would be
// read in the ANSI code page).
fs::path pathOf(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace

Appender::Appender(std::string name, std::unique_ptr<PatternLayout> layout, Level threshold)
    : name_(std::move(name)), layout_(std::move(layout)), threshold_(threshold)
{
}

void Appender::append(const LogEvent& event)
{
    if (event.level < threshold_)
        return;
    const std::string text = layout_->format(event);
    std::lock_guard<std::mutex> lock(mutex_);
    writeRecord(text);
}

ConsoleAppender::ConsoleAppender(std::string name, std::unique_ptr<PatternLayout> layout, Level threshold,
                                 std::FILE* stream)
    : Appender(std::move(name), std::move(layout), threshold), stream_(stream)
{
}

void ConsoleAppender::writeRecord(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream_);
    std::fflush(stream_);
}

FileAppender::FileAppender(std::string name, std::unique_ptr<PatternLayout> layout, Level threshold,
                           FileAppenderOptions options)
    : Appender(std::move(name), std::move(layout), threshold), options_(std::move(options))
{
    std::error_code ignored;
    const fs::path parent = pathOf(options_.file).parent_path();
    if (!parent.empty())
        fs::create_directories(parent, ignored);
    openFile(options_.append);
}

bool FileAppender::openFile(bool append)
{
    std::string error;
    if (file_.open(options_.file, append, options_.ownerOnly, error))
        return true;
    reportOnce("appender " + this->name() + " cannot open " + options_.file + ": " + error);
    return false;
}

void FileAppender::writeRecord(const std::string& text)
{
    if (!file_.isOpen() && !openFile(true))
        return;
    std::string error;
    if (!file_.write(text.data(), text.size(), error))
        reportOnce("appender " + this->name() + " cannot write to " + options_.file + ": " + error);
    if (options_.maxFileSize > 0 && file_.size() >= options_.maxFileSize)
        rollOver();
}

void FileAppender::rollOver()
{
    file_.close();
    if (options_.maxBackupIndex <= 0) {
        openFile(false);
        return;
    }
    std::error_code error;
    const std::string& base = options_.file;
    auto backup = [&](int index) { return pathOf(base + "." + std::to_string(index)); };
    fs::remove(backup(options_.maxBackupIndex), error);
    for (int i = options_.maxBackupIndex - 1; i >= 1; --i) {
        if (!fs::exists(backup(i), error))
            continue;
        // The target is gone already; removing it again keeps Windows,
        // which renames onto no existing file, from failing.
        fs::remove(backup(i + 1), error);
        fs::rename(backup(i), backup(i + 1), error);
        if (error)
            reportOnce("appender " + this->name() + " cannot roll " + base + "." + std::to_string(i) + " over: "
                       + error.message());
    }
    fs::remove(backup(1), error);
    fs::rename(pathOf(base), backup(1), error);
    if (error) {
        reportOnce("appender " + this->name() + " cannot roll " + base + " over: " + error.message());
        openFile(true);
        return;
    }
    openFile(false);
}

} // namespace pellorn::filelog
