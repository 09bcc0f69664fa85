// Loading a document from a file named in UTF-8, the platform's way.
#pragma once

#include <pugixml.hpp>

namespace xandril::detail {

pugi::xml_parse_result loadXmlFile(pugi::xml_document& document, const char* path);

} // namespace xandril::detail
