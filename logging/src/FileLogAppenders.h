// Where the own file back end sends records: a console stream or a file,
// which may roll over by size.
//
// pellorn.OwnerOnlyRollingFileAppender: a rolling file appender whose
// files, the current one and every one opened after a roll-over, only
// their owner may read and write (0600) on POSIX. On Windows the files
// take the access rights of their folder; the log folder beside the
// library takes those of the installation folder.
#pragma once

#include "FileLogLevels.h"
#include "FilePatternLayout.h"
#include "LogFile.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace pellorn::filelog {

class Appender {
public:
    Appender(std::string name, std::unique_ptr<PatternLayout> layout, Level threshold);
    virtual ~Appender() = default;

    // Formats and writes the record whole, unless it is below the
    // threshold. Safe to call from several threads at once.
    void append(const LogEvent& event);

    const std::string& name() const { return name_; }

protected:
    // Called with the appender's lock held.
    virtual void writeRecord(const std::string& text) = 0;

private:
    std::string name_;
    std::unique_ptr<PatternLayout> layout_;
    Level threshold_;
    std::mutex mutex_;
};

class ConsoleAppender : public Appender {
public:
    ConsoleAppender(std::string name, std::unique_ptr<PatternLayout> layout, Level threshold, std::FILE* stream);

protected:
    void writeRecord(const std::string& text) override;

private:
    std::FILE* stream_;
};

struct FileAppenderOptions {
    std::string file; // UTF-8
    bool append = true;
    bool ownerOnly = false;
    // 0: never rolls over.
    std::uint64_t maxFileSize = 0;
    int maxBackupIndex = 1;
};

class FileAppender : public Appender {
public:
    // Opens the file at once (parent folders created); a failure is
    // reported and tried again at the next record.
    FileAppender(std::string name, std::unique_ptr<PatternLayout> layout, Level threshold,
                 FileAppenderOptions options);

protected:
    void writeRecord(const std::string& text) override;

private:
    bool openFile(bool append);
    // file.N-1 -> file.N ... file -> file.1, the oldest dropped; with no
    // backups the file is emptied. The file is closed first: Windows does
    // not rename an open file.
    void rollOver();

    FileAppenderOptions options_;
    LogFile file_;
};

} // namespace pellorn::filelog
