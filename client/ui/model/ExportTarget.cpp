#include "ui/model/ExportTarget.h"

#include <cctype>
#include <cstddef>
#include <string_view>

namespace quorvel::ui {

namespace {

// Start of the extension in path (after its last dot), or npos when the
// file name has none. A name that only begins with a dot (a hidden file)
// has no extension.
std::size_t extensionStart(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart)
        return std::string::npos;
    return dot + 1;
}

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::optional<ExportTarget> exportTarget(const std::string& chosenPath, int filterIndex)
{
    if (chosenPath.empty())
        return std::nullopt;
    const std::size_t extStart = extensionStart(chosenPath);
    const std::string_view ext =
        extStart == std::string::npos ? std::string_view() : std::string_view(chosenPath).substr(extStart);
    const bool typedCsv = sameIgnoringCase(ext, "csv");
    const bool chosenCsv = filterIndex == kCsvFilterIndex && (ext.empty() || sameIgnoringCase(ext, "xls"));
    ExportTarget target{chosenPath, typedCsv || chosenCsv};
    if (target.csv && !typedCsv) {
        if (extStart == std::string::npos)
            target.path += ".csv";
        else
            target.path = chosenPath.substr(0, extStart) + "csv";
    } else if (ext.empty()) {
        target.path += ".xls";
    }
    return target;
}

}  // namespace quorvel::ui
