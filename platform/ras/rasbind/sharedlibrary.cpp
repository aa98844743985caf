#include "platform/ras/rasbind/sharedlibrary.h"

#include "common/text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace dm {

namespace {

std::string BaseName(std::string_view systemName)
{
    std::string base(systemName);
    if (base.size() > 4) {
        if (EndsWithNoCase(base, ".dll"))
            base.resize(base.size() - 4);
        else
            return {};
    } else {
        return {};
    }
    return base;
}

fs::path ExecutableDir()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

} // namespace

SharedLibrary::~SharedLibrary() { Close(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(other.m_handle), m_path(std::move(other.m_path)), m_error(std::move(other.m_error))
{
    other.m_handle = nullptr;
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = other.m_handle;
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
        other.m_handle = nullptr;
    }
    return *this;
}

std::string SharedLibrary::MapName(std::string_view systemName)
{
    std::string base = BaseName(systemName);
    if (base.empty())
        return std::string(systemName);
    return "lib" + LowerAscii(base) + ".so";
}

std::string SharedLibrary::OverrideVariable(std::string_view systemName)
{
    std::string base = BaseName(systemName);
    if (base.empty())
        return {};
    std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) {
        return std::isalnum(c) ? static_cast<char>(std::toupper(c)) : '_';
    });
    return "DIALMIND_" + base;
}

bool SharedLibrary::Load(std::string_view systemName)
{
    Close();
    m_error.clear();
    std::vector<std::string> candidates;
    const std::string variable = OverrideVariable(systemName);
    const char* overridePath = variable.empty() ? nullptr : std::getenv(variable.c_str());
    if (overridePath != nullptr && *overridePath != '\0') {
        // A named file is the only candidate: a test that asks for another
        // build must never silently get the normal one.
        candidates.emplace_back(overridePath);
    } else {
        const std::string file = MapName(systemName);
        const fs::path exeDir = ExecutableDir();
        if (!exeDir.empty()) {
            candidates.push_back((exeDir / file).string());
            candidates.push_back((exeDir.parent_path() / "lib" / file).string());
        }
        candidates.push_back(file);
    }
    for (const auto& candidate : candidates) {
        const bool isPath = candidate.find('/') != std::string::npos;
        std::error_code ec;
        if (isPath && !fs::exists(candidate, ec)) {
            m_error = candidate + ": no such file";
            continue;
        }
        if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            m_handle = handle;
            m_path = candidate;
            m_error.clear();
            return true;
        }
        const char* why = dlerror();
        m_error = why != nullptr ? why : candidate + ": cannot be loaded";
    }
    return false;
}

void SharedLibrary::Close()
{
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
    m_path.clear();
}

void* SharedLibrary::Symbol(const char* name) const
{
    if (m_handle == nullptr || name == nullptr)
        return nullptr;
    return dlsym(m_handle, name);
}

} // namespace dm
