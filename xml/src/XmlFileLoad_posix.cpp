#include "XmlFileLoad.h"

namespace xandril::detail {

pugi::xml_parse_result loadXmlFile(pugi::xml_document& document, const char* path)
{
    return document.load_file(path, pugi::parse_default, pugi::encoding_auto);
}

} // namespace xandril::detail
