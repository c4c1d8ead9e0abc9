#pragma once
// TForm1: the launcher's one window. In its start-up shape it shows the
// banner and the progress bar; in its selection shape the buttons and the
// grid of program entries, shown modally.
#include "app/Timer.h"
#include "config/ProgramList.h"
#include "prepare/PrepareHost.h"
#include "prepare/RunState.h"
#include "ui/Panels.h"
#include "ui/Window.h"
#include "ui/fCtrls.h"
#include "ui/fDBCtrls.h"
#include "win/Handles.h"

#include <memory>
#include <string>

namespace vorlund {

// Control ids, usable by tools that drive the window from outside.
enum ControlId : int {
    kIdImage = 10,
    kIdGroup = 11,
    kIdRun = 12,
    kIdExit = 13,
    kIdGrid = 14,
    kIdBar = 15,
};
inline constexpr const char* kForm1Class = "TForm1";

// A field of the program list as a member object of the window.
struct TField {
    ProgramList* list;
    const char* name;
    int32_t AsInteger() const { return list->FieldAsInteger(name); }
    std::string AsString() const { return list->FieldAsString(name); }
};

class TForm1 : public Window, public flat::TComponent, public PrepareHost {
  public:
    static constexpr int kClientWidth = 312;
    static constexpr int kStartupHeight = 150;
    static constexpr int kSelectionHeight = 305;
    static constexpr ULONGLONG kBarInterval = 33; // ms between two bar repaints

    TForm1();
    ~TForm1() override;

    bool IsForm() const override { return true; }

    // Shows the window for the first time, centred on the screen.
    void ShowFirstTime();

    // Event handlers and methods of the window.
    void FormCreate();
    void Timer1Timer();
    void runStartupStep(RunState& run);
    void waittimerTimer();
    void bEXITClick();
    void b2DblClick();
    void ReadProgramm(const ProfileReader& config, const std::string& section);
    void LaunchProgram(RunState& run, int32_t id);
    bool XCopyFile(const std::string& source, const std::string& destination);

    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    void SetOuterHeight(int height);
    void SetSelectionVisible(bool visible);
    bool LoadBanner(const std::string& path);

    // PrepareHost
    void ShowMessage(std::string_view text, MessageType type) override;
    void ProcessMessages() override;
    void SetBarRange(int32_t minimum, int32_t maximum) override;
    void SetBarPosition(int32_t position) override;
    int32_t BarMax() const override;
    // How often the bar was told a new position, for the benchmark.
    int BarUpdates() const { return barUpdates_; }
    void ShowMainWindow() override;
    void HideMainWindow() override;
    void ShowWaiting() override;
    bool EndRequested() const override;
    void StartWaitTimer() override;
    bool WaitTimerOn() const override;
    void WaitForMessage() override;

    // The program list with its fields and the data link to the grid.
    ProgramList tPrograms;
    flat::TDataSource Programme{&tPrograms};
    TField tProgramsid{&tPrograms, "id"};
    TField tProgramsversion{&tPrograms, "version"};
    TField tProgramsmdbname{&tPrograms, "mdbname"};
    TField tProgramsmdbpath{&tPrograms, "mdbpath"};
    TField tProgramstmpdir{&tPrograms, "tmpdir"};
    TField tProgramsdisplayname{&tPrograms, "displayname"};
    TField tProgramsodbcpath{&tPrograms, "odbcpath"};
    TField tProgramsodbcname{&tPrograms, "odbcname"};
    TField tProgramsodbccharacterset{&tPrograms, "odbccharacterset"};
    TField tProgramsodbcrole{&tPrograms, "odbcrole"};

    Timer Timer1{1, 500};
    Timer waittimer{2, 2000};

    std::unique_ptr<TImage> vimage;
    std::unique_ptr<TGroupBox> b1;
    std::unique_ptr<flat::TfsBitBtn> bRUN;
    std::unique_ptr<flat::TfsBitBtn> bEXIT;
    std::unique_ptr<flat::TfsDBGrid> b2;
    HWND BAR = nullptr;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    void CreateControls();
    void Realign();
    void OnTimer(UINT_PTR id);
    void OnCommand(int id);
    void OnClose();
    bool OnKeyboard(MSG& msg);

    int dpi_ = 96;
    bool shownOnce_ = false;
    bool modal_ = false;
    int modalResult_ = 0;
    int barMax_ = 100;
    int barDrawn_ = -1; // the last position the bar was told, in its own pixels
    ULONGLONG barToldAt_ = 0;
    int barUpdates_ = 0;
    win::UniqueFont font_;
    win::UniqueFont verdanaBold_;
};

} // namespace vorlund
