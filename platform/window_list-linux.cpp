#include <dirent.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/charset.h"
#include "platform/window_list.h"

namespace platform {
namespace {

// Longest property read, in 32-bit units (titles and class names are short).
constexpr uint32_t kPropertyUnits = 4096;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, std::char_traits<char>::length(name), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The property's bytes and its type; empty when it is missing.
std::string ReadProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                         xcb_atom_t* type = nullptr) {
    if (property == XCB_ATOM_NONE) return std::string();
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, window, property,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, kPropertyUnits),
                               nullptr),
        &std::free);
    if (!reply) return std::string();
    if (type) *type = reply->type;
    const char* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, xcb_get_property_value_length(reply.get()));
}

std::string Latin1ToUtf8(const std::string& latin1) {
    std::string utf8;
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

// WM_CLASS holds the instance and the class name, each ending with a zero
// byte; both are kept, joined by a blank.
std::string ClassText(const std::string& wmClass) {
    std::string instance = wmClass.substr(0, wmClass.find('\0'));
    std::string name;
    if (instance.size() < wmClass.size()) {
        name = wmClass.substr(instance.size() + 1);
        name = name.substr(0, name.find('\0'));
    }
    if (name.empty() || name == instance) return instance;
    return instance.empty() ? name : instance + " " + name;
}

struct Atoms {
    xcb_atom_t clientList, netWmName, utf8String;
};

WindowInfo DescribeWindow(xcb_connection_t* connection, xcb_window_t window, const Atoms& atoms) {
    std::string title = ReadProperty(connection, window, atoms.netWmName);
    if (title.empty()) {
        xcb_atom_t type = XCB_ATOM_NONE;
        title = ReadProperty(connection, window, XCB_ATOM_WM_NAME, &type);
        if (type != atoms.utf8String) title = Latin1ToUtf8(title);
    }
    std::string wmClass = ReadProperty(connection, window, XCB_ATOM_WM_CLASS);
    return WindowInfo{Utf8ToCp932(title), Utf8ToCp932(Latin1ToUtf8(ClassText(wmClass)))};
}

// The window manager's client list; without a window manager, the root's
// children.
std::vector<xcb_window_t> TopLevelWindows(xcb_connection_t* connection, xcb_window_t root,
                                          const Atoms& atoms) {
    std::string list = ReadProperty(connection, root, atoms.clientList);
    std::vector<xcb_window_t> windows(list.size() / sizeof(xcb_window_t));
    if (!windows.empty()) {
        std::char_traits<char>::copy(reinterpret_cast<char*>(windows.data()), list.data(),
                                     windows.size() * sizeof(xcb_window_t));
        return windows;
    }
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr), &std::free);
    if (!tree) return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return std::vector<xcb_window_t>(children,
                                     children + xcb_query_tree_children_length(tree.get()));
}

void AddX11Windows(std::vector<WindowInfo>* result) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
        Atoms atoms{InternAtom(connection, "_NET_CLIENT_LIST"),
                    InternAtom(connection, "_NET_WM_NAME"), InternAtom(connection, "UTF8_STRING")};
        for (xcb_window_t window : TopLevelWindows(connection, root, atoms)) {
            result->push_back(DescribeWindow(connection, window, atoms));
        }
    }
    xcb_disconnect(connection);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The command line's arguments are separated by zero bytes; they become blanks.
std::string CommandLineText(std::string commandLine) {
    while (!commandLine.empty() && commandLine.back() == '\0') commandLine.pop_back();
    for (char& c : commandLine) {
        if (c == '\0') c = ' ';
    }
    return commandLine;
}

// A zombie has ended and only waits for its parent to collect it: its state,
// after the command name in parentheses in /proc/<pid>/stat, is "Z".
bool IsZombie(const std::string& folder) {
    std::string stat = ReadWholeFile(folder + "/stat");
    size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

bool IsProcessFolder(const char* name) {
    if (!*name) return false;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9') return false;
    }
    return true;
}

// This process is left out: its own command line would otherwise match a
// title taken from it. So are zombies, which have already ended.
void AddProcesses(std::vector<WindowInfo>* result) {
    DIR* proc = opendir("/proc");
    if (!proc) return;
    const std::string self = std::to_string(getpid());
    while (const dirent* item = readdir(proc)) {
        if (!IsProcessFolder(item->d_name) || self == item->d_name) continue;
        std::string folder = std::string("/proc/") + item->d_name;
        if (IsZombie(folder)) continue;
        std::string comm = ReadWholeFile(folder + "/comm");
        if (!comm.empty() && comm.back() == '\n') comm.pop_back();
        std::string title = CommandLineText(ReadWholeFile(folder + "/cmdline"));
        if (comm.empty() && title.empty()) continue;  // the process has just ended
        result->push_back(WindowInfo{Utf8ToCp932(title), Utf8ToCp932(comm)});
    }
    closedir(proc);
}

}  // namespace

std::vector<WindowInfo> ListWindows() {
    std::vector<WindowInfo> windows;
    AddX11Windows(&windows);
    AddProcesses(&windows);
    return windows;
}

}  // namespace platform
