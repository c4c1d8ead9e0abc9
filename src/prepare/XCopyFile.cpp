#include "prepare/CopyPlan.h"
#include "prepare/Preparation.h"
#include "win/Handles.h"

#include <memory>

namespace vorlund {
namespace {

using namespace copyplan;

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (!GetFileInformationByHandle(a, &x) || !GetFileInformationByHandle(b, &y))
        return false; // the final rename still refuses a target that is open here
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// The destination may be replaced unless a program holds it without sharing
// (the old copy still open) or it is the open source under another spelling.
bool destinationReplaceable(HANDLE source, const std::string& destination) {
    win::File probe(CreateFileA(destination.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe)
        return GetLastError() != ERROR_SHARING_VIOLATION;
    return !sameFile(source, probe.get());
}

bool fileSize(HANDLE file, int64_t& size) {
    LARGE_INTEGER end{}, zero{};
    if (!SetFilePointerEx(file, zero, &end, FILE_END))
        return false;
    size = end.QuadPart;
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != FALSE;
}

bool transfer(InstallSystem& system, HANDLE from, HANDLE to, int64_t length, char* buffer) {
    while (length > 0) {
        const DWORD piece = static_cast<DWORD>(length < kPieceLength ? length : kPieceLength);
        if (!system.Read(from, buffer, piece) || !system.Write(to, buffer, piece))
            return false;
        length -= piece;
    }
    return true;
}

bool copyChunks(PrepareHost& host, InstallSystem& system, HANDLE source, HANDLE target) {
    int64_t size = 0;
    if (!fileSize(source, size))
        return false;
    const int shift = barShift(size);
    host.SetBarRange(0, barPosition(size, shift));
    host.SetBarPosition(0);

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kPieceLength]);
    if (!buffer)
        return false;
    int64_t copied = 0;
    bool done = false;
    while (!done) {
        host.ProcessMessages();
        const int64_t chunk = nextChunk(size, copied);
        copied += chunk;
        if (chunk == 0) {
            LARGE_INTEGER zero{};
            SetFilePointerEx(source, zero, nullptr, FILE_BEGIN);
        }
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

std::string PartialCopyPath(const std::string& destination) {
    return destination + ".partial";
}

bool XCopyFile(PrepareHost& host, const std::string& source, const std::string& destination,
               InstallSystem& system) {
    win::File src = system.OpenSource(source);
    if (!src)
        return false;
    if (!destinationReplaceable(src.get(), destination))
        return false;
    const std::string partial = PartialCopyPath(destination);
    win::File dst = system.CreatePartial(partial);
    if (!dst)
        return false;

    bool ok = copyChunks(host, system, src.get(), dst.get());
    ok = ok && system.Flush(dst.get());
    src.close();
    ok = system.Close(dst) && ok;
    ok = ok && system.Rename(partial, destination);
    if (!ok)
        DeleteFileA(partial.c_str());
    return ok;
}

} // namespace vorlund
