#pragma once

#include "tessaly/core/String.h"

namespace tessaly::core {

// Base of the library's exceptions: a description and the source location
// of the throw, printed in a fixed report format.
class Exception {
public:
    Exception(const String& description, const String& filename, int line);
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;
    virtual ~Exception() = default;

    virtual String printException() const;

    const String& getDescription() const { return description_; }
    const String& getFilename() const { return filename_; }
    int getLine() const { return line_; }

protected:
    // The report with the given class name in its first line.
    String report(const char* className) const;

private:
    String description_;
    String filename_;
    int line_;
};

} // namespace tessaly::core
