#include "platform/ras/rassapi/bufferregistry.h"

#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace dm::rassapi {

namespace {

std::mutex& Lock()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<void*>& Blocks()
{
    static std::unordered_set<void*> blocks;
    return blocks;
}

} // namespace

void* AllocateBuffer(std::size_t size)
{
    void* block = std::calloc(1, size == 0 ? 1 : size);
    if (block == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> guard(Lock());
    Blocks().insert(block);
    return block;
}

bool ReleaseBuffer(void* block)
{
    {
        std::lock_guard<std::mutex> guard(Lock());
        if (Blocks().erase(block) == 0)
            return false;
    }
    std::free(block);
    return true;
}

} // namespace dm::rassapi
