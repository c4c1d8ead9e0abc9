#include "prepare/CopyPlan.h"
#include "prepare/Preparation.h"
#include "win/Handles.h"

#include <memory>

namespace vorlund {
namespace {

using namespace copyplan;

win::File openFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return win::File(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

// True when the destination is held by someone without sharing: the source
// itself (which this copy holds), or a program that has the old copy open.
bool destinationHeld(const std::string& destination) {
    win::File probe =
        openFile(destination, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING);
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
}

bool fileSize(HANDLE file, int64_t& size) {
    LARGE_INTEGER end{}, zero{};
    if (!SetFilePointerEx(file, zero, &end, FILE_END))
        return false;
    size = end.QuadPart;
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != FALSE;
}

bool transfer(HANDLE from, HANDLE to, int64_t length, char* buffer) {
    while (length > 0) {
        const DWORD piece = static_cast<DWORD>(length < kPieceLength ? length : kPieceLength);
        DWORD done = 0;
        if (!ReadFile(from, buffer, piece, &done, nullptr) || done != piece)
            return false;
        if (!WriteFile(to, buffer, piece, &done, nullptr) || done != piece)
            return false;
        length -= piece;
    }
    return true;
}

bool copyChunks(PrepareHost& host, HANDLE source, HANDLE target) {
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
        if (!transfer(source, target, chunk, buffer.get()))
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

bool XCopyFile(PrepareHost& host, const std::string& source, const std::string& destination) {
    win::File src = openFile(source, GENERIC_READ, 0, OPEN_EXISTING);
    if (!src)
        return false;
    if (destinationHeld(destination))
        return false;
    const std::string partial = PartialCopyPath(destination);
    win::File dst = openFile(partial, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!dst)
        return false;

    bool ok = copyChunks(host, src.get(), dst.get());
    ok = ok && FlushFileBuffers(dst.get());
    src.close();
    ok = dst.close() && ok;
    ok = ok && MoveFileExA(partial.c_str(), destination.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok)
        DeleteFileA(partial.c_str());
    return ok;
}

} // namespace vorlund
