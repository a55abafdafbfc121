// Texts read out of XML documents: the document parsed from its bytes, and the
// text of the first node that an XPath 1.0 expression selects.
#pragma once

#include <pugixml.hpp>
#include <string>

// Parses bytes in UTF-8 or UTF-16, or in Shift_JIS when the declaration names
// it. False when they are no well-formed XML.
bool LoadXml(pugi::xml_document& document, const std::string& bytes);

// The text content of the first node that expression (CP932) selects, in CP932
// and trimmed of surrounding blanks, tabs and line ends. False, with text left
// alone, when nothing matches or the expression is no XPath.
bool SelectText(const pugi::xml_document& document, const std::string& expression,
                std::string& text);
