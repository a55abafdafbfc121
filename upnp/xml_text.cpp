#include "upnp/xml_text.h"

#include "foundation/mbs.h"
#include "platform/charset.h"

namespace {

const char* const kShiftJisNames[] = {"shift_jis",   "shift-jis", "sjis", "x-sjis",
                                      "windows-31j", "cp932",     "ms932"};

// The encoding named in the XML declaration, lower-cased; "" without one.
std::string DeclaredEncoding(const std::string& bytes) {
    if (bytes.compare(0, 5, "<?xml") != 0) return "";
    std::string declaration = MbsLower(bytes.substr(0, bytes.find("?>")));
    size_t at = declaration.find("encoding");
    if (at == std::string::npos) return "";
    size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string::npos) return "";
    size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string::npos) return "";
    return declaration.substr(open + 1, close - open - 1);
}

bool IsShiftJis(const std::string& encoding) {
    for (const char* name : kShiftJisNames) {
        if (encoding == name) return true;
    }
    return false;
}

bool IsText(const pugi::xml_node& node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// The text nodes under top in document order, joined. A loop rather than
// recursion: a description from the network may nest as deep as it likes.
std::string NodeText(const pugi::xml_node& top) {
    if (IsText(top)) return top.value();
    std::string text;
    pugi::xml_node node = top.first_child();
    while (node) {
        if (IsText(node)) {
            text += node.value();
        } else if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != top && !node.next_sibling()) node = node.parent();
        if (node == top) break;
        node = node.next_sibling();
    }
    return text;
}

std::string TextContent(const pugi::xpath_node& selected) {
    if (selected.attribute()) return selected.attribute().value();
    return NodeText(selected.node());
}

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

bool LoadXml(pugi::xml_document& document, const std::string& bytes) {
    pugi::xml_parse_result parsed;
    if (IsShiftJis(DeclaredEncoding(bytes))) {
        std::string utf8 = platform::Cp932ToUtf8(bytes);
        parsed = document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default,
                                      pugi::encoding_utf8);
    } else {
        parsed = document.load_buffer(bytes.data(), bytes.size());
    }
    return static_cast<bool>(parsed);
}

bool SelectText(const pugi::xml_document& document, const std::string& expression,
                std::string& text) {
    pugi::xpath_node selected;
    try {
        selected = document.select_node(platform::Cp932ToUtf8(expression).c_str());
    } catch (const pugi::xpath_exception&) {
        return false;
    }
    if (!selected) return false;
    text = platform::Utf8ToCp932(Trimmed(TextContent(selected)));
    return true;
}
