#pragma once
// TfsDBGrid: a small read-only grid bound to the program list, with a title
// row, an indicator column, row lines, full-row selection, scroll bars when
// needed, column resizing with the mouse, and the flat three-pixel border.
#include "config/ProgramList.h"
#include "ui/Component.h"
#include "ui/Window.h"

#include <functional>
#include <optional>
#include <string>

namespace vorlund::flat {

// The data link between a grid and the program list.
struct TDataSource {
    ProgramList* DataSet = nullptr;
};

struct GridColumn {
    std::string fieldName;
    std::string title;
    int width = 0;
    HFONT titleFont = nullptr;
    COLORREF titleColour = 0;
};

enum GridOptions : unsigned {
    dgTitles = 1u << 0,
    dgIndicator = 1u << 1,
    dgColumnResize = 1u << 2,
    dgColLines = 1u << 3,
    dgRowLines = 1u << 4,
    dgRowSelect = 1u << 5,
};

struct GridSetup {
    int x = 0, y = 0, width = 0, height = 0;
    int id = 0;
    bool visible = false;
    HFONT font = nullptr;
    unsigned options = dgTitles | dgIndicator | dgColumnResize | dgRowLines | dgRowSelect;
    GridColumn column;
    int indicatorWidth = 11;
};

class TfsDBGrid : public TComponent, public Window {
  public:
    static constexpr const char* kClassName = "TfsDBGrid";

    TfsDBGrid(TComponent* owner, HWND parent, const GridSetup& setup, TDataSource& source);
    ~TfsDBGrid() override;

    bool IsControl() const override { return true; }
    TFlatStyle FlatStyle() const { return flatStyle_; }
    void SetFlatStyle(TFlatStyle value);
    bool SetStyleProperty(std::string_view name, TFlatStyle value) override;
    void SetCtl3D(bool value); // the 3D-look change
    bool MouseInside() const { return mouseInside_; }
    bool Highlighted() const;

    void SetOnDblClick(std::function<void()> f) { onDblClick_ = std::move(f); }
    void SetBounds(int x, int y, int width, int height);
    void SetVisible(bool visible);
    void SetColumnWidth(int width);
    int ColumnWidth() const { return setup_.column.width; }
    int RowHeight() const { return rowHeight_; }
    int TitleHeight() const;
    // The data row (0 = first visible record) at a client point, or -1.
    int RowAt(int y) const;
    int TopRow() const { return topRow_; }

    virtual void DrawFlatBorder(HWND wnd, bool highlighted);

    // Called by the data link when the list's rows or current record change.
    void DataChanged();

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void create();
    DWORD style() const;
    DWORD exStyle() const;
    int rowCount() const;
    int visibleRows() const;
    int contentWidth() const;
    void updateScrollBars();
    void scrollIntoView();
    void moveBy(int delta);
    bool onColumnEdge(int x, int y) const;

    // The message handler's groups; nothing for a message of another group.
    std::optional<LRESULT> PaintingMessage(UINT msg, WPARAM wp, LPARAM lp);
    std::optional<LRESULT> MouseMessage(UINT msg, WPARAM wp, LPARAM lp);
    std::optional<LRESULT> KeyboardMessage(UINT msg, WPARAM wp);
    void drawFlatBorderIfFlat();
    void OnPrintClient(HDC dc);
    void OnSize();
    bool OnSetCursor(UINT hitTest);
    void OnPaint();
    void PaintContent(HDC dc, const RECT& client);
    void DrawFixedCell(HDC dc, RECT cell);
    void DrawIndicator(HDC dc, const RECT& cell);
    void OnNcCalcSize(WPARAM wp, LPARAM lp);
    void OnNcPaint();
    void OnLButtonDown(int x, int y);
    void OnMouseMove(int x, int y);
    void OnMouseLeave();
    void OnKeyDown(WPARAM key);
    void OnVScroll(int code);
    void OnHScroll(int code);
    void OnFocusChange(bool gained);

    GridSetup setup_;
    TDataSource& source_;
    HWND parent_;
    TFlatStyle flatStyle_;
    bool ctl3D_ = true;
    bool mouseInside_ = false;
    bool resizing_ = false;
    int rowHeight_ = 18;
    int topRow_ = 0;
    int scrollX_ = 0;
    std::function<void()> onDblClick_;
};

} // namespace vorlund::flat
