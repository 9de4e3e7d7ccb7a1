// The process's notification centre: named notifications, delivered at once to weakly held
// observers by message send.
//
//   NSNotificationCenter* centre = NSNotificationCenter::defaultCenter();
//   centre->addObserver(banner, objc::sel("updateContent"), NSString::from("Zovorudovu_UpdateContent"), nil);
//   centre->post("Zovorudovu_UpdateContent");   // -[banner updateContent] has run when this returns
//
// Delivery:
// - Synchronous, on the posting thread, to matching entries in the order they were registered.
// - One entry per registration: an observer registered twice for a name is called twice.
// - A nil name matches every name; a nil object accepts any sender (and only a nil filter
//   matches a post with a nil object).
// - The observer's method is reached by message send, so a replaced method is what runs. A
//   method encoded "v@:@" receives the NSNotification; one encoded "v@:" is called without it;
//   any other encoding is an objc::RuntimeError naming the class and selector, raised when the
//   observer is registered if it already has the method, else when a post reaches it.
// - Observers are held weakly: one that has ended receives nothing, and its entries leave the
//   centre as it ends, so the centre holds no more entries than its live observers have. A
//   sender used as an object filter is held weakly too; once it ends, its entries can match
//   nothing and are dropped the next time a post passes them.
//
// Changes while a post is being delivered:
// - A post delivers to the entries that existed when it began. An entry added during the
//   delivery first hears the next post.
// - An entry removed during the delivery, or whose observer ends (for instance because an earlier
//   observer released it), is skipped if it has not been called yet.
// - Each observer is kept alive (a strong reference) for the length of its own call.
// - A post made from inside an observer is delivered in full before the outer post goes on to
//   its next observer.
// - An observer that throws ends the post there; the exception reaches the poster and the
//   centre stays as it was.
//
// Main thread only.
#pragma once

#include "foundation/NSNotification.h"
#include "foundation/NSString.h"
#include "objc/Object.h"
#include "objc/Runtime.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class NSNotificationCenter : public objc::Object {
public:
    static constexpr const char* kClassName = "NSNotificationCenter";

    // Registers the class with the class method "defaultCenter" and the instance methods
    // "addObserver:selector:name:object:", "postNotificationName:object:", "removeObserver:" and
    // "removeObserver:name:object:" in `runtime`.
    static objc::Class registerIn(objc::Runtime& runtime);

    // The current process's default centre. Throws when no process is running.
    static NSNotificationCenter* defaultCenter();

    // Throws std::invalid_argument for a nil observer or selector.
    void addObserver(objc::id observer, objc::SEL selector, const NSString* name, objc::id object);
    // Removes every entry of `observer`.
    void removeObserver(objc::id observer);
    // Removes the entries of `observer` registered for `name` and `object`; a nil name or object
    // here stands for any.
    void removeObserver(objc::id observer, const NSString* name, objc::id object);

    // Throws std::invalid_argument for a nil name.
    void postNotificationName(const NSString* name, objc::id object);
    // Posts `name` with no object.
    void post(std::string_view name);

    // Called with the name at the start of every post, before any observer runs; empty to stop.
    void setPostListener(std::function<void(const std::string& name)> listener);

    // Entries held now, including those of ended observers not yet dropped.
    std::size_t entryCount() const;
    // Entries whose observer is still alive.
    std::size_t liveEntryCount() const;

private:
    struct Entry;
    using EntryList = std::vector<std::shared_ptr<Entry>>;

    // Entries a post delivers to, in order. Entries leave the lists only while no post is under
    // way, so these stay valid for the length of the post.
    using Snapshot = std::vector<Entry*>;
    struct ObserverTie;
    // Marks the entries whose observer or object filter has ended as removed.
    void prune(EntryList& list) noexcept;
    // Drops every entry whose observer or object filter has ended. Runs as an observer ends, so
    // it neither allocates nor throws.
    void dropEndedEntries() noexcept;
    // Erases entries marked removed, and names left without entries, unless a post is under way.
    void compactWhenIdle() noexcept;
    void collect(EntryList* named, objc::id object, Snapshot& out);
    void removeWhere(const std::function<bool(const Entry&)>& doomed);
    // The notification for a post, made or the spare given new contents.
    objc::StrongRef<NSNotification> notificationFor(const NSString* name, objc::id object);
    // Keeps a post's notification as the spare when nothing else holds it.
    void keepSpare(objc::StrongRef<NSNotification> notification) noexcept;

    // Entries by the name they listen for, and those that listen for every name. Each list is in
    // registration order, so the two merge by serial.
    std::unordered_map<std::string, EntryList> byName_;
    EntryList anyName_;
    std::uint64_t nextSerial_ = 1;
    // Snapshot buffers by nesting depth of posts, reused from post to post.
    std::deque<Snapshot> snapshots_;
    std::size_t depth_ = 0;
    bool compactionDue_ = false; // some entry is marked removed but still listed
    objc::Class notificationClass_ = nullptr;
    // A notification from an earlier post that nobody else held, emptied of its sender; the next
    // post that needs one takes it instead of making one. Null while a post is using it.
    objc::StrongRef<NSNotification> spareNotification_;
    // The name last posted and its list (null: no entries for it). Forgotten whenever a list is
    // added or erased.
    objc::StrongRef<NSString> lastName_;
    EntryList* lastNameList_ = nullptr;
    std::function<void(const std::string&)> postListener_;
};
