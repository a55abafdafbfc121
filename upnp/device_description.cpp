#include "upnp/device_description.h"

#include <uriparser/Uri.h>

#include "foundation/memfile.h"
#include "foundation/trace.h"
#include "net/url.h"
#include "platform/charset.h"
#include "platform/xmlhttp.h"
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

std::string ControlUrlFromDescription(const std::string& description, const char* location,
                                      const char* serviceType) {
    pugi::xml_document document;
    if (!LoadXml(document, description)) return "";
    Trace("GetControlURL() responseText: ", platform::Utf8ToCp932(description), 0);
    std::string query = std::string("//service[serviceType=\"") + serviceType + "\"]/controlURL";
    std::string controlUrl;
    if (!SelectText(document, query, controlUrl) || controlUrl.empty()) {
        Trace("GetControlURL() selectSingleNode error: ", query, 0);
        return "";
    }
    std::string base;
    if (!SelectText(document, "//URLBase", base) || base.empty()) base = location;
    for (const ModelValue& model : kModelValues)
        SelectText(document, model.expression, *model.value);
    glb_Location = location;
    glb_RouterHost = ParseUrl(location, "80").host;
    return CombineUrl(base, controlUrl);
}

std::string GetControlURL(const char* location, const char* serviceType) {
    platform::XmlHttpRequest request;
    request.url = location;
    request.timeLimitMs = kFetchTimeLimitMs;
    platform::XmlHttpAnswer answer;
    platform::XmlHttpResult result = platform::XmlHttpSend(request, answer);
    if (result == platform::XmlHttpResult::kNoHandle) {
        Trace("GetControlURL() CreateInstance error:", location, 0);
        return "";
    }
    if (result != platform::XmlHttpResult::kOk) return "";
    if (answer.status != 200) {
        Trace("GetControlURL() http-GET http-status error: ", location, answer.status);
        return "";
    }
    return ControlUrlFromDescription(answer.body, location, serviceType);
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
    for (const ModelValue& model : kModelValues) model.value->clear();
}
