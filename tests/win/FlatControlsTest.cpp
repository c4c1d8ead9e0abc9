// The flat controls rendered for real: border rings in their looks, the grid's
// frame and behaviour, and the style manager's broadcast.
#include "config/ProgramList.h"
#include "support/WinTestSupport.h"
#include "ui/Panels.h"
#include "ui/fCtrls.h"
#include "ui/fDBCtrls.h"
#include "win/Handles.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vorlund;
using namespace vorlund::flat;
using vorlund::testing::Canvas;

namespace {

// A form as the library sees it, owned by the application.
struct TestForm : TComponent {
    TestForm() : TComponent(&ApplicationComponent()) {}
    bool IsForm() const override { return true; }
};

class FlatControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitFlatBorderColour();
        top.reset(CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 10, 10, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr));
        group = std::make_unique<TGroupBox>(top.get(), 1, top.get());
        SetWindowPos(group->Handle(), nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
        font.reset(CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana"));
    }
    std::unique_ptr<TfsBitBtn> button(TComponent* owner, int x = 6) {
        ButtonSetup s{"BEENDEN", x, 10, 145, 25, 50 + x, font.get(), RGB(128, 0, 0), 0};
        return std::make_unique<TfsBitBtn>(owner, group->Handle(), s);
    }
    // A visible grid of the given size over a list of these display names.
    std::unique_ptr<TfsDBGrid> makeGrid(ProgramList& list, TDataSource& source,
                                        const std::vector<std::string>& names, int w, int h) {
        list.Open();
        for (const std::string& name : names) {
            list.Append();
            list.SetField("displayname", name);
            list.Post();
        }
        source.DataSet = &list;
        GridSetup setup;
        setup.width = w;
        setup.height = h;
        setup.visible = true;
        setup.column =
            GridColumn{"displayname", "Programm Auswahl:", 278, font.get(), RGB(128, 0, 0)};
        return std::make_unique<TfsDBGrid>(&form, top.get(), setup, source);
    }
    // Renders the button through its owner-draw path.
    static void render(TfsBitBtn& b, Canvas& c, UINT state) {
        DRAWITEMSTRUCT item{ODT_BUTTON,      0, 0, ODA_DRAWENTIRE, state, b.Handle(), c.dc(),
                            {0, 0, 145, 25}, 0};
        SendMessageA(b.Handle(), kReflectedDrawItem, 0, reinterpret_cast<LPARAM>(&item));
    }

    win::UniqueWindow top;
    std::unique_ptr<TGroupBox> group;
    win::UniqueFont font;
    TestForm form;
};

COLORREF face() {
    return GetSysColor(COLOR_BTNFACE);
}

} // namespace

