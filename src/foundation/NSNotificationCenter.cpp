#include "foundation/NSNotificationCenter.h"

#include "foundation/NSNotification.h"
#include "objc/Message.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

struct NSNotificationCenter::Entry {
    objc::WeakRef<objc::Object> observer;
    objc::SEL selector = nullptr;
    // Empty for an entry that listens for every name.
    std::string name;
    bool anyName = true;
    objc::WeakRef<objc::Object> object;
    bool anyObject = true;
    std::uint64_t serial = 0;
    // Set when the entry leaves the centre, so that a post already under way skips it.
    bool removed = false;
    // The observer's method as last resolved, with the class and cache generation it was found
    // for, and how it is called; still good while both are unchanged.
    const objc::Method* method = nullptr;
    objc::Class methodClass = nullptr;
    std::uint64_t methodGeneration = 0;
    bool methodTakesNotification = false;

    // An entry whose observer or object filter has ended can never be called again.
    bool dead() const { return observer.expired() || (!anyObject && object.expired()); }
    bool accepts(objc::id sender) const { return anyObject || (sender && object.get() == sender); }
};

// Ties an observer's end to the centre: held by the observer as an associated object, it is
// released when the observer ends (after the observer's weak references have gone null) and then
// sweeps the observer's entries out of the centre.
struct NSNotificationCenter::ObserverTie final : objc::Object {
    objc::WeakRef<NSNotificationCenter> centre;
    ~ObserverTie() override
    {
        if (NSNotificationCenter* c = centre.get()) c->dropEndedEntries();
    }
};

namespace {

const char* const kNotificationEncoding = "v@:@";
const char* const kPlainEncoding = "v@:";

enum class ObserverShape { WithNotification, WithoutArgument };

// The way an observer's method is called, from its encoding. Throws for any other encoding.
ObserverShape shapeOf(const objc::Method& method, objc::Class cls, objc::SEL selector)
{
    if (method.types == objc::encodingOf<void, objc::id>()) return ObserverShape::WithNotification;
    if (method.types == objc::encodingOf<void>()) return ObserverShape::WithoutArgument;
    throw objc::RuntimeError(objc::describeMethod(cls, selector) + ": a notification observer's method must be encoded \"" + kNotificationEncoding +
                             "\" or \"" + kPlainEncoding + "\", but it is encoded \"" + method.types + "\"");
}

NSNotificationCenter& centreOf(objc::id self, objc::SEL sel)
{
    auto* centre = objc::cast<NSNotificationCenter>(self);
    if (!centre) throw objc::RuntimeError(objc::describeMethod(self->isa, sel) + ": the receiver is not backed by an NSNotificationCenter");
    return *centre;
}

const NSString* nameArgument(objc::id self, objc::SEL sel, objc::id name)
{
    const auto* text = objc::cast<NSString>(name);
    if (name && !text)
        throw objc::RuntimeError(objc::describeMethod(self->isa, sel) + ": the name is an instance of " + name->className() + ", not an NSString");
    return text;
}

objc::StrongId defaultCenterImp(objc::id, objc::SEL) { return objc::StrongId(NSNotificationCenter::defaultCenter()); }

void addObserverImp(objc::id self, objc::SEL sel, objc::id observer, objc::SEL selector, objc::id name, objc::id object)
{
    centreOf(self, sel).addObserver(observer, selector, nameArgument(self, sel, name), object);
}

void postNotificationNameImp(objc::id self, objc::SEL sel, objc::id name, objc::id object)
{
    centreOf(self, sel).postNotificationName(nameArgument(self, sel, name), object);
}

void removeObserverImp(objc::id self, objc::SEL sel, objc::id observer) { centreOf(self, sel).removeObserver(observer); }

void removeObserverNameObjectImp(objc::id self, objc::SEL sel, objc::id observer, objc::id name, objc::id object)
{
    centreOf(self, sel).removeObserver(observer, nameArgument(self, sel, name), object);
}

} // namespace

objc::Class NSNotificationCenter::registerIn(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass(kClassName, runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new NSNotificationCenter(); });
    objc::addClassMethod(cls, objc::sel("defaultCenter"), defaultCenterImp);
    objc::addMethod(cls, objc::sel("addObserver:selector:name:object:"), addObserverImp);
    objc::addMethod(cls, objc::sel("postNotificationName:object:"), postNotificationNameImp);
    objc::addMethod(cls, objc::sel("removeObserver:"), removeObserverImp);
    objc::addMethod(cls, objc::sel("removeObserver:name:object:"), removeObserverNameObjectImp);
    return cls;
}

