#include "tessaly/core/Exception.h"

namespace tessaly::core {

Exception::Exception(const String& description, const String& filename, int line)
    : description_(description), filename_(filename), line_(line)
{
}

String Exception::printException() const
{
    return report("Exception");
}

String Exception::report(const char* className) const
{
    String r("\n");
    r << "Exception: \t" << className << ". \n";
    r << "Description: \t" << description_ << "\n";
    r << "Filename:    \t" << filename_ << "\n";
    r << "Line Number: \t" << line_ << "\n";
    return r;
}

} // namespace tessaly::core
