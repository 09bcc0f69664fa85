#include "XmlFileLoad.h"
#include "WidePath_win32.h"

namespace xandril::detail {

pugi::xml_parse_result loadXmlFile(pugi::xml_document& document, const char* path)
{
    return document.load_file(widePath(path).c_str(), pugi::parse_default, pugi::encoding_auto);
}

} // namespace xandril::detail
