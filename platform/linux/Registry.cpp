// The current user's hive on Linux: the user.reg of a Wine prefix, where Outlook runs under Wine or
// CrossOver. wineserver reads that file when it starts and writes it back whole from memory, so a change
// is written only while no wineserver runs for the prefix, under its lock, and by replacing the file at once.
#include "platform/Registry.h"
#include "platform/FileReplace.h"
#include "platform/Files.h"
#include "platform/WinePrefixes.h"

#include "platform/linux/WineHive.h"
#include "platform/linux/WineServerLock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <map>
#include <memory>
#include <optional>
#include <pwd.h>
#include <span>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

using wine::THiveEdit;
using wine::THiveIndex;

// The prefix is looked up afresh by every operation, so that a prefix chosen on the command line counts.
std::string PrefixFolder() {
    return CurrentWinePrefix();
}

// The outcome of one step; a failed one carries the status and the words for the user.
struct TResult {
    long Status = reg::Success;
    std::string Detail;

    static TResult Failed(long status, std::string detail) { return {status, std::move(detail)}; }
    bool Ok() const { return Status == reg::Success; }
};

enum class EFileState { Present, Missing, Unreadable };

// What tells one version of a file from another without reading it.
struct TFileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};
    timespec Changed{};

    static TFileIdentity Of(const struct stat& info) {
        return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    }
    bool operator==(const TFileIdentity& other) const {
        return Device == other.Device && Inode == other.Inode && Size == other.Size &&
               Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec &&
               Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
    }
};

// A file's times come from a coarse clock: a write within the same tick as the one before can leave them
// as they were. So a file read while its last change was that recent is only trusted after reading it
// again; one changed longer ago than a tick (two seconds where the file system keeps whole seconds only)
// cannot change unseen.
std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

bool SettledWhenRead(const TFileIdentity& identity, const timespec& readAt) {
    std::int64_t tick = 20'000'000;
    if (timespec resolution{}; clock_getres(CLOCK_REALTIME_COARSE, &resolution) == 0) {
        tick = std::max(tick, 2 * Nanoseconds(resolution));
    }
    if (identity.Modified.tv_nsec == 0 && identity.Changed.tv_nsec == 0) {
        tick = 2'000'000'000;
    }
    const std::int64_t now = Nanoseconds(readAt);
    return Nanoseconds(identity.Modified) + tick < now && Nanoseconds(identity.Changed) + tick < now;
}

// What an operation needs of the file: where its keys are, to read; the whole of it, checked, to write. An
// index checks the lines too, so that a write that follows need not read them again, unless it is made only to
// have the keys at hand early (IndexOnly): a write then checks the lines itself.
enum class ENeed { Index, IndexOnly, Whole };

struct TLoadedHive {
    EFileState State = EFileState::Missing;
    std::string Path; // the file, links followed
    TFileIdentity Identity;
    std::shared_ptr<const THiveIndex> Index; // for reading, unless Hive is at hand
    std::shared_ptr<const THiveEdit> Hive;   // for writing, or for reading when at hand
    int Error = 0;
};

// The last version of the file read, kept so that an operation need not read it again while it is as it was:
// the same path, inode, size and times, either settled when it was read or written by us (under the lock).
// Reading keeps only the index of its keys, not the bytes, which a large hive would double; unless it was read
// ahead, the index checks every line as a write would, so that a write that follows need only read the bytes.
// The whole file is kept only once a write needed it. Our own write is kept as the change it made, and made into the
// new bytes only when an operation asks.
struct TReadLast {
    std::string Path;
    TFileIdentity Identity;
    bool Trusted = false;
    std::shared_ptr<const THiveIndex> Index;
    std::shared_ptr<const THiveEdit> Hive;
    std::shared_ptr<const THiveEdit> Before; // with Written: the file before our own last write
    std::optional<wine::TSplice> Written;

    void Forget() { *this = {}; }

    bool Holds(const std::string& path, const TFileIdentity& identity) const {
        return Trusted && Path == path && Identity == identity;
    }
    std::shared_ptr<const THiveEdit> Whole() {
        if (!Hive && Written) {
            Hive = std::make_shared<const THiveEdit>(Written->Applied(Before->Bytes()));
            Before.reset();
            Written.reset();
        }
        return Hive;
    }
};

TReadLast& ReadLast() {
    static TReadLast last;
    return last;
}

