#include "support/WinTestSupport.h"

#include <shellapi.h>

#include <stdexcept>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vorlund::testing {

TempDir::TempDir(const std::string& name) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int serial = 0;
    path_ = std::string(base) + "vorlund-test-" + name + "-" +
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) + "\\";
    RemoveTree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + path_);
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

void RemoveTree(const std::string& path) {
    std::string from = path;
    if (!from.empty() && from.back() == '\\')
        from.pop_back();
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::string& path) {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string PatternBytes(size_t size, unsigned seed) {
    std::string s(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

Canvas::Canvas(int w, int h) : w_(w), h_(h) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_.reset(CreateCompatibleDC(nullptr));
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    select_ = std::make_unique<win::ScopedSelect>(dc_.get(), bitmap_.get());
}

COLORREF Canvas::at(int x, int y) const {
    GdiFlush();
    const uint32_t p = static_cast<const uint32_t*>(bits_)[y * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::string Canvas::Bytes() const {
    GdiFlush();
    return std::string(static_cast<const char*>(bits_), static_cast<size_t>(w_) * h_ * 4);
}

bool ReadOnlyIsEnforced() {
    const TempDir dir("readonly");
    const std::string path = dir / "probe";
    WriteFileBytes(path, "x");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    const win::File writable(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return !writable;
}

bool ReadRegString(HKEY root, const std::string& key, const std::string& name, std::string& out,
                   DWORD* type, DWORD* size) {
    win::UniqueKey k;
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    k.reset(h);
    char buffer[4096];
    DWORD t = 0, n = sizeof buffer;
    if (RegQueryValueExA(h, name.c_str(), nullptr, &t, reinterpret_cast<BYTE*>(buffer), &n) !=
        ERROR_SUCCESS)
        return false;
    if (type)
        *type = t;
    if (size)
        *size = n;
    out.assign(buffer, n > 0 && buffer[n - 1] == '\0' ? n - 1 : n);
    return true;
}

bool ReadRegDword(HKEY root, const std::string& key, const std::string& name, DWORD& out) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    win::UniqueKey k(h);
    DWORD t = 0, n = sizeof out;
    return RegQueryValueExA(h, name.c_str(), nullptr, &t, reinterpret_cast<BYTE*>(&out), &n) ==
               ERROR_SUCCESS &&
           t == REG_DWORD;
}

bool RegKeyExists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

void DeleteRegTree(HKEY root, const std::string& key) {
    RegDeleteTreeA(root, key.c_str());
    RegDeleteKeyA(root, key.c_str());
}

PinnedPolicy::PinnedPolicy(const std::vector<std::string>& lines, DWORD type) {
    std::string data;
    for (const std::string& line : lines)
        data += line + '\0';
    data += '\0';
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Policies\\Vorlund", 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("the policy key cannot be made");
    const win::UniqueKey owner(key);
    RegSetValueExA(key, "Herausgeberschluessel", 0, type,
                   reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(type == REG_SZ ? lines.at(0).size() + 1 : data.size()));
}

PinnedPolicy::~PinnedPolicy() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Policies\\Vorlund");
}

RecordingHost::RecordingHost() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TimerWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VorlundTestTimer";
    RegisterClassA(&wc);
    timerWindow_.reset(CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       nullptr, wc.hInstance, nullptr));
    SetWindowLongPtrA(timerWindow_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

RecordingHost::~RecordingHost() {
    KillTimer(timerWindow_.get(), 1);
}

LRESULT CALLBACK RecordingHost::TimerWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto* self = reinterpret_cast<RecordingHost*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        KillTimer(wnd, 1);
        if (self) {
            self->timerOn = false;
            self->timerStopped = GetTickCount64();
        }
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void RecordingHost::ShowMessage(std::string_view text, MessageType type) {
    messages.push_back({std::string(text), type});
}

void RecordingHost::ProcessMessages() {
    ++pumps;
    if (onPump)
        onPump(pumps);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void RecordingHost::SetBarRange(int32_t minimum, int32_t maximum) {
    barMin = minimum;
    barMax = maximum;
}

void RecordingHost::SetBarPosition(int32_t position) {
    barPositions.push_back(position);
}

void RecordingHost::StartWaitTimer() {
    timerOn = true;
    timerStarted = GetTickCount64();
    SetTimer(timerWindow_.get(), 1, 2000, nullptr);
}

} // namespace vorlund::testing