TEST_F(FlatControlsTest, ButtonRingsShowNormalHighlightedAndPressedLooks) {
    auto b = button(&form);
    EXPECT_EQ(b->FlatStyle(), TFlatStyle::fsFlat);
    const int mid = 12;
    {
        Canvas c(145, 25);
        render(*b, c, 0);
        EXPECT_EQ(c.at(0, mid), face()); // ring 1
        EXPECT_EQ(c.at(2, mid), face()); // ring 3
        EXPECT_EQ(c.at(144, mid), face());
        EXPECT_EQ(c.at(1, mid), GetSysColor(COLOR_BTNHIGHLIGHT)); // raised inner
        EXPECT_EQ(c.at(143, mid), GetSysColor(COLOR_BTNSHADOW));
    }
    SendMessageA(b->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); // the mouse comes in
    ASSERT_TRUE(b->MouseInside());
    {
        Canvas c(145, 25);
        render(*b, c, 0);
        EXPECT_EQ(c.at(1, mid), GetSysColor(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(c.at(mid, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(c.at(143, mid), GetSysColor(COLOR_3DDKSHADOW));
        EXPECT_EQ(c.at(mid, 23), GetSysColor(COLOR_3DDKSHADOW));
    }
    for (bool hover : {true, false}) {
        if (!hover)
            SendMessageA(b->Handle(), WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(b->MouseInside(), hover);
        Canvas c(145, 25);
        render(*b, c, ODS_SELECTED);
        EXPECT_EQ(c.at(1, mid), GetSysColor(COLOR_BTNSHADOW)) << hover; // sunken, either way
        EXPECT_EQ(c.at(143, mid), GetSysColor(COLOR_BTNHIGHLIGHT)) << hover;
    }
    // The focus highlights as the mouse does.
    SetForegroundWindow(top.get());
    SetActiveWindow(top.get());
    SetFocus(b->Handle());
    ASSERT_EQ(GetFocus(), b->Handle());
    EXPECT_TRUE(b->Highlighted());
    Canvas c(145, 25);
    render(*b, c, ODS_FOCUS);
    EXPECT_EQ(c.at(143, mid), GetSysColor(COLOR_3DDKSHADOW));
}

TEST_F(FlatControlsTest, AStandardButtonKeepsItsOwnFrame) {
    auto b = button(&form);
    b->SetFlatStyle(TFlatStyle::fsStandard);
    Canvas c(145, 25);
    render(*b, c, 0);
    // The base frame's outer line shows through where the flat rings would be.
    EXPECT_NE(c.at(144, 12), face());
}

TEST_F(FlatControlsTest, GridBorderIsThreePixelsWithScrollBarsInside) {
    ProgramList list;
    TDataSource source;
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i)
        names.push_back("Eintrag " + std::to_string(i));
    std::unique_ptr<TfsDBGrid> owned = makeGrid(list, source, names, 200, 120);
    TfsDBGrid& grid = *owned;
    HWND g = grid.Handle();
    EXPECT_FALSE(grid.Highlighted());
    SetForegroundWindow(top.get());
    SetFocus(g);
    EXPECT_TRUE(grid.Highlighted()); // the focus counts like the mouse
    SetFocus(nullptr);
    SendMessageA(g, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(grid.MouseInside());
    EXPECT_TRUE(grid.Highlighted());
    SendMessageA(g, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(grid.Highlighted());
    RECT wr, cr;
    GetWindowRect(g, &wr);
    GetClientRect(g, &cr);
    EXPECT_TRUE(HasBothScrollBars(g)); // 30 rows and a 278-pixel column in 200 x 120
    EXPECT_EQ((wr.right - wr.left) - cr.right, 6 + GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ((wr.bottom - wr.top) - cr.bottom, 6 + GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_TRUE(GetWindowLongA(g, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(GetWindowLongA(g, GWL_STYLE) & WS_BORDER);

    for (bool highlighted : {false, true}) {
        Canvas c(200, 120);
        PaintFlatBorderRings(g, c.dc(), highlighted);
        EXPECT_EQ(c.at(0, 60), highlighted ? GetSysColor(COLOR_BTNSHADOW) : face());
        EXPECT_EQ(c.at(199, 60), highlighted ? GetSysColor(COLOR_BTNHIGHLIGHT) : face());
        EXPECT_EQ(c.at(1, 60), face());
        EXPECT_EQ(c.at(2, 60), FlatBorderColour());
        EXPECT_EQ(c.at(100, 2), FlatBorderColour());
    }

    // Changing the style re-creates the window: the standard frame is thinner.
    grid.SetFlatStyle(TFlatStyle::fsStandard);
    EXPECT_NE(grid.Handle(), nullptr);
    GetClientRect(grid.Handle(), &cr);
    GetWindowRect(grid.Handle(), &wr);
    EXPECT_EQ((wr.right - wr.left) - cr.right, 4 + GetSystemMetrics(SM_CXVSCROLL));
    grid.SetFlatStyle(TFlatStyle::fsFlat);
    grid.SetCtl3D(false); // ignored while flat
    GetClientRect(grid.Handle(), &cr);
    GetWindowRect(grid.Handle(), &wr);
    EXPECT_EQ((wr.right - wr.left) - cr.right, 6 + GetSystemMetrics(SM_CXVSCROLL));
}

TEST_F(FlatControlsTest, GridRowsAndTheCurrentRecordMoveTogether) {
    ProgramList list;
    TDataSource source;
    std::unique_ptr<TfsDBGrid> owned =
        makeGrid(list, source, {"Aufträge", "Lager", "Kasse"}, 312, 108);
    TfsDBGrid& grid = *owned;
    HWND g = grid.Handle();
    int doubleClicks = 0;
    grid.SetOnDblClick([&] { ++doubleClicks; });
    EXPECT_EQ(list.FieldAsInteger("id"), 2); // the last entry starts highlighted

    const int row1 = grid.TitleHeight() + grid.RowHeight() + 1 + grid.RowHeight() / 2;
    SendMessageA(g, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, row1));
    SendMessageA(g, WM_LBUTTONUP, 0, MAKELPARAM(40, row1));
    EXPECT_EQ(list.FieldAsInteger("id"), 1);
    SendMessageA(g, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(list.FieldAsInteger("id"), 0);
    SendMessageA(g, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(list.FieldAsInteger("id"), 2);
    SendMessageA(g, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(g, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(list.FieldAsInteger("id"), 2);
    SendMessageA(g, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 3)); // on the title row
    EXPECT_EQ(doubleClicks, 1);

    // The reverse: moving the current record moves the highlighted row.
    list.MoveToVisibleRow(0);
    Canvas c(312, 108);
    RECT cr;
    GetClientRect(g, &cr);
    SendMessageA(g, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(c.dc()), PRF_CLIENT);
    const int row0 = grid.TitleHeight() + 2;
    EXPECT_EQ(c.at(cr.right - 20, row0), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_NE(c.at(cr.right - 20, row1), GetSysColor(COLOR_HIGHLIGHT));

    // Dragging the column's right edge in the title row resizes it.
    const int edge = 11 + 278;
    SendMessageA(g, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge, 3));
    SendMessageA(g, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge - 100, 3));
    SendMessageA(g, WM_LBUTTONUP, 0, MAKELPARAM(edge - 100, 3));
    EXPECT_EQ(grid.ColumnWidth(), 178);

    // A capture lost mid-drag (another window took it) ends the resize.
    SendMessageA(g, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(11 + 178, 3));
    ReleaseCapture();
    SendMessageA(g, WM_MOUSEMOVE, 0, MAKELPARAM(60, 3));
    EXPECT_EQ(grid.ColumnWidth(), 178);
}

TEST_F(FlatControlsTest, ManagersBroadcastAndStopOnEqualValues) {
    struct CountingManager : TfsManager {
        using TfsManager::TfsManager;
        int broadcasts = 0;
        void BroadcastStyle(TFlatStyle v, std::string_view name) override {
            ++broadcasts;
            TfsManager::BroadcastStyle(v, name);
        }
    };
    TestForm plain; // no manager: the default style
    auto plainButton = button(&plain, 6);
    EXPECT_EQ(plainButton->FlatStyle(), TFlatStyle::fsFlat);

    TestForm early; // a control created before the form's manager
    auto before = button(&early, 160);
    CountingManager earlyManager(&early);
    EXPECT_EQ(before->FlatStyle(), TFlatStyle::fsFlat);

    TestForm managed;
    CountingManager manager(&managed);
    manager.SetFlatStyle(TFlatStyle::fsStandard);
    EXPECT_EQ(manager.broadcasts, 1);
    auto after = button(&managed, 6);
    EXPECT_EQ(after->FlatStyle(), TFlatStyle::fsStandard); // looked up from the manager
    EXPECT_EQ(LookupFlatStyle(&managed), TFlatStyle::fsStandard);
    EXPECT_EQ(plainButton->FlatStyle(), TFlatStyle::fsStandard); // reached by the broadcast
    EXPECT_EQ(earlyManager.FlatStyle(), TFlatStyle::fsStandard);

    manager.SetFlatStyle(TFlatStyle::fsStandard); // equal: nothing happens
    EXPECT_EQ(manager.broadcasts, 1);
    manager.SetFlatStyle(TFlatStyle::fsFlat);
    EXPECT_EQ(after->FlatStyle(), TFlatStyle::fsFlat);
    EXPECT_EQ(before->FlatStyle(), TFlatStyle::fsFlat);

    manager.SetGlobalStyle(TFlatStyle::fsStandard);
    EXPECT_EQ(DefaultFlatStyle(), TFlatStyle::fsStandard);
    EXPECT_EQ(earlyManager.GlobalStyle(), TFlatStyle::fsStandard); // passed on, then stopped
    EXPECT_EQ(before->FlatStyle(), TFlatStyle::fsStandard);
    manager.SetGlobalStyle(TFlatStyle::fsFlat);
    EXPECT_EQ(DefaultFlatStyle(), TFlatStyle::fsFlat);
    EXPECT_LE(manager.broadcasts, 6);
}
