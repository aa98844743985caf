#include "platform/system/display.h"

#include "common/environment.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>

namespace dm {

namespace {

// Whether the X server that DISPLAY names answers, asked the way the
// window system's own connection would (through libxcb, loaded only here).
bool XServerAnswers()
{
    void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (xcb == nullptr)
        return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    bool answers = false;
    if (connect != nullptr && hasError != nullptr && disconnect != nullptr) {
        void* connection = connect(nullptr, nullptr);
        answers = connection != nullptr && hasError(connection) == 0;
        if (connection != nullptr)
            disconnect(connection);
    }
    dlclose(xcb);
    return answers;
}

} // namespace

// Whether a display is really there: the X server that DISPLAY names
// answers, or the Wayland socket exists. A DISPLAY naming no server must not
// reach the window system, which would abort the process.
bool DisplayAnswers()
{
    if (NonEmptyEnv("DISPLAY"))
        return XServerAnswers();
    if (const char* wayland = NonEmptyEnv("WAYLAND_DISPLAY")) {
        const char* runtime = NonEmptyEnv("XDG_RUNTIME_DIR");
        const std::string socket = wayland[0] == '/' ? std::string(wayland)
                                   : runtime ? std::string(runtime) + "/" + wayland
                                             : std::string();
        struct stat st {};
        return !socket.empty() && ::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
    }
    return false;
}

// A window platform chosen by hand that needs no display (offscreen, vnc ...).
bool PlatformNeedsNoDisplay()
{
    const char* platform = NonEmptyEnv("QT_QPA_PLATFORM");
    return platform != nullptr && std::strncmp(platform, "xcb", 3) != 0 &&
           std::strncmp(platform, "wayland", 7) != 0;
}

} // namespace dm
