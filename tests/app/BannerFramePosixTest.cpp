// The banner window on the scripted desktop: its class and window, its
// rectangle from the work area, the hatch and the tiled picture of every
// paint, the box for a missing picture, failing paints and leaks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/BannerFrame.h"
#include "host/FaultInjectingHost.h"
#include "support/DesktopCallRecorder.h"
#include "support/RegistryFixturesPosix.h"
#include "support/ScriptTableHost.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

using Tile = std::pair<int, int>;

// Column by column, each column from top to bottom.
std::vector<Tile> ColumnMajor(const std::vector<int>& columns, const std::vector<int>& rows) {
  std::vector<Tile> tiles;
  for (int x : columns) {
    for (int y : rows) tiles.push_back({x, y});
  }
  return tiles;
}

std::vector<int> Steps(int first, int step, int last) {
  std::vector<int> values;
  for (int value = first; value <= last; value += step) values.push_back(value);
  return values;
}

bool SameRect(const win::RECT& a, const win::RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Banner : public testing::Test {
 protected:
  BannerFrame* Open() { return Open(host); }
  BannerFrame* Open(HostServices& via) { return new BannerFrame(via, instance); }

  void Paint(BannerFrame* banner) {
    desktop.ClearDrawing();
    host.desktop.SendMessageA(banner->GetSafeHwnd(), win::kWmPaint, 0, 0);
  }

  // A banner shown and updated as the program does, which paints it at once.
  BannerFrame* OpenShown(HostServices& via) {
    BannerFrame* banner = Open(via);
    host.desktop.ShowWindow(banner->GetSafeHwnd(), 10);
    host.desktop.UpdateWindow(banner->GetSafeHwnd());
    return banner;
  }

  void Close(BannerFrame* banner) {
    host.desktop.SendMessageA(banner->GetSafeHwnd(), win::kWmClose, 0, 0);
  }

  std::vector<Tile> Tiles() const {
    std::vector<Tile> tiles;
    for (const ScriptedDesktop::Blit& blit : desktop.Blits()) tiles.push_back({blit.x, blit.y});
    return tiles;
  }

  // A paint given up before it drew anything: the window counts as painted.
  void ExpectPaintAbandoned(BannerFrame* banner) {
    EXPECT_FALSE(desktop.FindWindow(banner->GetSafeHwnd())->needsPaint);
    EXPECT_THAT(desktop.Boxes(), IsEmpty());
    EXPECT_THAT(desktop.Fills(), IsEmpty());
  }

  // Everything that a banner made is released once it is closed.
  void ExpectNothingLeft() {
    EXPECT_EQ(desktop.LiveGdiObjects(), 0);
    EXPECT_EQ(desktop.OpenPaints(), 0);
    EXPECT_THAT(desktop.GdiFaults(), IsEmpty());
  }

  ScratchHost scratch;
  PosixHost& posix = scratch.Host();
  ScriptedDesktop& desktop = posix.Desktop();
  // The stand-in's desktop, its calls noted on their way.
  DesktopCallRecorder host{posix};
  win::HINSTANCE instance = host.system.GetModuleHandleA(nullptr);
};

TEST_F(Banner, RegistersItsClassAndCreatesAHiddenMaximisedWindow) {
  desktop.SetWorkArea({0, 0, 1024, 740});
  BannerFrame* banner = Open();

  const ScriptedDesktop::Window* window = desktop.FindWindow(banner->GetSafeHwnd());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->caption, "Welcome use Tovi  Company product");
  EXPECT_STREQ(banner->GetTitle(), "Welcome use Tovi  Company product");
  EXPECT_EQ(window->style, 0x01C80000u);
  EXPECT_EQ(window->exStyle, 0x200u);
  EXPECT_EQ(window->x, 0);
  EXPECT_EQ(window->y, 0);
  EXPECT_EQ(window->width, 1024);
  EXPECT_EQ(window->height, 740);
  EXPECT_EQ(window->parent, nullptr);
  EXPECT_EQ(window->instance, instance);
  EXPECT_FALSE(window->visible);

  const win::WNDCLASSA* windowClass = desktop.FindClass(window->className);
  ASSERT_NE(windowClass, nullptr);
  EXPECT_EQ(windowClass->style, 3u);
  EXPECT_EQ(windowClass->lpfnWndProc, &AfxWndProc);
  EXPECT_EQ(windowClass->hInstance, instance);
  EXPECT_EQ(windowClass->hCursor, ScriptedDesktop::ProgramCursor(11));
  EXPECT_EQ(windowClass->hIcon, ScriptedDesktop::ProgramIcon(10));
  EXPECT_EQ(windowClass->lpszMenuName, nullptr);
  EXPECT_EQ(windowClass->cbClsExtra, 0);
  EXPECT_EQ(windowClass->cbWndExtra, 0);
  EXPECT_NE(windowClass->hbrBackground, nullptr);
  EXPECT_EQ(desktop.LiveGdiObjects(), 1);
  EXPECT_THAT(host.CallsOf({"CreateSolidBrush"}), ElementsAre("CreateSolidBrush 7a7aff"));

  Close(banner);
  ExpectNothingLeft();
}

