// The system's HTTP proxy, taken from the environment (http_proxy, then
// HTTP_PROXY) as this system keeps no registry.
#pragma once

#include <string>

// address receives "host:port" (scheme, user name and path of the variable's
// URL removed), enabled 1 when such an address is set, else both are cleared.
// Always returns 0.
int GetSystemProxy(std::string* address, int* enabled);

// The "host:port" part of a proxy URL such as "http://user@proxy:3128/".
std::string ProxyAddressFromUrl(const std::string& url);