void NSNotificationCenter::addObserver(objc::id observer, objc::SEL selector, const NSString* name, objc::id object)
{
    if (!observer) throw std::invalid_argument("-[NSNotificationCenter addObserver:selector:name:object:]: the observer is nil");
    if (!selector) throw std::invalid_argument("-[NSNotificationCenter addObserver:selector:name:object:]: the selector is nil");
    // A method the observer gains later is checked when a post reaches it.
    if (const objc::Method* method = objc::class_getInstanceMethod(observer->isa, selector)) shapeOf(*method, observer->isa, selector);

    // One tie per observer and centre, keyed by the centre. A tie left by an earlier centre at
    // the same address no longer reaches any centre and is replaced.
    auto* tie = objc::cast<ObserverTie>(objc::objc_getAssociatedObject(observer, this).get());
    if (!tie || tie->centre.get() != this) {
        objc::StrongRef<ObserverTie> made = objc::StrongRef<ObserverTie>::adopt(new ObserverTie());
        made->isa = objc::objc_getClass("NSObject");
        made->centre = this;
        objc::objc_setAssociatedObject(observer, this, made.get(), objc::AssociationPolicy::RetainNonatomic);
    }

    auto entry = std::make_shared<Entry>();
    entry->observer = observer;
    entry->selector = selector;
    entry->anyName = name == nullptr;
    if (name) entry->name = name->utf8();
    entry->anyObject = object == nullptr;
    entry->object = object;
    entry->serial = nextSerial_++;
    (name ? byName_[entry->name] : anyName_).push_back(std::move(entry));
    lastName_ = nullptr; // a name without a list may have one now
}

void NSNotificationCenter::removeObserver(objc::id observer)
{
    if (!observer) return;
    removeWhere([observer](const Entry& e) { return e.observer.get() == observer; });
}

void NSNotificationCenter::removeObserver(objc::id observer, const NSString* name, objc::id object)
{
    if (!observer) return;
    removeWhere([&](const Entry& e) {
        return e.observer.get() == observer && (!name || (!e.anyName && e.name == name->utf8())) && (!object || (!e.anyObject && e.object.get() == object));
    });
}

void NSNotificationCenter::removeWhere(const std::function<bool(const Entry&)>& doomed)
{
    auto mark = [&](EntryList& list) {
        for (const auto& e : list)
            if (!e->removed && doomed(*e)) e->removed = compactionDue_ = true;
    };
    mark(anyName_);
    for (auto& [name, list] : byName_) mark(list);
    compactWhenIdle();
}

void NSNotificationCenter::dropEndedEntries() noexcept
{
    prune(anyName_);
    for (auto& [name, list] : byName_) prune(list);
    compactWhenIdle();
}

void NSNotificationCenter::prune(EntryList& list) noexcept
{
    for (const auto& e : list)
        if (!e->removed && e->dead()) e->removed = compactionDue_ = true;
}

void NSNotificationCenter::compactWhenIdle() noexcept
{
    // While a post is being delivered its snapshot points at entries: they stay in memory, marked,
    // until the outermost post ends.
    if (depth_ > 0 || !compactionDue_) return;
    compactionDue_ = false;
    lastName_ = nullptr; // its list may be erased below
    auto gone = [](const std::shared_ptr<Entry>& e) { return e->removed; };
    std::erase_if(anyName_, gone);
    for (auto it = byName_.begin(); it != byName_.end();) {
        std::erase_if(it->second, gone);
        it = it->second.empty() ? byName_.erase(it) : std::next(it);
    }
}

void NSNotificationCenter::collect(EntryList* named, objc::id object, Snapshot& out)
{
    prune(anyName_);
    if (named) prune(*named);
    const EntryList empty;
    const EntryList& a = named ? *named : empty;
    const EntryList& b = anyName_;
    out.reserve(a.size() + b.size());
    // Both lists are in serial order: merging them keeps registration order across the two.
    auto ia = a.begin();
    auto ib = b.begin();
    while (ia != a.end() || ib != b.end()) {
        const bool takeA = ib == b.end() || (ia != a.end() && (*ia)->serial < (*ib)->serial);
        Entry* e = (takeA ? *ia++ : *ib++).get();
        if (!e->removed && e->accepts(object)) out.push_back(e);
    }
}

