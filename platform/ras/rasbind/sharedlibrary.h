#pragma once
// A shared object loaded at run time under the name the system gives it
// ("RASSAPI.DLL"), closed again when the object dies.
//
// A name ending in ".DLL" maps to "lib<name in lower case>.so"; it is looked
// for beside the running executable, then in ../lib relative to it, then on
// the loader's own search path. An environment variable may name the file
// outright (DIALMIND_RASSAPI for RASSAPI.DLL), so that tests can load another
// build of a library.

#include <string>
#include <string_view>

namespace dm {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads the library (closing one loaded before); false when no candidate loads.
    bool Load(std::string_view systemName);
    void Close();
    bool IsLoaded() const { return m_handle != nullptr; }
    // The address of an exported symbol, null when missing or nothing is loaded.
    void* Symbol(const char* name) const;
    // The file that was loaded, and the loader's last complaint.
    const std::string& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }

    // "RASSAPI.DLL" -> "librassapi.so"; other names are kept.
    static std::string MapName(std::string_view systemName);
    // The variable that overrides the path of a library ("DIALMIND_RASSAPI").
    static std::string OverrideVariable(std::string_view systemName);

private:
    void* m_handle = nullptr;
    std::string m_path;
    std::string m_error;
};

} // namespace dm
