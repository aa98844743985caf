#include "reports/reportintermediate.h"

#include "common/inistore.h"
#include "common/text.h"

namespace dm {

std::string FoldProfileName(std::string_view name)
{
    return LowerAscii(TrimBlanks(name));
}

bool ReportIntermediate::WriteFile(const std::filesystem::path& path) const
{
    return UpdateIniFile(path, [this](IniFile& file) {
        // The run deleted the file before it started; whatever a concurrent
        // run may have left there since is replaced as a whole.
        file = m_file;
        return true;
    });
}

} // namespace dm
