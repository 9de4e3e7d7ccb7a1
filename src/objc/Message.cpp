// Message sending's out-of-line half: the literal-selector table, the slow lookups behind a send
// that misses its cache, and the errors a send reports.
#include "objc/Message.h"

#include "objc/Lock.h"

#include <sstream>

namespace objc {

std::string describeMethod(Class cls, SEL sel)
{
    std::ostringstream out;
    out << (cls && cls->isMetaclass() ? '+' : '-') << '[' << class_getName(cls) << ' ' << sel_getName(sel) << ']';
    return out.str();
}

void throwSignatureMismatch(Class cls, SEL sel, const char* methodTypes, const char* callerTypes)
{
    throw RuntimeError(describeMethod(cls, sel) + ": the method's type encoding is \"" + (methodTypes ? methodTypes : "") +
                       "\" but the caller's signature is \"" + (callerTypes ? callerTypes : "") + "\"");
}

void throwUnrecognizedSelector(id receiver, SEL sel)
{
    Class cls = receiver ? receiver->isa : nullptr;
    std::ostringstream out;
    out << describeMethod(cls, sel) << ": unrecognized selector sent to " << (cls && cls->isMetaclass() ? "class " : "instance ")
        << static_cast<const void*>(receiver);
    throw RuntimeError(out.str());
}

namespace detail {

LiteralSelectorSlot literalSelectors[std::size_t{1} << kLiteralSelectorBits];

SEL selectorForLiteralSlow(const char* literal)
{
    SEL sel = sel_registerName(literal);
    static constinit zovo::Mutex claiming;
    static std::size_t claimed GUARDED_BY(claiming) = 0;
    zovo::Locker lock(claiming);
    constexpr std::size_t slots = std::size_t{1} << kLiteralSelectorBits;
    // A table three quarters full stops caching: probes stay short and always end at a free slot.
    if ((claimed + 1) * 4 > slots * 3) return sel;
    std::size_t i = static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(literal) * 0x9E3779B97F4A7C15ull) >> (64 - kLiteralSelectorBits));
    for (;; i = (i + 1) & (slots - 1)) {
        const char* held = literalSelectors[i].literal.load(std::memory_order_relaxed);
        if (held == literal) return sel;
        if (!held) break;
    }
    // The selector first, then the literal with release order: a reader that finds the literal
    // finds its selector.
    literalSelectors[i].sel.store(sel, std::memory_order_relaxed);
    literalSelectors[i].literal.store(literal, std::memory_order_release);
    ++claimed;
    return sel;
}

const Method* lookupForLiteralSend(id receiver, Class cls, const char* literal)
{
    const SEL sel = selectorForLiteral(literal);
    const Method* method = cls->lookupAndCache(sel, literal);
    if (!method) throwUnrecognizedSelector(receiver, sel);
    return method;
}

const Method* lookupForSend(id receiver, Class startClass, SEL sel)
{
    const Method* method = startClass ? startClass->lookup(sel) : nullptr;
    if (!method) throwUnrecognizedSelector(receiver, sel);
    return method;
}
} // namespace detail

bool respondsTo(id object, SEL sel) { return object && sel && object->isa->lookup(sel) != nullptr; }

bool isKindOf(id object, Class cls) { return object && cls && object->isa->isSubclassOf(cls); }

} // namespace objc
