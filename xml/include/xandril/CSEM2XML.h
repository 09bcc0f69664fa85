// Reads XML into element trees and writes trees back, to a UTF-8 file
// (byte order mark, declaration, tab-indented) or to a memory buffer
// (declaration, no line breaks). Failures give null, false or 0.
#pragma once

#include "xandril/CCombineElement.h"
#include "xandril/CElement.h"

#include <pugixml.hpp>

#include <cstdint>

namespace xandril {

class CSEM2XML {
public:
    static constexpr unsigned char m_bom[3] = {0xEF, 0xBB, 0xBF};
    // 38 characters, then CR LF.
    static constexpr char m_declare[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    static constexpr int m_declareLength = 40;
    // Field sizes of the framed packets callers build around XML data; no
    // operation of this library frames data itself.
    static constexpr int m_PackageHeadCountOfBytes = 3;
    static constexpr int m_PackageTypeCountOfBytes = 2;
    static constexpr int m_PackageDataLenCountOfBytes = 4;

    CSEM2XML();
    virtual ~CSEM2XML();

    CSEM2XML(const CSEM2XML&) = delete;
    CSEM2XML& operator=(const CSEM2XML&) = delete;

    // A new tree (the caller's, free it with destroyElement) or null.
    // File names here are UTF-8 (on Windows too).
    CElement* ParseFile(const char* path);
    // The same from `length` bytes in memory (copied, not kept).
    CElement* ParseData(const unsigned char* data, int length);

    // Writes the tree to `path` through a temporary file renamed over it;
    // false when nothing was written (the old file is then untouched).
    bool WriteFile(CElement* root, const char* path);
    // The same, the new file created with exactly `permissions` (e.g. 0600).
    bool WriteFile(CElement* root, const char* path, unsigned int permissions);
    // Writes the tree to a new buffer stored in *out; its length, or 0 on
    // failure (then *out is not touched). Free it with releaseBuffer.
    int WriteBuffer(unsigned char** out, CElement* root);
    void releaseBuffer(unsigned char* buffer);

    // Frees a whole tree: children depth-first, then the element.
    static void destroyElement(CElement* element);

private:
    CElement* SortingNode(pugi::xml_node node);
    void WrapNode(CElement* element, pugi::xml_node node);

    void resetDocument();
    CElement* parseLoaded(const pugi::xml_parse_result& result);
    bool prepareForWriting(CElement* root);
    bool writeFile(CElement* root, const char* path, int permissions);

    pugi::xml_document* m_document;
    std::uint64_t m_epoch = 0;
};

} // namespace xandril
