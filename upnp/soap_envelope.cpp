#include "upnp/soap_envelope.h"

#include <algorithm>
#include <pugixml.hpp>
#include <sstream>

#include "foundation/mbs.h"
#include "foundation/memfile.h"
#include "platform/charset.h"

namespace {

const char kEnvelopeNamespace[] = "http://schemas.xmlsoap.org/soap/envelope/";
const char kEncodingNamespace[] = "http://schemas.xmlsoap.org/soap/encoding/";

// Every line feed not already preceded by a carriage return becomes CR LF.
std::string WithCrLf(const std::string& text) {
    MemFile* file = MemOpen("10000", "mw");
    MemPuts(file, text.c_str(), 0);
    std::string converted(MemData(file), MemLength(file));
    MemClose(file);
    return converted;
}

std::string ArgumentLine(const std::string& name, const std::string& value, const std::string& type,
                         int form) {
    std::string text = EscapeXmlText(platform::Cp932ToUtf8(value));
    if (form == kSoapPlain) return "<" + name + ">" + text + "</" + name + ">\n";
    return "<" + name + " xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" dt:dt=\"" + type +
           "\">" + text + "</" + name + ">\n";
}

void AppendUtf8(unsigned long code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

int DigitValue(char digit) {
    if (digit <= '9') return digit - '0';
    return (digit | 0x20) - 'a' + 10;
}

// The character a reference such as "amp" or "#x41" stands for, in CP932;
// "" when it is none of the XML references.
std::string ReferencedText(const std::string& reference) {
    static const char* const kNamed[][2] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    for (const auto& named : kNamed) {
        if (reference == named[0]) return named[1];
    }
    if (reference.size() < 2 || reference[0] != '#') return "";
    bool hex = reference[1] == 'x' || reference[1] == 'X';
    std::string digits = reference.substr(hex ? 2 : 1);
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) return "";
    unsigned long code = 0;
    for (char digit : digits) {
        code = code * (hex ? 16 : 10) + DigitValue(digit);
        if (code > 0x10FFFF) return "";
    }
    if (code == 0) return "";
    std::string utf8;
    AppendUtf8(code, utf8);
    return platform::Utf8ToCp932(utf8);
}

// No reference is longer, leading zeros included: a ";" further away ends no
// reference, and looking no further keeps a value full of "&" linear.
constexpr size_t kLongestReference = 32;

// The ";" that ends the reference starting at amp, or npos.
size_t ReferenceEnd(const std::string& text, size_t amp) {
    auto end = text.begin() + std::min(text.size(), amp + 2 + kLongestReference);
    auto semicolon = std::find(text.begin() + amp + 1, end, ';');
    return semicolon == end ? std::string::npos : semicolon - text.begin();
}

// "&" never occurs as a trail byte of CP932, so a byte scan is safe.
std::string DecodeReferences(const std::string& text) {
    std::string out;
    size_t at = 0;
    for (size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', at)) {
        out.append(text, at, amp - at);
        size_t semicolon = ReferenceEnd(text, amp);
        if (semicolon == std::string::npos) {
            out += '&';
            at = amp + 1;
            continue;
        }
        std::string decoded = ReferencedText(text.substr(amp + 1, semicolon - amp - 1));
        out += decoded.empty() ? text.substr(amp, semicolon - amp + 1) : decoded;
        at = semicolon + 1;
    }
    out.append(text, at, std::string::npos);
    return out;
}

// An element name without its namespace prefix.
std::string LocalName(const std::string& name) {
    size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

bool SplitControlUrl(const std::string& url, ControlUrlParts& parts) {
    size_t scheme = url.find("://");
    if (scheme == std::string::npos || MbsLower(url.substr(0, scheme)) != "http") return false;
    size_t slash = url.find('/', scheme + 3);
    if (slash == std::string::npos) return false;
    parts.authority = url.substr(scheme + 3, slash - scheme - 3);
    parts.path = url.substr(slash);
    size_t colon = parts.authority.find(':');
    parts.host = parts.authority.substr(0, colon);
    parts.port = colon == std::string::npos ? "80" : parts.authority.substr(colon + 1);
    return true;
}

std::string EscapeXmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string BuildMsnBody(const std::string& serviceType, const std::string& action,
                         const SoapArguments& values, const SoapArguments& types, int form) {
    std::string text = "<?xml version=\"1.0\"?>\n";
    text += std::string("<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"") + kEnvelopeNamespace +
            "\" SOAP-ENV:encodingStyle=\"" + kEncodingNamespace + "\">\n";
    text += "<SOAP-ENV:Body>\n";
    text += "<m:" + action + " xmlns:m=\"" + serviceType + "\">\n";
    for (const auto& argument : values) {
        auto type = types.find(argument.first);
        text += ArgumentLine(argument.first, argument.second,
                             type == types.end() ? "" : type->second, form);
    }
    text += "</m:" + action + ">\n";
    text += "</SOAP-ENV:Body>\n";
    text += "</SOAP-ENV:Envelope>\n";
    return WithCrLf(text);
}

std::string BuildMsnRequest(const ControlUrlParts& url, const std::string& serviceType,
                            const std::string& action, const std::string& body) {
    std::string head = "POST " + url.path + " HTTP/1.1\n";
    head += "Content-Type: text/xml; charset=\"utf-8\"\n";
    head += "SOAPAction: \"" + serviceType + "#" + action + "\"\n";
    head += "User-Agent: Mozilla/4.0 (compatible; UPnP/1.0; Windows 9x)\n";
    head += "Host: " + url.authority + "\n";
    head += "Content-Length: " + std::to_string(body.size()) + "\n";
    head += "Connection: Close\n";
    head += "Pragma: no-cache\n\n";
    return WithCrLf(head) + body;
}

std::string BuildDomEnvelope(const std::string& serviceType, const std::string& action,
                             const SoapArguments& values) {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    pugi::xml_node envelope = document.append_child("SOAP-ENV:Envelope");
    envelope.append_attribute("xmlns:SOAP-ENV") = kEnvelopeNamespace;
    envelope.append_attribute("SOAP-ENV:encodingStyle") = kEncodingNamespace;
    pugi::xml_node body = envelope.append_child("SOAP-ENV:Body");
    pugi::xml_node call = body.append_child(("m:" + action).c_str());
    call.append_attribute("xmlns:m") = serviceType.c_str();
    for (const auto& argument : values) {
        call.append_child(argument.first.c_str())
            .text()
            .set(platform::Cp932ToUtf8(argument.second).c_str());
    }
    std::ostringstream out;
    document.save(out, "", pugi::format_raw | pugi::format_no_empty_element_tags,
                  pugi::encoding_utf8);
    return out.str();
}

std::string FindResponseValue(const std::string& response, const std::string& name) {
    if (name.empty()) return "";
    std::string wanted = MbsLower(name);
    // "<" and ">" never occur as trail bytes of CP932, so a byte scan is safe.
    for (size_t open = response.find('<'); open != std::string::npos;
         open = response.find('<', open + 1)) {
        size_t nameEnd = response.find_first_of(" \t\r\n/><", open + 1);
        if (nameEnd == std::string::npos) return "";
        // A name that runs into another "<" is read again from that "<", where
        // any element it could name starts. Stopping there scans each byte
        // once, so a body of many "<" is read in linear time.
        if (response[nameEnd] == '<') continue;
        if (MbsLower(LocalName(response.substr(open + 1, nameEnd - open - 1))) != wanted) continue;
        size_t close = response.find('>', nameEnd);
        if (close == std::string::npos || response[close - 1] == '/') return "";
        size_t end = response.find('<', close + 1);
        if (end == std::string::npos) return "";
        return DecodeReferences(response.substr(close + 1, end - close - 1));
    }
    return "";
}