// After our own replacement of `path`, `before` changed by `change`: the next operation takes the result
// without reading the file.
void RememberWritten(const std::string& path, std::shared_ptr<const THiveEdit> before, wine::TSplice change) {
    TReadLast& last = ReadLast();
    struct stat info {};
    last.Forget();
    if (stat(path.c_str(), &info) != 0) {
        return;
    }
    last.Path = path;
    last.Identity = TFileIdentity::Of(info);
    last.Trusted = static_cast<std::size_t>(info.st_size) ==
                   before->Bytes().size() - (change.End - change.Begin) + change.Text.size();
    last.Before = std::move(before);
    last.Written = std::move(change);
}

// Reads what is left of `fd` in blocks, handing each to `take`; the error, or 0.
int ReadBlocks(int fd, const std::function<void(std::string_view)>& take) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t length = read(fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length < 0) {
            return errno;
        }
        if (length == 0) {
            return 0;
        }
        take(std::string_view(buffer, static_cast<std::size_t>(length)));
    }
}

// `key`: what the operation asks about; an index kept from before serves it only if it covers that key. `scope`:
// with IndexOnly, the keys that the index keeps (see THiveIndex).
TLoadedHive LoadHive(const std::string& prefix, ENeed need, std::string_view key = {},
                     const std::vector<std::string>& scope = {}) {
    TLoadedHive loaded;
    const std::string file = prefix + "/user.reg";
    char resolved[PATH_MAX];
    // Replacing a linked user.reg replaces the file it points to, so that the link stays.
    loaded.Path = realpath(file.c_str(), resolved) != nullptr ? std::string(resolved) : file;
    const int fd = open(loaded.Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        loaded.Error = errno;
        loaded.State = (errno == ENOENT || errno == ENOTDIR) ? EFileState::Missing : EFileState::Unreadable;
        return loaded;
    }
    TReadLast& last = ReadLast();
    struct stat info {};
    const bool known = fstat(fd, &info) == 0;
    const TFileIdentity before = known ? TFileIdentity::Of(info) : TFileIdentity{};
    loaded.Identity = before;
    const bool indexServes = need != ENeed::Whole && last.Index && last.Index->Covers(key);
    if (known && last.Holds(loaded.Path, before) && (indexServes || last.Hive || last.Written)) {
        close(fd);
        loaded.State = EFileState::Present;
        loaded.Hive = indexServes ? last.Hive : last.Whole();
        loaded.Index = indexServes ? last.Index : nullptr;
        return loaded;
    }
    timespec readAt{};
    clock_gettime(CLOCK_REALTIME, &readAt);
    // The index of this very file, when it is at hand: if it checked the lines, the bytes need no second pass.
    std::shared_ptr<const THiveIndex> checked =
        known && need == ENeed::Whole && last.Holds(loaded.Path, before) ? last.Index : nullptr;
    std::string bytes;
    auto index = std::make_shared<THiveIndex>(need != ENeed::IndexOnly, scope);
    std::size_t size = 0;
    if (known && info.st_size > 0) {
        if (need == ENeed::Whole) {
            bytes.reserve(static_cast<std::size_t>(info.st_size));
        } else {
            index->ExpectFileSize(static_cast<std::uint64_t>(info.st_size));
        }
    }
    const int error = ReadBlocks(fd, [&](std::string_view block) {
        size += block.size();
        if (need == ENeed::Whole) {
            bytes.append(block);
        } else {
            index->Feed(block);
        }
    });
    if (error != 0) {
        loaded.Error = error;
        loaded.State = EFileState::Unreadable;
        close(fd);
        return loaded;
    }
    // Unchanged while it was read, and settled: later operations may take it without reading.
    const bool steady = known && fstat(fd, &info) == 0 && TFileIdentity::Of(info) == before &&
                        static_cast<std::size_t>(info.st_size) == size && SettledWhenRead(before, readAt);
    close(fd);
    loaded.State = EFileState::Present;
    last.Forget();
    last.Path = loaded.Path;
    last.Identity = before;
    last.Trusted = steady;
    if (need == ENeed::Whole) {
        last.Hive = loaded.Hive = std::make_shared<const THiveEdit>(std::move(bytes), steady ? checked : nullptr);
    } else {
        index->Finish();
        last.Index = loaded.Index = std::move(index);
    }
    return loaded;
}

// A read of the hive started ahead on a thread of its own. It only fills ReadLast(); every operation waits for
// it first, so that the cache is never used by two threads at once.
class TReadAhead {
public:
    ~TReadAhead() { Wait(); }

    void Start(std::string prefix, std::vector<std::string> scope) {
        Wait();
        FThread = std::thread([prefix = std::move(prefix), scope = std::move(scope)] {
            try {
                LoadHive(prefix, ENeed::IndexOnly, {}, scope);
            } catch (...) {
                ReadLast().Forget(); // a head start only: the operation that needs the hive reads it itself
            }
        });
    }
    void Wait() {
        if (FThread.joinable()) {
            FThread.join();
        }
    }

private:
    std::thread FThread;
};

