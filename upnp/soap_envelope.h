// The texts of one UPnP control action: the control URL taken apart, the
// envelope and request written line by line for the program's own HTTP
// exchange, the envelope built as a document for the request object, and an
// output value read back from an answer. No I/O here.
#pragma once

#include <map>
#include <string>

// Argument name to value (or to data type name), in byte order of the names.
using SoapArguments = std::map<std::string, std::string>;

struct ControlUrlParts {
    std::string authority;  // host, with ":port" when the URL has one
    std::string host;
    std::string port;  // "80" when the URL has none
    std::string path;  // from the "/" after the authority, query included
};

// False when the URL is not an http URL ("http://", any letter case) or has
// no "/" after its authority.
bool SplitControlUrl(const std::string& url, ControlUrlParts& parts);

enum SoapForm { kSoapTyped = 0, kSoapPlain = 1 };

// The envelope, every line ending in CR LF. Values (CP932) are written in
// UTF-8 with &, <, > and " escaped; the typed form gives each argument its data
// type from types.
std::string BuildMsnBody(const std::string& serviceType, const std::string& action,
                         const SoapArguments& values, const SoapArguments& types, int form);

// The POST head for body, ending in the empty line, followed by body.
std::string BuildMsnRequest(const ControlUrlParts& url, const std::string& serviceType,
                            const std::string& action, const std::string& body);

// The envelope as one line of UTF-8 XML, values escaped by the document
// builder; data types are not sent.
std::string BuildDomEnvelope(const std::string& serviceType, const std::string& action,
                             const SoapArguments& values);

// &, <, > and " as entity references.
std::string EscapeXmlText(const std::string& text);

// The text of the first element named name in response, with entity and
// character references decoded; "" when there is none. Letter case is ignored
// and a namespace prefix is allowed ("<u:NewExternalIPAddress>"), but a longer
// name that only begins with name is another element.
std::string FindResponseValue(const std::string& response, const std::string& name);
