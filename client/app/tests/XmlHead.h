// The head every configuration file starts with: byte-order mark and declaration.
#pragma once

#include <string>

inline const std::string kXmlHead = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