TReadAhead& ReadAhead() {
    static TReadAhead ahead;
    return ahead;
}

bool KeyExists(const TLoadedHive& loaded, std::string_view path) {
    return loaded.Hive ? loaded.Hive->KeyExists(path) : loaded.Index->KeyExists(path);
}

// The sections of `ranges` read from `path` while it is still the file that was indexed; false if it is not.
bool ReadSections(const std::string& path, const TFileIdentity& identity, const std::vector<THiveIndex::TRange>& ranges,
                  std::vector<std::string>& sections) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool same = fstat(fd, &info) == 0 && TFileIdentity::Of(info) == identity;
    for (const THiveIndex::TRange& range : ranges) {
        if (!same) {
            break;
        }
        std::string& text = sections.emplace_back(range.End - range.Begin, '\0');
        for (std::size_t done = 0; same && done < text.size();) {
            const ssize_t length =
                pread(fd, text.data() + done, text.size() - done, static_cast<off_t>(range.Begin + done));
            if (length < 0 && errno == EINTR) {
                continue;
            }
            same = length > 0;
            done += length > 0 ? static_cast<std::size_t>(length) : 0;
        }
    }
    same = same && fstat(fd, &info) == 0 && TFileIdentity::Of(info) == identity;
    close(fd);
    return same;
}

// A value as the hive holds it: from the whole file when it is at hand, else from its key's sections alone.
std::optional<wine::TValueData> ReadValue(const std::string& prefix, const TLoadedHive& loaded, const std::string& path,
                                          std::string_view name) {
    if (loaded.Hive) {
        return loaded.Hive->Value(path, name);
    }
    const auto ranges = loaded.Index->Sections(path);
    if (ranges.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> sections;
    if (ReadSections(loaded.Path, loaded.Identity, ranges, sections)) {
        return wine::ValueInSections(path, name, sections);
    }
    // Changed since: read as it is now, whole.
    const TLoadedHive now = LoadHive(prefix, ENeed::Whole);
    return now.State == EFileState::Present ? now.Hive->Value(path, name) : std::nullopt;
}

std::string UnreadableDetail(const TLoadedHive& loaded) {
    return "Cannot read the Wine registry " + loaded.Path + ": " + SysErrorMessage(loaded.Error) + ".";
}

std::string MissingDetail(const std::string& prefix) {
    return "There is no Wine registry in " + prefix +
           ": the Wine prefix does not exist, or Wine was never started in it. Set WINEPREFIX to the prefix "
           "where Outlook is installed, then try again.";
}

std::string DamagedDetail(const TLoadedHive& loaded) {
    return "The Wine registry " + loaded.Path + " cannot be understood (" + loaded.Hive->Problem() +
           "), so it was left as it is. Correct that line, or start a program of the prefix so that Wine writes "
           "the registry anew, then save again.";
}

std::string BusyDetail(const std::string& why) {
    return why + " Close Outlook and every other program of that prefix (or run \"wineserver -k\" with WINEPREFIX "
                 "set to it), then save again.";
}

// What stopped a replacement, in words that name the cause that was found, and what to do about it.
std::string ReplaceFailureAdvice(const std::string& path, int error) {
    if (error == ENOSPC || error == EDQUOT) {
        return "The disk is full: make room on it, then save again.";
    }
    if (error == EROFS) {
        return "Its file system is mounted read-only: save when it is writable again.";
    }
    if (const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); fd >= 0) {
        int flags = 0;
        const bool known = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        close(fd);
        if (known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0) {
            return "The file is marked immutable or append-only (see lsattr): only its owner or the administrator "
                   "can lift that (chattr -i -a), then save again.";
        }
    }
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && info.st_uid != geteuid()) {
        return "The file belongs to another user (user id " + std::to_string(info.st_uid) +
               "), who alone can let you change it.";
    }
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    if (access(folder.c_str(), W_OK) != 0) {
        return "Its folder " + folder + " is not writable for you: make it writable, then save again.";
    }
    return "Make sure its folder is writable and the disk has room, then save again.";
}

// Writes `bytes`, piece after piece, over `path` so that the file is either all old or all new, keeping its mode and
// owner.
TResult ReplaceFile(const std::string& path, std::string_view oldBytes, std::span<const std::string_view> bytes) {
    const TReplaceFailure failure = ReplaceFileKeepingBackup(path, oldBytes, bytes);
    if (!failure.Failed()) {
        return {};
    }
    return TResult::Failed(reg::WriteFault, failure.Text() + ". The Wine registry " + path + " was left as it was. " +
                                                ReplaceFailureAdvice(path, failure.Error));
}

