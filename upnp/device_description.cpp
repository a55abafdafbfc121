#include "upnp/device_description.h"

#include <uriparser/Uri.h>

#include "foundation/memfile.h"
#include "foundation/trace.h"
#include "net/url.h"
#include "platform/charset.h"
#include "platform/xmlhttp.h"
#include "upnp/session_deadline.h"
#include "upnp/xml_text.h"

std::string glb_Location;
std::string glb_RouterHost;
std::string glb_ModelDescription;
std::string glb_ModelName;
std::string glb_ModelNumber;
std::string glb_ModelURL;
std::string glb_Manufacturer;

namespace {

const int kFetchTimeLimitMs = 5000;

struct ModelValue {
    const char* expression;
    std::string* value;
};
const ModelValue kModelValues[] = {
    {"//device/modelDescription", &glb_ModelDescription}, {"//device/modelName", &glb_ModelName},
    {"//device/modelNumber", &glb_ModelNumber},           {"//device/modelURL", &glb_ModelURL},
    {"//device/manufacturer", &glb_Manufacturer},
};

// A parsed URI that frees itself.
struct Uri {
    UriUriA uri{};
    bool valid = false;

    Uri() = default;
    explicit Uri(const std::string& text) {
        const char* errorAt = nullptr;
        valid = uriParseSingleUriA(&uri, text.c_str(), &errorAt) == URI_SUCCESS;
    }
    ~Uri() {
        if (valid) uriFreeUriMembersA(&uri);
    }
    Uri(const Uri&) = delete;
    Uri& operator=(const Uri&) = delete;
};

std::string UriText(const UriUriA& uri) {
    int length = 0;
    if (uriToStringCharsRequiredA(&uri, &length) != URI_SUCCESS) return "";
    std::string text(length + 1, '\0');
    if (uriToStringA(&text[0], &uri, length + 1, nullptr) != URI_SUCCESS) return "";
    text.resize(length);
    return text;
}

}  // namespace

std::string CombineUrl(const std::string& base, const std::string& reference) {
    Uri baseUri(base);
    Uri referenceUri(reference);
    if (!baseUri.valid || !referenceUri.valid) return "";
    Uri joined;
    joined.valid = uriAddBaseUriA(&joined.uri, &referenceUri.uri, &baseUri.uri) == URI_SUCCESS;
    return joined.valid ? UriText(joined.uri) : "";
}

namespace {

void ClearModelValues() {
    for (const ModelValue& model : kModelValues) model.value->clear();
}

// The control URL of the service of type serviceType, traced when missing.
std::string SelectControlUrl(const pugi::xml_document& document, const std::string& serviceType) {
    std::string query = "//service[serviceType=\"" + serviceType + "\"]/controlURL";
    std::string controlUrl;
    if (!SelectText(document, query, controlUrl) || controlUrl.empty()) {
        Trace("GetControlURL() selectSingleNode error: ", query, 0);
        return "";
    }
    return controlUrl;
}

// The description's bytes, or false when it did not come whole with status 200.
bool FetchDescription(const char* location, std::string& description) {
    platform::XmlHttpRequest request;
    request.url = location;
    request.timeLimitMs = SessionTimeLeft(kFetchTimeLimitMs);
    if (request.timeLimitMs <= 0) return false;
    platform::XmlHttpAnswer answer;
    platform::XmlHttpResult result = platform::XmlHttpSend(request, answer);
    if (result == platform::XmlHttpResult::kNoHandle) {
        Trace("GetControlURL() CreateInstance error:", location, 0);
        return false;
    }
    if (result != platform::XmlHttpResult::kOk) return false;
    if (answer.status != 200) {
        Trace("GetControlURL() http-GET http-status error: ", location, answer.status);
        return false;
    }
    description.swap(answer.body);
    return true;
}

}  // namespace

std::string ControlUrlFromDescription(const std::string& description, const char* location,
                                      const std::vector<std::string>& serviceTypes) {
    ClearModelValues();
    pugi::xml_document document;
    if (!LoadXml(document, description)) return "";
    Trace("GetControlURL() responseText: ", platform::Utf8ToCp932(description), 0);
    std::string controlUrl;
    for (size_t i = 0; i < serviceTypes.size() && controlUrl.empty(); ++i) {
        controlUrl = SelectControlUrl(document, serviceTypes[i]);
    }
    if (controlUrl.empty()) return "";
    std::string base;
    if (!SelectText(document, "//URLBase", base) || base.empty()) base = location;
    for (const ModelValue& model : kModelValues)
        SelectText(document, model.expression, *model.value);
    glb_Location = location;
    glb_RouterHost = ParseUrl(location, "80").host;
    return CombineUrl(base, controlUrl);
}

std::string ControlUrlFromDescription(const std::string& description, const char* location,
                                      const char* serviceType) {
    return ControlUrlFromDescription(description, location, std::vector<std::string>{serviceType});
}

std::string GetControlURL(const char* location, const std::vector<std::string>& serviceTypes) {
    ClearModelValues();
    std::string description;
    if (!FetchDescription(location, description)) return "";
    return ControlUrlFromDescription(description, location, serviceTypes);
}

std::string GetControlURL(const char* location, const char* serviceType) {
    return GetControlURL(location, std::vector<std::string>{serviceType});
}

void ReadXmlText(const char* path, const char* expression, std::string& text) {
    text.clear();
    MemFile* file = MemOpen(path, "fr");
    if (file == nullptr) return;
    std::string bytes(MemData(file), MemLength(file));
    MemClose(file);
    pugi::xml_document document;
    if (LoadXml(document, bytes)) SelectText(document, expression, text);
}

void ResetDeviceDescriptionForTests() {
    glb_Location.clear();
    glb_RouterHost.clear();
    ClearModelValues();
}