TEST_F(Banner, FallsBackToItsOwnCaptionWithoutString20000) {
  ScriptTableHost strings(host);
  strings.Set(20000, "");
  BannerFrame* banner = Open(strings);
  EXPECT_EQ(desktop.FindWindow(banner->GetSafeHwnd())->caption, "Welcome use Quelm Software...");
  Close(banner);
}

TEST_F(Banner, MakesOneClassPerBackgroundBrush) {
  BannerFrame* first = Open();
  BannerFrame* second = Open();

  const std::string firstClass = desktop.FindWindow(first->GetSafeHwnd())->className;
  const std::string secondClass = desktop.FindWindow(second->GetSafeHwnd())->className;
  EXPECT_NE(firstClass, secondClass);
  EXPECT_EQ(firstClass.rfind("Afx:400000:3:", 0), 0u) << firstClass;
  EXPECT_EQ(desktop.ClassCount(), 2u);

  Close(first);
  Close(second);
  ExpectNothingLeft();
}

// A host that knows every class name already.
class EveryClassKnown : public HostWrapper<ForwardingDesktop> {
 public:
  using HostWrapper::HostWrapper;
  bool GetClassInfoA(win::HINSTANCE, const char*, win::WNDCLASSA*) override { return true; }
};

TEST_F(Banner, ReusesAClassThatExists) {
  EveryClassKnown known(host);
  BannerFrame* banner = Open(known);

  EXPECT_THAT(host.CallsOf({"RegisterClassA"}), IsEmpty());
  EXPECT_THAT(host.CallsOf({"CreateWindowExA"}), ElementsAre("CreateWindowExA"));
  delete banner;  // the desktop had no such class, so no window exists
  ExpectNothingLeft();
}

TEST_F(Banner, WithoutItsBrushOrClassHasNoWindow) {
  for (const HostCall failing : {HostCall::kCreateSolidBrush, HostCall::kRegisterClassA}) {
    FaultInjectingHost faults{host};
    faults.Plan().FailCallsFrom(failing, 1);

    BannerFrame* banner = Open(faults);

    EXPECT_EQ(faults.Plan().FaultsMet(), 1u);
    EXPECT_EQ(banner->GetSafeHwnd(), nullptr);
    EXPECT_THAT(host.CallsOf({"CreateWindowExA"}), IsEmpty());
    delete banner;
    ExpectNothingLeft();
  }
}

struct GeometryCase {
  const char* name;
  win::RECT workArea;
  win::RECT banner;
  std::vector<int> columns;
  std::vector<int> rows;
};

void PrintTo(const GeometryCase& geometry, std::ostream* out) { *out << geometry.name; }

const GeometryCase kGeometryCases[] = {
    {"Screen1024x740",
     {0, 0, 1024, 740},
     {0, 0, 1024, 740},
     {0, 196, 392, 588, 784, 980},
     Steps(0, 62, 682)},
    {"Screen640x452", {0, 0, 640, 452}, {0, 0, 640, 452}, {0, 196, 392, 588}, Steps(0, 62, 434)},
    {"Width784", {0, 0, 784, 100}, {0, 0, 784, 100}, {0, 196, 392, 588}, {0, 62}},
    {"TaskBarAtTheTop", {0, 28, 800, 600}, {0, 0, 800, 572}, Steps(0, 196, 784), Steps(0, 62, 558)},
    {"TaskBarOnTheLeft",
     {60, 0, 800, 600},
     {0, 0, 740, 600},
     Steps(0, 196, 588),
     Steps(0, 62, 558)},
    {"Reversed", {800, 600, 0, 28}, {0, 0, 800, 572}, Steps(0, 196, 784), Steps(0, 62, 558)},
    {"ReversedWidthOnly", {640, 0, 0, 62}, {0, 0, 640, 62}, {0, 196, 392, 588}, {0}},
    {"Empty", {0, 0, 0, 0}, {0, 0, 0, 0}, {}, {}},
    {"NoHeight", {0, 0, 800, 0}, {0, 0, 800, 0}, {}, {}},
};