// A user.reg that is missing, cannot be read, or holds lines that cannot be read (loaded whole) is not rewritten.
TResult RefuseToRewrite(const std::string& prefix, const TLoadedHive& whole) {
    if (whole.State == EFileState::Missing) {
        return TResult::Failed(reg::FileNotFound, MissingDetail(prefix));
    }
    if (whole.State == EFileState::Unreadable) {
        return TResult::Failed(reg::AccessDenied, UnreadableDetail(whole));
    }
    if (!whole.Hive->HasHeader() || !whole.Hive->Problem().empty()) {
        return TResult::Failed(reg::BadDatabase, DamagedDetail(whole));
    }
    return {};
}

// A user.reg that someone made read-only is left alone rather than replaced behind their back.
TResult RefuseReadOnly(const TLoadedHive& loaded) {
    if (!IsReadOnlyFile(loaded.Path)) {
        return {};
    }
    return TResult::Failed(reg::AccessDenied, "The Wine registry " + loaded.Path +
                                                  " is read-only, so it was left as it is. If you want Vellicor "
                                                  "to change it, make it writable (chmod u+w), then save again.");
}

class TWineRegistry final : public IRegistry {
public:
    long OpenKey(std::string_view path, std::uint32_t access, TRegKey& key) override {
        FDetail.clear();
        ReadAhead().Wait();
        key = 0;
        const std::string prefix = PrefixFolder();
        const TLoadedHive loaded = LoadHive(prefix, ENeed::Index, path);
        if (loaded.State == EFileState::Unreadable) {
            return Fail(reg::AccessDenied, UnreadableDetail(loaded));
        }
        if (loaded.State == EFileState::Missing || !KeyExists(loaded, path)) {
            return reg::FileNotFound;
        }
        key = AddKey(prefix, path, access, false);
        return reg::Success;
    }

    long CreateKey(std::string_view path, std::uint32_t access, TRegKey& key) override {
        FDetail.clear();
        ReadAhead().Wait();
        key = 0;
        const bool writing = (access & reg::AccessSetValue) != 0;
        const std::string prefix = PrefixFolder();
        const TLoadedHive loaded = LoadHive(prefix, ENeed::Index, path);
        if (loaded.State == EFileState::Unreadable) {
            return Fail(reg::AccessDenied, UnreadableDetail(loaded));
        }
        // Only a write needs the whole file, checked, to refuse lines it cannot read.
        const auto refusal = [&] { return RefuseToRewrite(prefix, LoadHive(prefix, ENeed::Whole)); };
        TResult result;
        if (loaded.State == EFileState::Missing) {
            result = TResult::Failed(reg::FileNotFound, MissingDetail(prefix));
        } else if (KeyExists(loaded, path)) {
            // Reading tolerates lines it cannot read, as Wine does; writing refuses them, and refuses now
            // rather than at the first value if Wine holds the prefix.
            if (writing) {
                result = refusal();
            }
            if (writing && result.Ok()) {
                const wine::TServerLock lock(prefix);
                if (!lock.Held()) {
                    result = TResult::Failed(reg::LockViolation, BusyDetail(lock.Failure()));
                } else {
                    result = RefuseReadOnly(loaded);
                }
            }
        } else if (result = refusal(); result.Ok()) {
            result = Modify(prefix, [&](const THiveEdit& hive, wine::TSplice& change) {
                change = {0, hive.Bytes().size(), hive.WithKey(path, wine::NowTicks())};
                return TResult{};
            });
        }
        if (!result.Ok()) {
            if (writing) {
                return Fail(result.Status, result.Detail);
            }
            // Reading must not fail because the key cannot be made now (Wine running, say): the key is
            // then opened as an empty one, and its values read as missing.
            key = AddKey(prefix, path, access, true);
            return reg::Success;
        }
        key = AddKey(prefix, path, access, false);
        return reg::Success;
    }

