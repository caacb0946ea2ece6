// The banner: the program's main window, as large as the desktop work area,
// showing a light red diagonal hatch with the program's picture tiled over
// it. It stands behind the boxes of the update run and owns them; closing
// it ends the program's message loop.
#pragma once

#include <cstdint>

#include "app/framework/FrameWnd.h"

class BannerFrame : public CFrameWnd {
 public:
  // Builds the window, hidden and marked maximised. When a resource it needs
  // cannot be had, the window does not exist (GetSafeHwnd() is null) and the
  // object stays with its creator.
  BannerFrame(HostServices& host, win::HINSTANCE instance);
  ~BannerFrame() override;

  // Tiles bitmap 10 over the paint context, column by column from (0, 0),
  // up to `area`'s right and bottom. Nonzero when the picture was drawn.
  virtual int TileBitmap(win::HDC dc, win::RECT area);
  // Sets the banner rectangle from the desktop work area.
  virtual void LoadWorkArea();

  void OnPaint();

  // (left, top, left + width, top + height): the creation rectangle and the
  // area that every paint fills.
  win::RECT BannerRect() const;

 protected:
  const MessageTable* GetMessageTable() const override;

  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

 private:
  static const MessageEntry bannerEntries[];
  static const MessageTable bannerMessages;

  bool ObtainWindowClass(const char* className, win::HCURSOR cursor, win::HICON icon);
  void ShowMissingPicture();

  win::HINSTANCE instance_;
  // The class background; it lives as long as the window.
  win::HBRUSH background_ = nullptr;
};
