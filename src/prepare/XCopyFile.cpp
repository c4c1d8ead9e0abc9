#include "prepare/CopyPlan.h"
#include "prepare/PartialFiles.h"
#include "prepare/Preparation.h"
#include "prepare/Retry.h"
#include "win/Handles.h"

#include <memory>

namespace vorlund {
namespace {

using namespace copyplan;

bool transfer(InstallSystem& system, HANDLE from, HANDLE to, int64_t length, char* buffer) {
    while (length > 0) {
        const DWORD piece = static_cast<DWORD>(length < kPieceLength ? length : kPieceLength);
        if (!system.Read(from, buffer, piece) || !system.Write(to, buffer, piece))
            return false;
        length -= piece;
    }
    return true;
}

bool copyChunks(PrepareHost& host, InstallSystem& system, HANDLE source, HANDLE target,
                int64_t& copied) {
    int64_t size = 0;
    if (!system.Size(source, size))
        return false;
    const int shift = barShift(size);
    host.SetBarRange(0, barPosition(size, shift));
    host.SetBarPosition(0);

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kPieceLength]);
    if (!buffer)
        return false;
    copied = 0;
    bool done = false;
    while (!done) {
        host.ProcessMessages();
        const int64_t chunk = nextChunk(size, copied);
        copied += chunk;
        // An empty source gives one chunk of nothing from its start, where
        // Size left the position.
        if (!transfer(system, source, target, chunk, buffer.get()))
            return false;
        host.SetBarPosition(barPosition(copied, shift));
        done = copied >= size;
        host.ShowMainWindow();
    }
    host.SetBarPosition(host.BarMax());
    return true;
}

} // namespace

CopyResult XCopyFile(PrepareHost& host, const std::string& source, const std::string& destination,
                     InstallSystem& system) {
    win::File src = system.OpenSource(source);
    if (!src)
        return CopyResult{false, false, GetLastError()};
    // The source under another spelling: the copy would replace it with itself.
    if (system.NamesSameFile(src.get(), destination))
        return CopyResult{false, false, ERROR_ALREADY_EXISTS};
    PartialFile partial(system, PartialCopyPath(destination));
    win::File dst;
    if (const DWORD error = RetryWhileLocked(host, system, [&] {
            return static_cast<bool>(dst = system.CreatePartial(partial.Path()));
        }))
        return CopyResult{false, false, error};

    int64_t copied = 0;
    // Written through before it takes the old copy's place.
    const bool ok =
        copyChunks(host, system, src.get(), dst.get(), copied) && system.Flush(dst.get());
    const DWORD copyError = ok ? ERROR_SUCCESS : GetLastError();
    src.close();
    if (!ok) {
        system.Close(dst); // the partial file goes with `partial`
        return CopyResult{false, false, copyError, copied};
    }
    // Renamed while still open: until then it is no leftover to anyone.
    if (const DWORD error =
            RetryWhileLocked(host, system, [&] { return system.Rename(dst.get(), destination); })) {
        system.Close(dst);
        return CopyResult{false, IsTransientLock(error), error, copied};
    }
    partial.Placed();
    // Written through and in place: a close that reports a failure now
    // changes nothing on disk.
    system.Close(dst);
    return CopyResult{true, false, ERROR_SUCCESS, copied};
}

} // namespace vorlund
