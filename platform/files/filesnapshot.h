#pragma once
// A value built from one file (the accounts of accounts.ini, the ports of
// ras.ini, with their indexes), kept while the file is unchanged by device,
// inode, size and modification time, so that the calls of an enumeration
// in batches, or one lookup after another, build it once. Writers replace
// files with a later modification time (platform/files/filelock.h), so a changed
// file is never taken for the one the value was built from.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>

namespace dm {

template <typename T>
class FileSnapshotCache {
public:
    using Build = std::function<std::shared_ptr<const T>()>;

    // The value for the file as it is now: the kept one while the file is
    // unchanged, else a fresh one from build (a missing file is a state too).
    std::shared_ptr<const T> Get(const std::filesystem::path& file, const Build& build)
    {
        const Stamp stamp = StampOf(file);
        const std::string key = file.string();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            auto it = m_entries.find(key);
            if (it != m_entries.end() && it->second.stamp == stamp)
                return it->second.value;
        }
        std::shared_ptr<const T> value = build();
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_entries.size() >= kMaxEntries)
            m_entries.clear();
        m_entries[key] = Entry{stamp, value};
        return value;
    }

    // The kept value while the file is unchanged; null otherwise.
    std::shared_ptr<const T> Peek(const std::filesystem::path& file)
    {
        const Stamp stamp = StampOf(file);
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_entries.find(file.string());
        return it != m_entries.end() && it->second.stamp == stamp ? it->second.value : nullptr;
    }

private:
    static constexpr std::size_t kMaxEntries = 64;

    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        std::shared_ptr<const T> value;
    };

    static Stamp StampOf(const std::filesystem::path& file)
    {
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0)
            return {};
        return {true, st.st_dev, st.st_ino, st.st_size,
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }

    std::mutex m_mutex;
    std::map<std::string, Entry> m_entries;
};

} // namespace dm