class BannerGeometry : public Banner, public testing::WithParamInterface<GeometryCase> {};

TEST_P(BannerGeometry, FillsItsRectangleAndTilesThePicture) {
  desktop.SetWorkArea(GetParam().workArea);
  BannerFrame* banner = Open();
  const win::RECT expected = GetParam().banner;

  EXPECT_TRUE(SameRect(banner->BannerRect(), expected));
  const ScriptedDesktop::Window* window = desktop.FindWindow(banner->GetSafeHwnd());
  EXPECT_EQ(window->x, 0);
  EXPECT_EQ(window->y, 0);
  EXPECT_EQ(window->width, expected.right);
  EXPECT_EQ(window->height, expected.bottom);

  Paint(banner);

  ASSERT_EQ(desktop.Fills().size(), 1u);
  EXPECT_TRUE(SameRect(desktop.Fills()[0].rect, expected));
  EXPECT_EQ(desktop.Fills()[0].brush, "hatch 2 7a7aff");
  EXPECT_THAT(Tiles(), ElementsAreArray(ColumnMajor(GetParam().columns, GetParam().rows)));
  EXPECT_THAT(desktop.Boxes(), IsEmpty());
  Close(banner);
  ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(WorkAreas, BannerGeometry, testing::ValuesIn(kGeometryCases),
                         [](const testing::TestParamInfo<GeometryCase>& info) {
                           return info.param.name;
                         });

TEST_F(Banner, TilesOfTheTallScreenCount72And32) {
  const std::pair<win::RECT, std::size_t> cases[] = {{{0, 0, 1024, 740}, 72},
                                                     {{0, 0, 640, 452}, 32}};
  for (const auto& [area, count] : cases) {
    desktop.SetWorkArea(area);
    BannerFrame* banner = Open();
    Paint(banner);
    EXPECT_EQ(desktop.Blits().size(), count);
    Close(banner);
  }
}

TEST_F(Banner, CopiesTheWholePictureWithSourceAnd) {
  desktop.SetWorkArea({0, 0, 200, 70});
  BannerFrame* banner = Open();
  Paint(banner);

  ASSERT_EQ(desktop.Blits().size(), 4u);
  const win::HDC paintDc = desktop.Fills()[0].dc;
  for (const ScriptedDesktop::Blit& blit : desktop.Blits()) {
    EXPECT_EQ(blit.target, paintDc);
    EXPECT_NE(blit.source, paintDc);
    EXPECT_EQ(blit.width, 196);
    EXPECT_EQ(blit.height, 62);
    EXPECT_EQ(blit.sourceX, 0);
    EXPECT_EQ(blit.sourceY, 0);
    EXPECT_EQ(blit.rop, 0x008800C6u);
    EXPECT_TRUE(blit.pictureSelected);
  }
  Close(banner);
}

TEST_F(Banner, PaintsInOrderAndReleasesEverythingItMade) {
  desktop.SetWorkArea({0, 0, 100, 50});
  BannerFrame* banner = Open();
  const std::size_t before = host.Calls().size();
  Paint(banner);

  const std::vector<std::string> all = host.Calls();
  const std::vector<std::string> paint(all.begin() + static_cast<std::ptrdiff_t>(before),
                                       all.end());
  EXPECT_THAT(paint, ElementsAre("SendMessageA f", "BeginPaint", "CreateHatchBrush 2 7a7aff",
                                 "FillRect", "LoadBitmapA 10", "GetObjectA", "CreateCompatibleDC",
                                 "SelectObject", "BitBlt", "SelectObject", "DeleteObject bitmap 10",
                                 "DeleteDC", "DeleteObject hatch 2 7a7aff", "EndPaint"));
  EXPECT_EQ(desktop.LiveGdiObjects(), 1);  // the class background only
  EXPECT_EQ(desktop.OpenPaints(), 0);
  EXPECT_THAT(desktop.GdiFaults(), IsEmpty());
  Close(banner);
  ExpectNothingLeft();
}

TEST_F(Banner, DrawsNoTileForARectangleEndingAtZeroOrBefore) {
  BannerFrame* banner = Open();
  const win::HWND window = banner->GetSafeHwnd();
  const win::RECT rectangles[] = {
      {0, 0, 0, 500}, {0, 0, 500, 0}, {-400, 0, -1, 500}, {0, -300, 500, -2}, {10, 10, 0, 0}};
  for (const win::RECT& rect : rectangles) {
    win::PAINTSTRUCT paint = {};
    const win::HDC dc = host.desktop.BeginPaint(window, &paint);
    desktop.ClearDrawing();
    EXPECT_EQ(banner->TileBitmap(dc, rect), 1);
    EXPECT_THAT(desktop.Blits(), IsEmpty());
    host.desktop.EndPaint(window, &paint);
  }
  EXPECT_THAT(desktop.Boxes(), IsEmpty());
  Close(banner);
  ExpectNothingLeft();
}

TEST_F(Banner, TilesFromTheOriginWhateverTheRectanglesLeftAndTop) {
  BannerFrame* banner = Open();
  const win::HWND window = banner->GetSafeHwnd();
  win::PAINTSTRUCT paint = {};
  const win::HDC dc = host.desktop.BeginPaint(window, &paint);
  desktop.ClearDrawing();

  EXPECT_EQ(banner->TileBitmap(dc, {300, 100, 400, 70}), 1);

  EXPECT_THAT(Tiles(), ElementsAre(Tile{0, 0}, Tile{0, 62}, Tile{196, 0}, Tile{196, 62},
                                   Tile{392, 0}, Tile{392, 62}));
  host.desktop.EndPaint(window, &paint);
  Close(banner);
}

TEST_F(Banner, ShowsTheBoxOnEveryPaintWhenThePictureIsMissing) {
  FaultInjectingHost faults{host};
  faults.Plan().FailCallsFrom(HostCall::kLoadBitmapA, 1);
  BannerFrame* banner = Open(faults);

  for (int paint = 1; paint <= 2; ++paint) {
    Paint(banner);
    ASSERT_EQ(desktop.Boxes().size(), static_cast<std::size_t>(paint));
    const ScriptedDesktop::Box& box = desktop.Boxes().back();
    EXPECT_EQ(box.kind, ScriptedDesktop::Box::Kind::kPlain);
    EXPECT_EQ(box.owner, banner->GetSafeHwnd());
    EXPECT_EQ(box.text, "Resource ID can't found");
    EXPECT_EQ(box.caption, "TXINFUPD");
    EXPECT_EQ(box.style, 0x2030u);
    EXPECT_EQ(desktop.Fills().size(), 1u);
    EXPECT_THAT(desktop.Blits(), IsEmpty());
  }
  // The box stands while the paint is still open.
  const std::vector<std::string> order =
      host.CallsOf({"FillRect", "MessageBoxA", "DeleteObject", "EndPaint"});
  EXPECT_THAT(std::vector<std::string>(order.end() - 4, order.end()),
              ElementsAre("FillRect", "MessageBoxA", "DeleteObject hatch 2 7a7aff", "EndPaint"));
  Close(banner);
  ExpectNothingLeft();
}

TEST_F(Banner, ShowsTheBoxAndReleasesThePictureWithoutAMemoryContext) {
  FaultInjectingHost faults{host};
  faults.Plan().FailCallsFrom(HostCall::kCreateCompatibleDC, 1);
  BannerFrame* banner = Open(faults);
  Paint(banner);

  ASSERT_EQ(desktop.Boxes().size(), 1u);
  EXPECT_EQ(desktop.Boxes()[0].text, "Resource ID can't found");
  EXPECT_THAT(host.CallsOf({"DeleteObject"}),
              ElementsAre("DeleteObject bitmap 10", "DeleteObject hatch 2 7a7aff"));
  EXPECT_EQ(desktop.LiveGdiObjects(), 1);
  Close(banner);
  ExpectNothingLeft();
}

// The executable's name without directory and extension captions the box.
class ModuleNamed : public HostWrapper<ForwardingSystem> {
 public:
  ModuleNamed(HostServices& inner, std::string name) : HostWrapper(inner), name_(std::move(name)) {}
  std::uint32_t GetModuleFileNameA(win::HINSTANCE, char* buffer, std::uint32_t size) override {
    if (name_.size() >= size) return 0;
    name_.copy(buffer, name_.size());
    buffer[name_.size()] = '\0';
    return static_cast<std::uint32_t>(name_.size());
  }

 private:
  std::string name_;
};

// Without the module's name the box takes the host's default caption.
TEST_F(Banner, CaptionsTheBoxWithTheApplicationsName) {
  const std::pair<std::optional<std::string>, std::optional<std::string>> cases[] = {
      {"C:\\TXINFUPD.EXE", "TXINFUPD"}, {"C:\\Program Files\\Tovi.Tools\\Setup.v2.exe", "Setup.v2"},
      {"C:\\UPDATE.D\\NOEXT", "NOEXT"}, {"UPDATER.EXE", "UPDATER"},
      {std::nullopt, std::nullopt},
  };
  for (const auto& [path, caption] : cases) {
    ModuleNamed named(host, path.value_or(""));
    FaultInjectingHost faults{named};
    faults.Plan().FailCallsFrom(HostCall::kLoadBitmapA, 1);
    if (!path) faults.Plan().FailCallsFrom(HostCall::kGetModuleFileNameA, 1);
    BannerFrame* banner = Open(faults);
    Paint(banner);
    EXPECT_EQ(desktop.Boxes().back().caption, caption) << path.value_or("(no name)");
    Close(banner);
  }
}

TEST_F(Banner, AbandonsAPaintWithoutAContext) {
  FaultInjectingHost faults{host};
  faults.Plan().FailCallsFrom(HostCall::kBeginPaint, 1);
  BannerFrame* banner = OpenShown(faults);

  EXPECT_EQ(faults.Plan().FaultsMet(), 1u);
  EXPECT_THAT(host.CallsOf({"BeginPaint", "CreateHatchBrush", "ValidateRect", "EndPaint"}),
              ElementsAre("ValidateRect null"));
  ExpectPaintAbandoned(banner);
  Close(banner);
  ExpectNothingLeft();
}

TEST_F(Banner, AbandonsAPaintWithoutItsHatchBrush) {
  FaultInjectingHost faults{host};
  faults.Plan().FailCallsFrom(HostCall::kCreateHatchBrush, 1);
  BannerFrame* banner = OpenShown(faults);

  EXPECT_EQ(faults.Plan().FaultsMet(), 1u);
  EXPECT_THAT(
      host.CallsOf({"BeginPaint", "CreateHatchBrush", "LoadBitmapA", "ValidateRect", "EndPaint"}),
      ElementsAre("BeginPaint", "EndPaint", "ValidateRect null"));
  ExpectPaintAbandoned(banner);
  Close(banner);
  ExpectNothingLeft();
}

TEST_F(Banner, UsesAVgaScreenWhenTheWorkAreaIsUnknown) {
  FaultInjectingHost faults{host};
  faults.Plan().FailCallsFrom(HostCall::kSystemParametersInfoA, 1);
  BannerFrame* banner = Open(faults);

  EXPECT_TRUE(SameRect(banner->BannerRect(), {0, 0, 640, 480}));
  Close(banner);
}

TEST_F(Banner, ClosingHidesSinksAndDestroysTheWindow) {
  BannerFrame* banner = Open();
  const win::HWND window = banner->GetSafeHwnd();
  const std::size_t before = host.Calls().size();

  Close(banner);

  const std::vector<std::string> all = host.Calls();
  EXPECT_THAT(
      std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
      ElementsAre("SendMessageA 10", "ShowWindow 0", "ShowOwnedPopups 0",
                  "SetWindowPos bottom 0 0 0 0 13", "DestroyWindow", "DeleteObject solid 7a7aff"));
  EXPECT_TRUE(desktop.FindWindow(window)->destroyed);
  ExpectNothingLeft();
}

}  // namespace
