// Vorlund: starts an Access database front-end from its local copy after
// registering its ODBC data source and installing a newer central copy.
#include "app/Form1.h"
#include "prepare/Messages.h"
#include "ui/Application.h"
#include "ui/fCtrls.h"
#include "win/CommonControls.h"
#include "win/DllSearch.h"
#include "win/Heap.h"

#include <objbase.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace vorlund;
    win::RestrictDllSearch();
    win::UseLowFragmentationHeaps();
    // The shell's open may go through COM (a shell extension, DDE): it wants
    // an apartment on this thread before any shell call.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    win::comctl::InitCommonControlsEx(
        {sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES});
    flat::InitFlatBorderColour();
    flat::SetDefaultFlatStyle(flat::TFlatStyle::fsFlat);

    Application& app = Application::instance();
    app.SetTitle(std::string(texts::kApplicationTitle));
    try {
        TForm1 form;
        app.SetMainWindow(form.Handle());
        form.ShowFirstTime();
        app.Run();
    } catch (const std::exception& error) {
        app.ShowException(error);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0; // the launcher sets no exit code of its own
}