void NSNotificationCenter::postNotificationName(const NSString* name, objc::id object)
{
    if (!name) throw std::invalid_argument("-[NSNotificationCenter postNotificationName:object:]: the name is nil");
    if (postListener_) postListener_(name->utf8());

    // A name posted again as the same string object skips hashing it: strings are immutable,
    // and the one remembered is held, so its address cannot be taken by another.
    if (lastName_.get() != name) {
        auto found = byName_.find(name->utf8());
        lastName_ = objc::StrongRef<NSString>(const_cast<NSString*>(name));
        lastNameList_ = found == byName_.end() ? nullptr : &found->second;
    }
    // Nobody listens: nothing to deliver, and nothing to prune that the next post would not.
    if (!lastNameList_ && anyName_.empty()) return;

    // Each level of nesting has a snapshot buffer of its own, kept for the next post at that
    // level, so a post allocates nothing for it. A deque keeps the outer levels' buffers in place
    // while a nested post adds one.
    if (snapshots_.size() <= depth_) snapshots_.emplace_back();
    Snapshot& snapshot = snapshots_[depth_];
    ++depth_;
    struct Leave {
        NSNotificationCenter& centre;
        Snapshot& snapshot;
        ~Leave()
        {
            snapshot.clear();
            --centre.depth_;
            centre.compactWhenIdle();
        }
    } leave{*this, snapshot};

    collect(lastNameList_, object, snapshot);

    objc::StrongRef<NSNotification> notification;
    for (Entry* entry : snapshot) {
        if (entry->removed) continue;
        objc::id observer = entry->observer.get();
        if (!observer) continue;
        // A pin keeps the observer alive for its call as a strong reference would, at a fraction
        // of the cost: an observer released during its own call ends as the call returns.
        const objc::Pinned alive(observer);
        // The entry keeps the method it resolved: a replaced or added method anywhere changes
        // the generation, and an observer of another class (or one whose class changed) finds
        // its own.
        const std::uint64_t generation = observer->isa->runtime().generation();
        if (entry->methodClass != observer->isa || entry->methodGeneration != generation) {
            const objc::Method* found = objc::class_getInstanceMethod(observer->isa, entry->selector);
            if (!found) objc::throwUnrecognizedSelector(observer, entry->selector);
            entry->methodTakesNotification = shapeOf(*found, observer->isa, entry->selector) == ObserverShape::WithNotification;
            entry->method = found;
            entry->methodClass = observer->isa;
            entry->methodGeneration = generation;
        }
        const objc::Method* method = entry->method;
        // The method found is the one a send would reach: it is called directly rather than
        // looked up again.
        if (!entry->methodTakesNotification) {
            reinterpret_cast<void (*)(objc::id, objc::SEL)>(method->imp)(observer, entry->selector);
        } else {
            if (!notification) notification = notificationFor(name, object);
            reinterpret_cast<void (*)(objc::id, objc::SEL, objc::id)>(method->imp)(observer, entry->selector, notification.get());
        }
    }
    keepSpare(std::move(notification));
}

objc::StrongRef<NSNotification> NSNotificationCenter::notificationFor(const NSString* name, objc::id object)
{
    // The spare is held by nothing but the centre, so giving it new contents is unseen.
    if (objc::StrongRef<NSNotification> reused = std::move(spareNotification_)) {
        reused->rebind(name, object);
        return reused;
    }
    // The class is found by name once per centre, not once per notification.
    if (!notificationClass_) notificationClass_ = objc::classForCppType(NSNotification::kClassName);
    return NSNotification::make(notificationClass_, name, object);
}

void NSNotificationCenter::keepSpare(objc::StrongRef<NSNotification> notification) noexcept
{
    // A notification an observer kept, or reached weakly or through an association, stays as it
    // is; it is simply let go.
    if (!notification || spareNotification_ || !notification->isSolelyReferenced()) return;
    // The spare must not keep the sender alive, nor a name the centre would not hold anyway.
    notification->rebind(lastName_.get() == notification->name() ? notification->name() : nullptr, nullptr);
    spareNotification_ = std::move(notification);
}

void NSNotificationCenter::post(std::string_view name) { postNotificationName(NSString::from(name).get(), nullptr); }

void NSNotificationCenter::setPostListener(std::function<void(const std::string& name)> listener) { postListener_ = std::move(listener); }

std::size_t NSNotificationCenter::liveEntryCount() const
{
    auto live = [](const EntryList& list) {
        return static_cast<std::size_t>(std::count_if(list.begin(), list.end(), [](const auto& e) { return e->observer.get() != nullptr; }));
    };
    std::size_t count = live(anyName_);
    for (const auto& [name, list] : byName_) count += live(list);
    return count;
}

std::size_t NSNotificationCenter::entryCount() const
{
    std::size_t count = anyName_.size();
    for (const auto& [name, list] : byName_) count += list.size();
    return count;
}
