#include "StreamTable.h"

namespace vorbenc
{

StreamTable& StreamTable::Instance()
{
    static StreamTable table;
    return table;
}

BEStream StreamTable::Add(std::unique_ptr<VorbisEncoder> encoder)
{
    std::lock_guard lock(_mutex);
    for (size_t i = 0; i < _slots.size(); ++i) {
        if (!_slots[i]) {
            _slots[i] = std::move(encoder);
            return static_cast<BEStream>(i + 1);
        }
    }
    return 0;
}

std::shared_ptr<VorbisEncoder> StreamTable::Find(BEStream handle) const
{
    std::lock_guard lock(_mutex);
    if (handle < 1 || handle > _slots.size()) return nullptr;
    return _slots[handle - 1];
}

bool StreamTable::Remove(BEStream handle)
{
    std::shared_ptr<VorbisEncoder> released;
    {
        std::lock_guard lock(_mutex);
        if (handle < 1 || handle > _slots.size() || !_slots[handle - 1]) return false;
        released = std::move(_slots[handle - 1]);
    }
    return true; // the encoder goes once no call uses it any more
}

} // namespace vorbenc
