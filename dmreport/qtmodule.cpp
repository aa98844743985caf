#include "dmreport/qtmodule.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <vector>

namespace dm {

namespace {

std::vector<std::filesystem::path> Candidates()
{
    std::vector<std::filesystem::path> paths;
    if (const char* env = std::getenv("DIALMIND_DMREPORT_MODULE"); env != nullptr && *env != '\0')
        paths.emplace_back(env);
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path dir = exe.parent_path();
        paths.push_back(dir / "../lib/libdmreport_window.so");
        paths.push_back(dir / "libdmreport_window.so");
    }
    return paths;
}

} // namespace

bool QtModule::Load()
{
    if (m_handle != nullptr)
        return true;
    m_error = "libdmreport_window.so not found";
    for (const std::filesystem::path& path : Candidates()) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            continue;
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle == nullptr) {
            const char* reason = dlerror();
            m_error = reason != nullptr ? reason : path.string();
            continue;
        }
        m_runWindow = reinterpret_cast<RunWindowFn>(dlsym(m_handle, "dm_dmreport_run_window"));
        m_print = reinterpret_cast<PrintFn>(dlsym(m_handle, "dm_dmreport_print"));
        if (m_runWindow != nullptr && m_print != nullptr)
            return true;
        m_error = path.string() + ": entry points missing";
        dlclose(m_handle);
        m_handle = nullptr;
    }
    return false;
}

int QtModule::RunWindow(int argc, char** argv, const std::string& commandText)
{
    return m_runWindow(argc, argv, commandText.c_str());
}

bool QtModule::PrintWithoutWindow(const std::string& dmtempFile)
{
    return m_print(dmtempFile.c_str()) >= 0;
}

} // namespace dm