    long QueryValue(TRegKey key, std::string_view name, std::uint32_t* type, unsigned char* data,
                    std::uint32_t* size) override {
        FDetail.clear();
        ReadAhead().Wait();
        const auto found = FKeys.find(key);
        if (found == FKeys.end()) {
            return reg::InvalidHandle;
        }
        if (data != nullptr && size == nullptr) {
            return reg::InvalidParameter;
        }
        if (found->second.Empty) {
            return reg::FileNotFound;
        }
        const TLoadedHive loaded = LoadHive(found->second.Prefix, ENeed::Index, found->second.Path);
        if (loaded.State == EFileState::Unreadable) {
            return Fail(reg::AccessDenied, UnreadableDetail(loaded));
        }
        if (loaded.State == EFileState::Missing) {
            return reg::FileNotFound;
        }
        const auto value = ReadValue(found->second.Prefix, loaded, found->second.Path, name);
        if (!value) {
            return reg::FileNotFound;
        }
        if (type != nullptr) {
            *type = value->Type;
        }
        const auto needed = static_cast<std::uint32_t>(value->Data.size());
        if (data == nullptr) {
            if (size != nullptr) {
                *size = needed;
            }
            return reg::Success;
        }
        if (*size < needed) {
            *size = needed;
            return reg::MoreData;
        }
        std::memcpy(data, value->Data.data(), needed);
        *size = needed;
        return reg::Success;
    }

    long SetValue(TRegKey key, std::string_view name, std::uint32_t type, const unsigned char* data,
                  std::uint32_t size) override {
        FDetail.clear();
        ReadAhead().Wait();
        const auto found = FKeys.find(key);
        if (found == FKeys.end()) {
            return reg::InvalidHandle;
        }
        if ((found->second.Access & reg::AccessSetValue) == 0 || found->second.Empty) {
            return reg::AccessDenied;
        }
        if (data == nullptr && size != 0) {
            return reg::InvalidParameter;
        }
        const wine::TValueData value{type, std::string(reinterpret_cast<const char*>(data), data ? size : 0)};
        const std::string& path = found->second.Path;
        const TResult result = Modify(found->second.Prefix, [&](const THiveEdit& hive, wine::TSplice& change) {
            if (!hive.KeyExists(path)) {
                return TResult::Failed(reg::KeyDeleted, "The key " + path + " was deleted meanwhile.");
            }
            change = hive.ValueChange(path, name, value, wine::NowTicks());
            return TResult{};
        });
        return result.Ok() ? reg::Success : Fail(result.Status, result.Detail);
    }

    long CloseKey(TRegKey key) override {
        FDetail.clear();
        return FKeys.erase(key) > 0 ? reg::Success : reg::InvalidHandle;
    }

    std::string LastFailureDetail() const override { return FDetail; }

private:
    struct TOpenKey {
        std::string Prefix;
        std::string Path;
        std::uint32_t Access = 0;
        bool Empty = false; // opened for reading although it could not be created: holds nothing
    };

    long Fail(long status, std::string detail) {
        FDetail = std::move(detail);
        return status;
    }

    TRegKey AddKey(const std::string& prefix, std::string_view path, std::uint32_t access, bool empty) {
        const TRegKey key = FNextKey++;
        FKeys[key] = TOpenKey{prefix, std::string(path), access, empty};
        return key;
    }

    // One read-modify-write of the prefix's user.reg under the wineserver lock. `edit` gives the change.
    TResult Modify(const std::string& prefix, const std::function<TResult(const THiveEdit&, wine::TSplice&)>& edit) {
        const wine::TServerLock lock(prefix);
        if (!lock.Held()) {
            return TResult::Failed(reg::LockViolation, BusyDetail(lock.Failure()));
        }
        const TLoadedHive loaded = LoadHive(prefix, ENeed::Whole);
        if (TResult refused = RefuseToRewrite(prefix, loaded); !refused.Ok()) {
            return refused;
        }
        if (TResult refused = RefuseReadOnly(loaded); !refused.Ok()) {
            return refused;
        }
        wine::TSplice change;
        if (TResult result = edit(*loaded.Hive, change); !result.Ok()) {
            return result;
        }
        const std::string_view old = loaded.Hive->Bytes();
        if (change.ChangesNothing(old)) {
            RemoveStaleFiles(loaded.Path);
            return {};
        }
        // Written as the bytes before the change, the change and the bytes after it: a large file is not
        // copied whole for a small edit.
        const std::string_view pieces[] = {old.substr(0, change.Begin), change.Text, old.substr(change.End)};
        TResult result = ReplaceFile(loaded.Path, old, pieces);
        if (result.Ok()) {
            RememberWritten(loaded.Path, loaded.Hive, std::move(change));
        }
        return result;
    }

    std::map<TRegKey, TOpenKey> FKeys;
    TRegKey FNextKey = 1;
    std::string FDetail;
};

} // namespace

IRegistry& CurrentUserRegistry() {
    static TWineRegistry registry;
    return registry;
}

void ReadCurrentUserHiveAhead(std::vector<std::string> keys) {
    ReadLast(); // made first, so that it outlives the thread that fills it
    ReadAhead().Start(PrefixFolder(), std::move(keys));
}

} // namespace platform
