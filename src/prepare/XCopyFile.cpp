#include "base/HashPipeline.h"
#include "prepare/CopyPlan.h"
#include "prepare/PartialFiles.h"
#include "prepare/Preparation.h"
#include "prepare/Retry.h"
#include "win/Handles.h"
#include "win/Sha256.h"

#include <memory>
#include <optional>
#include <utility>

namespace vorlund {
namespace {

using namespace copyplan;

DWORD transfer(InstallSystem& system, HANDLE from, HANDLE to, int64_t length, char* buffer,
               HashPipeline* hashing) {
    while (length > 0) {
        const DWORD piece = static_cast<DWORD>(length < kPieceLength ? length : kPieceLength);
        if (const Status read = system.Read(from, buffer, piece); !read.ok())
            return read.error;
        if (hashing)
            hashing->Feed(buffer, piece);
        if (const Status written = system.Write(to, buffer, piece); !written.ok())
            return written.error;
        length -= piece;
    }
    return ERROR_SUCCESS;
}

// A published size the source does not have: not a byte is moved over a
// slow link for nothing. Nothing, or why the source is not to be copied.
std::optional<CopyResult> notThePublishedSize(InstallSystem& system, HANDLE source,
                                              const PublishedCopy& published) {
    if (!published.fault.empty())
        return CopyResult::NotPublished(published.fault);
    if (!published.size)
        return std::nullopt;
    int64_t size = 0;
    if (const Status sized = system.Size(source, size); !sized.ok())
        return CopyResult::Failed(sized.error);
    if (size != *published.size)
        return CopyResult::NotPublished(SizeMismatch(*published.size, size));
    return std::nullopt;
}

// A publish renames the central copy aside and the new one into its place:
// between the two renames it is missing for a moment, or its name is still
// held by the old file waiting to go (access denied). Windows' SMB client
// remembers a name it did not find for seconds, so the looking lasts longer.
Opened openSourceAppearing(PrepareHost& host, InstallSystem& system, const std::string& source) {
    constexpr DWORD kLookAgain = 100, kPatience = 6000;
    for (DWORD waited = 0;; waited += kLookAgain) {
        Opened opened = system.OpenSource(source);
        const bool away =
            opened.error == ERROR_FILE_NOT_FOUND || opened.error == ERROR_ACCESS_DENIED;
        if (opened.file || !away || waited >= kPatience)
            return opened;
        system.Pause(host, kLookAgain);
    }
}

} // namespace

DWORD CopyChunks(PrepareHost& host, InstallSystem& system, HANDLE source, HANDLE target,
                 int64_t& copied, HashPipeline* hashing) {
    int64_t size = 0;
    if (const Status sized = system.Size(source, size); !sized.ok())
        return sized.error;
    const int shift = barShift(size);
    host.SetBarRange(0, barPosition(size, shift));
    host.SetBarPosition(0);

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kPieceLength]);
    if (!buffer)
        return ERROR_NOT_ENOUGH_MEMORY;
    copied = 0;
    bool done = false;
    while (!done) {
        host.ProcessMessages();
        const int64_t chunk = nextChunk(size, copied);
        copied += chunk;
        // An empty source gives one chunk of nothing from its start, where
        // Size left the position.
        if (const DWORD error = transfer(system, source, target, chunk, buffer.get(), hashing))
            return error;
        host.SetBarPosition(barPosition(copied, shift));
        done = copied >= size;
        host.ShowMainWindow();
    }
    host.SetBarPosition(host.BarMax());
    return ERROR_SUCCESS;
}

CopyResult XCopyFile(PrepareHost& host, const std::string& source, const std::string& destination,
                     InstallSystem& system, const PublishedCopy& published) {
    Opened src = openSourceAppearing(host, system, source);
    if (!src.file)
        return CopyResult::Failed(src.error);
    // The source under another spelling: the copy would replace it with itself.
    if (system.NamesSameFile(src.file.get(), destination))
        return CopyResult::Failed(ERROR_ALREADY_EXISTS);
    if (std::optional<CopyResult> refused = notThePublishedSize(system, src.file.get(), published))
        return *refused;
    PartialFile partial(system, PartialCopyPath(destination));
    win::File dst;
    if (const DWORD error = RetryWhileLocked(host, system, [&] {
            Opened created = system.CreatePartial(partial.Path());
            dst = std::move(created.file);
            return Status{created.error};
        }))
        return CopyResult::Failed(error);

    // Hashed on a thread of its own as the bytes go by.
    win::Sha256 sha;
    std::optional<HashPipeline> hashing;
    if (published.sha256)
        hashing.emplace([&sha](const char* data, size_t size) { sha.Update(data, size); });
    int64_t copied = 0;
    const ULONGLONG start = GetTickCount64();
    DWORD error =
        CopyChunks(host, system, src.file.get(), dst.get(), copied, hashing ? &*hashing : nullptr);
    if (error == ERROR_SUCCESS) // written through before it takes the old copy's place
        error = system.Flush(dst.get()).error;
    src.file.close();
    if (error != ERROR_SUCCESS) {
        system.Close(dst); // the partial file goes with `partial`
        return CopyResult::Failed(error, copied);
    }
    if (hashing) {
        hashing->Finish();
        const std::optional<std::string> found = sha.HexDigest();
        if (found != published.sha256) {
            system.Close(dst);
            return CopyResult::NotPublished(
                HashMismatch(*published.sha256, found.value_or("(nicht berechnet)")), copied);
        }
    }
    // Renamed while still open: until then it is no leftover to anyone.
    if (const DWORD refused =
            RetryWhileLocked(host, system, [&] { return system.Rename(dst.get(), destination); })) {
        system.Close(dst);
        return IsTransientLock(refused) ? CopyResult::InUse(refused, copied)
                                        : CopyResult::Failed(refused, copied);
    }
    partial.Placed();
    CopyResult done = CopyResult::Done(copied);
    done.milliseconds = static_cast<int64_t>(GetTickCount64() - start);
    // Written through and in place: a close that reports a failure now
    // changes nothing on disk.
    system.Close(dst);
    return done;
}

} // namespace vorlund
