#include "objc/Selector.h"

#include "objc/Lock.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace objc {
namespace {

// Interned strings are never freed: they are names, and a handle must stay valid for as long as
// any process might compare it.
template <class Entry>
class InternTable {
public:
    template <class Make>
    const Entry* intern(std::string_view text, Make make) EXCLUDES(mutex_)
    {
        {
            zovo::ReadLocker lock(mutex_);
            if (auto it = entries_.find(text); it != entries_.end()) return it->second;
        }
        zovo::WriteLocker lock(mutex_);
        if (auto it = entries_.find(text); it != entries_.end()) return it->second;
        auto* entry = new Entry(make(text));
        entries_.emplace(keyOf(*entry), entry);
        return entry;
    }

private:
    static std::string_view keyOf(const Selector& s) { return s.name; }
    static std::string_view keyOf(const std::string& s) { return s; }

    zovo::SharedMutex mutex_;
    std::unordered_map<std::string_view, const Entry*> entries_ GUARDED_BY(mutex_);
};

InternTable<Selector>& selectors()
{
    static auto* table = new InternTable<Selector>;
    return *table;
}

InternTable<std::string>& encodings()
{
    static auto* table = new InternTable<std::string>;
    return *table;
}

} // namespace

SEL sel_registerName(std::string_view name)
{
    return selectors().intern(name, [](std::string_view t) { return Selector{std::string(t)}; });
}

const char* sel_getName(SEL sel) { return sel ? sel->name.c_str() : "<null selector>"; }

int sel_argumentCount(SEL sel)
{
    return sel ? static_cast<int>(std::count(sel->name.begin(), sel->name.end(), ':')) : 0;
}

const char* internEncoding(std::string_view encoding)
{
    return encodings().intern(encoding, [](std::string_view t) { return std::string(t); })->c_str();
}

} // namespace objc
