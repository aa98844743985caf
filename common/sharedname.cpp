#include "common/sharedname.h"

#include "common/nametable.h"

#include <mutex>
#include <ostream>

namespace dm {

namespace {

struct Store {
    std::mutex mutex;
    NameTable table;
    std::size_t bytes = 0;
};

// Never destroyed: records in static objects may outlive any other order.
Store& TheStore()
{
    static Store* store = new Store;
    return *store;
}

} // namespace

const std::string* SharedName::Intern(std::string_view text)
{
    if (text.empty())
        return nullptr;
    Store& store = TheStore();
    const std::lock_guard lock(store.mutex);
    const std::size_t before = store.table.Size();
    const std::string& stored = store.table.Text(store.table.Intern(text));
    if (store.table.Size() != before)
        store.bytes += sizeof(std::string) + sizeof(std::string_view) + 16 + (text.size() > 15 ? text.size() + 1 : 0);
    return &stored;
}

const std::string& SharedName::Empty()
{
    static const std::string* empty = new std::string;
    return *empty;
}

std::size_t SharedName::StoredCount()
{
    Store& store = TheStore();
    const std::lock_guard lock(store.mutex);
    return store.table.Size();
}

std::size_t SharedName::StoredBytes()
{
    Store& store = TheStore();
    const std::lock_guard lock(store.mutex);
    return store.bytes;
}

std::ostream& operator<<(std::ostream& out, const SharedName& name)
{
    return out << name.view();
}

} // namespace dm
