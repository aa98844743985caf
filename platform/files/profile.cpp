// The profile-file operations on system paths: each file name is resolved
// once and handed to the cached, locked file store of common/.

#include "platform/files/profile.h"

#include "common/inistore.h"
#include "common/numbers.h"
#include "common/text.h"
#include "platform/files/fileopen.h"
#include "platform/files/pathresolver.h"

namespace dm {

namespace {

std::shared_ptr<const IniFile> Load(std::string_view file)
{
    std::filesystem::path path = ResolvePathOrEmpty(file);
    if (path.empty())
        return nullptr;
    return LoadIniFile(path);
}

std::string Cut(std::string_view text, std::size_t capacity)
{
    if (capacity == 0)
        return std::string(text);
    return std::string(text.substr(0, capacity - 1));
}

// oneSection names the section when every edit is a write or key deletion
// in that one section.
bool Update(std::string_view file, const std::function<bool(IniFile&)>& edit,
            std::optional<std::string_view> oneSection = std::nullopt)
{
    const ResolvedPath resolved = ResolvePath(file);
    if (!resolved.ok())
        return false;
    const ResolvedPath target = ResolveWriteTarget(resolved.path);
    if (!target.ok())
        return false;
    return oneSection ? UpdateIniSection(target.path, *oneSection, edit) : UpdateIniFile(target.path, edit);
}

} // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view file,
                                    std::size_t capacity)
{
    if (auto ini = Load(file)) {
        if (auto value = ini->Value(section, key))
            return Cut(*value, capacity);
    }
    return Cut(defaultValue, capacity);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         std::string_view file)
{
    if (auto ini = Load(file)) {
        if (auto value = ini->Value(section, key))
            return AtoiValue(*value);
    }
    return defaultValue;
}

int GetNetworkFileInt(std::string_view section, std::string_view key, int defaultValue,
                      const std::filesystem::path& file)
{
    if (auto ini = LoadIniFile(file)) {
        if (auto value = ini->Value(section, key))
            return AtoiValue(*value);
    }
    return defaultValue;
}

std::vector<std::string> GetPrivateProfileSectionNames(std::string_view file)
{
    auto ini = Load(file);
    return ini ? ini->SectionNames() : std::vector<std::string>{};
}

std::shared_ptr<const IniFile> LoadPrivateProfile(std::string_view file)
{
    return Load(file);
}

std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section, std::string_view file)
{
    auto ini = Load(file);
    return ini ? ini->KeyNames(section) : std::vector<std::string>{};
}

std::vector<std::pair<std::string, std::string>> GetPrivateProfileSection(std::string_view section,
                                                                          std::string_view file)
{
    auto ini = Load(file);
    return ini ? ini->Entries(section) : std::vector<std::pair<std::string, std::string>>{};
}

std::optional<IniSectionCopy> ReadPrivateProfileSection(std::string_view section, std::string_view file)
{
    const std::filesystem::path path = ResolvePathOrEmpty(file);
    if (path.empty())
        return std::nullopt;
    return ReadIniSection(path, section);
}

bool ForEachPrivateProfileSection(const std::function<bool(std::string_view)>& accepts,
                                  const IniSectionVisit& visit, std::string_view file)
{
    const std::filesystem::path path = ResolvePathOrEmpty(file);
    return !path.empty() && ForEachIniSection(path, visit, accepts);
}

unsigned long CheckProfileFile(std::string_view file)
{
    const ResolvedPath resolved = ResolvePath(file);
    return resolved.ok() ? CheckReadable(resolved.path) : resolved.error;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file)
{
    if (!IniFile::IsValidSectionName(TrimBlanks(section)) || !IniFile::IsValidKeyName(key))
        return false;
    return Update(file, [&](IniFile& ini) { return ini.Write(section, key, value); });
}

bool DeletePrivateProfileKey(std::string_view section, std::string_view key, std::string_view file)
{
    if (!IniFile::IsValidSectionName(TrimBlanks(section)) || !IniFile::IsValidKeyName(key))
        return false;
    return Update(file, [&](IniFile& ini) { return ini.DeleteKey(section, key); });
}

bool DeletePrivateProfileSection(std::string_view section, std::string_view file)
{
    if (!IniFile::IsValidSectionName(TrimBlanks(section)))
        return false;
    return Update(file, [&](IniFile& ini) { return ini.DeleteSection(section); });
}

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t capacity)
{
    return GetPrivateProfileString(section, key, defaultValue, "win.ini", capacity);
}

ProfileBatch::ProfileBatch(std::string_view file) : m_file(file) {}

void ProfileBatch::Write(std::string_view section, std::string_view key, std::string_view value)
{
    m_edits.push_back({Edit::Write, std::string(section), std::string(key), std::string(value)});
}

void ProfileBatch::DeleteKey(std::string_view section, std::string_view key)
{
    m_edits.push_back({Edit::DeleteKey, std::string(section), std::string(key), {}});
}

void ProfileBatch::DeleteSection(std::string_view section)
{
    m_edits.push_back({Edit::DeleteSection, std::string(section), {}, {}});
}

bool ProfileBatch::Commit()
{
    for (const Edit& edit : m_edits) {
        if (!IniFile::IsValidSectionName(TrimBlanks(edit.section)))
            return false;
        if (edit.kind != Edit::DeleteSection && !IniFile::IsValidKeyName(edit.key))
            return false;
    }
    if (m_edits.empty())
        return true;
    // Edits of one section (an account's save) touch only its bytes.
    std::optional<std::string_view> oneSection = TrimBlanks(m_edits.front().section);
    for (const Edit& edit : m_edits) {
        if (edit.kind == Edit::DeleteSection || !EqualNoCase(TrimBlanks(edit.section), *oneSection)) {
            oneSection.reset();
            break;
        }
    }
    return Update(m_file, [this](IniFile& ini) {
        for (const Edit& edit : m_edits) {
            bool ok = edit.kind == Edit::Write       ? ini.Write(edit.section, edit.key, edit.value)
                      : edit.kind == Edit::DeleteKey ? ini.DeleteKey(edit.section, edit.key)
                                                     : ini.DeleteSection(edit.section);
            if (!ok)
                return false;
        }
        return true;
    }, oneSection);
}

} // namespace dm
